// The head of every diagnostic log: who we are and what machine we run on.
#include "shell/tppal.h"

#include <QLocale>
#include <QTextEdit>

namespace
{

// dd/mm/yyyy hh:mm with the user's own date and time separators.
QString reportDateTime(const QDateTime& when)
{
    const QLocale locale;
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    QString dateSep = QStringLiteral("/");
    for (const QChar c : shortDate) {
        if (!c.isLetter()) {
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

void Tppal::debug_modeExecute()
{
    debug_texte->clear();
    const auto value = [this](const QString& label, const QString& v) {
        AddDebugText(label, StyleNone, ClBlack);
        AddDebugText(v + QStringLiteral("\r\n"), StyleBold, ClBlack);
    };
    AddDebugText(QStringLiteral("Diagnostic pour ") + appli_nom + QStringLiteral("\r\n\r\n"),
                 StyleBold | StyleUnderline, ClBlue);
    AddDebugText(QStringLiteral("Informations Générales\r\n"), StyleBold | StyleUnderline, ClBlack);
    value(QStringLiteral("Heure et Date : "), reportDateTime(platform().now()));
    value(QStringLiteral("Version Logiciel : "), appli_version);
    value(QStringLiteral("Version APILEC : "), appli_apilec_version);

    const kelvora::SystemFacts facts = platform().systemFacts();
    value(QStringLiteral("Version Windows : "), facts.osCaption);
    value(QStringLiteral("   - Build : "), facts.osBuildNumber);
    value(QStringLiteral("   - Architecture : "), facts.osArchitecture);
    value(QStringLiteral("   - Nom : "), facts.computerName);
    value(QStringLiteral("   - Numéro : "), facts.osSerialNumber);
    value(QStringLiteral("Bios : "), facts.biosManufacturer);
    value(QStringLiteral("CPU ID : "), facts.processorId);
    value(QStringLiteral("CPU Cache L2 : "), QString::number(facts.l2CacheSizeKb));
}
