// The card-reader library's configuration file, read and edited as Windows does it: names
// without regard to case, the file read afresh at each call, a missing file reads as empty.
// Writing changes only the one value and replaces the file in one step.
#pragma once

#include <QString>
#include <optional>

namespace kelvora::reader
{

class IniFile
{
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // nullopt when the file, the section or the key is absent.
    std::optional<QString> value(const QString& section, const QString& key) const;
    bool exists(const QString& section, const QString& key) const
    {
        return value(section, key).has_value();
    }
    QString readString(const QString& section, const QString& key,
                       const QString& fallback = {}) const
    {
        return value(section, key).value_or(fallback);
    }

    // Writes through a temporary file renamed over the old one, so a failure leaves the file
    // as it was. On failure returns false and errorString() names the file and the reason.
    bool writeString(const QString& section, const QString& key, const QString& value);
    const QString& errorString() const { return error_; }
    // The system's error number of the last failed write, 0 when it was not the system's.
    int errorNumber() const { return errorNumber_; }

private:
    QString path_;
    QString error_;
    int errorNumber_ = 0;
};

} // namespace kelvora::reader
