// INI text with the semantics of the Windows profile functions, over the file's raw bytes:
// section and key names compare without regard to case, and changing one value touches
// only that value's line. Plain C++ so that the stand-in card-reader library shares it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvora::ini
{

// Case-insensitive comparison of two Windows-1252 names (ASCII and accented letters).
bool sameName(std::string_view a, std::string_view b);

class IniText
{
public:
    IniText() = default;
    explicit IniText(std::string bytes) : bytes_(std::move(bytes)) {}

    // The value of the first matching key of the first matching section, trimmed of blanks
    // and of one pair of surrounding quotes; nullopt when the section or key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Sets the value in place, or appends the key at the end of its section, or appends the
    // section at the end of the text. Refuses (false, text unchanged) names or values that
    // cannot stand on one INI line.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

} // namespace kelvora::ini
