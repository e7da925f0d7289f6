#include "attestation/certificate_copy.h"

#include <QFile>

namespace kelvora::attestation
{

namespace
{

QString slotOf(const VitaleRecord& record, int slot)
{
    if (record.appli_xml_ext.isEmpty() || record.appli_xml_ext.first().size() <= slot)
        return {};
    return record.appli_xml_ext.first().at(slot).trimmed();
}

// Letters (accented ones too), digits and « - » stay; everything else a file name on Windows
// or Linux cannot hold, or that would make it hidden or change its type, becomes « _ ».
QString pourNomDeFichier(const QString& text)
{
    QString out;
    for (const QChar c : text)
        out += (c.isLetterOrNumber() || c == QLatin1Char('-')) ? c : QLatin1Char('_');
    return out;
}

} // namespace

QString nomCopieAttestation(const VitaleRecord& record, const QDate& dateLecture)
{
    return nomFichierPatient(QStringLiteral("Attestation"), record, dateLecture,
                             QStringLiteral("pdf"));
}

QString nomFichierPatient(const QString& prefixe, const VitaleRecord& record,
                          const QDate& dateLecture, const QString& extension)
{
    // A card without a name gives no empty pieces: « Attestation_AAAAMMJJ.pdf ».
    QStringList parts{prefixe};
    for (const int s : {slot::nomUsuel, slot::prenomUsuel}) {
        const QString part = pourNomDeFichier(slotOf(record, s));
        if (!part.isEmpty())
            parts.append(part);
    }
    parts.append(dateLecture.toString(QStringLiteral("yyyyMMdd")));
    return parts.join(QLatin1Char('_')) + QLatin1Char('.') + extension;
}

QString titulaireAttestation(const VitaleRecord& record)
{
    return (slotOf(record, slot::nomUsuel) + QLatin1Char(' ') + slotOf(record, slot::prenomUsuel))
        .trimmed();
}

std::optional<Failure> enregistrerCopie(const QString& certificate, const QString& target)
{
    QFile source(certificate);
    if (!source.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("l'attestation est introuvable"), ENOENT};
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError || bytes.isEmpty())
        return Failure{QStringLiteral("l'attestation est illisible"), EIO};
    return io::replaceFile(target, bytes);
}

} // namespace kelvora::attestation
