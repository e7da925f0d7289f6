#include "base/ini_file.h"

#include "base/cp1252.h"
#include "common/ini_text.h"
#include "base/durable_file.h"

#include <QFile>

namespace kelvora::reader
{

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const ini::IniText text(file.readAll().toStdString());
    const auto found = text.value(toCp1252(section).toStdString(), toCp1252(key).toStdString());
    if (!found)
        return std::nullopt;
    return fromCp1252(QByteArrayView(found->data(), qsizetype(found->size())));
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    error_.clear();
    errorNumber_ = 0;
    auto fail = [this](const QString& reason) {
        error_ = QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(path_, reason);
        return false;
    };

    std::string bytes;
    QFile current(path_);
    if (current.exists()) {
        // Never rewrite a file we could not read whole: its other lines would be lost.
        if (!current.open(QIODevice::ReadOnly))
            return fail(current.errorString());
        bytes = current.readAll().toStdString();
        if (current.error() != QFileDevice::NoError)
            return fail(current.errorString());
        current.close();
    }

    ini::IniText text(std::move(bytes));
    if (!text.setValue(toCp1252(section).toStdString(), toCp1252(key).toStdString(),
                       toCp1252(value).toStdString()))
        return fail(QStringLiteral("nom de section, nom de clé ou valeur invalide"));

    // Written whole beside it, then renamed: a failure leaves the old file as it was.
    const auto& data = text.bytes();
    if (const auto why = io::replaceFile(path_, QByteArrayView(data.data(), qsizetype(data.size())))) {
        errorNumber_ = why->error;
        return fail(why->reason);
    }
    return true;
}

} // namespace kelvora::reader
