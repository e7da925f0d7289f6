// The head of every diagnostic log: who we are and what machine we run on.
#include "diagnostics/system_report.h"

#include <QLocale>

namespace kelvora::diagnostics
{

namespace
{

// dd/mm/yyyy hh:mm with the user's own date and time separators.
QString reportDateTime(const QDateTime& when)
{
    const QLocale locale;
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    // A format whose fields are apart only by spaces ("d MMM yyyy", the C locale's) has no
    // separator of its own: the date then reads with "/", never "10 12 2026".
    QString dateSep = QStringLiteral("/");
    for (const QChar c : shortDate) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'')) {
            dateSep = c;
            break;
        }
    }
    QString timeSep = QStringLiteral(":");
    for (const QChar c : shortTime) {
        if (!c.isLetter() && !c.isSpace()) {
            timeSep = c;
            break;
        }
    }
    return when.toString(QStringLiteral("dd'%1'MM'%1'yyyy hh'%2'mm").arg(dateSep, timeSep));
}

} // namespace

void debug_modeExecute(RunCore& c)
{
    c.debug.clear();
    const auto value = [&c](const QString& label, const QString& v) {
        c.AddDebugText(label, StyleNone, ClBlack);
        c.AddDebugText(v + QStringLiteral("\r\n"), StyleBold, ClBlack);
    };
    c.AddDebugText(QStringLiteral("Diagnostic pour ") + c.appli_nom + QStringLiteral("\r\n\r\n"),
                 StyleBold | StyleUnderline, ClBlue);
    c.AddDebugText(QStringLiteral("Informations Générales\r\n"), StyleBold | StyleUnderline, ClBlack);
    value(QStringLiteral("Heure et Date : "), reportDateTime(c.platform().now()));
    value(QStringLiteral("Version Logiciel : "), c.appli_version);
    value(QStringLiteral("Version APILEC : "), c.appli_apilec_version);

    const SystemFacts facts = c.platform().systemFacts();
    value(QStringLiteral("Version Windows : "), facts.osCaption);
    value(QStringLiteral("   - Build : "), facts.osBuildNumber);
    value(QStringLiteral("   - Architecture : "), facts.osArchitecture);
    value(QStringLiteral("   - Nom : "), facts.computerName);
    value(QStringLiteral("   - Numéro : "), facts.osSerialNumber);
    value(QStringLiteral("Bios : "), facts.biosManufacturer);
    value(QStringLiteral("CPU ID : "), facts.processorId);
    value(QStringLiteral("CPU Cache L2 : "), QString::number(facts.l2CacheSizeKb));

    // What support would see with pcsc_scan: the service and each reader, never a card's data.
    const SmartCardLook look = c.platform().smartCardReaders();
    c.AddDebugText(QStringLiteral("\r\nLecteurs PC/SC\r\n"), StyleBold | StyleUnderline, ClBlack);
    value(QStringLiteral("Service : "), smartCardServiceText(look));
    if (look.service != SmartCardLook::Service::Running)
        return;
    if (look.readers.empty()) {
        value(QStringLiteral("Lecteurs : "), *smartCardCause(look, {}));
        return;
    }
    value(QStringLiteral("Lecteurs : "), QString::number(look.readers.size()));
    for (const SmartCardReader& reader : look.readers)
        value(QStringLiteral("   - ") + reader.name + QStringLiteral(" : "),
              cardPresenceText(reader));
}

} // namespace kelvora::diagnostics
