#include "diagnostics/about_text.h"

namespace kelvora::diagnostics
{

QList<RtfRun> About_boxExecute(const AppState& state)
{
    QList<RtfRun> text;
    const int heading = StyleBold | StyleUnderline;
    const auto line = [&text](const QString& piece, int style) {
        text.append({piece, style, ClBlack});
    };
    line(QStringLiteral("Qui sommes nous ?\r\n"), heading);
    line(QStringLiteral("Talvix SAS\r\n"), StyleNone);
    line(QStringLiteral("14 rue des Tanneurs\r\n"), StyleNone);
    line(QStringLiteral("69002 Lyon\r\n"), StyleNone);
    line(QStringLiteral("France\r\n\r\n"), StyleNone);
    line(QStringLiteral("Téléphone : 04 78 00 00 00 (choix 2)\r\n"), StyleNone);
    line(QStringLiteral("Courriel : support@kelvora.fr\r\n"), StyleNone);
    line(QStringLiteral("\r\nInformations de l'application\r\n"), heading);
    line(QStringLiteral("Édition : Professionnel de Santé\r\n"), StyleNone);
    line(QStringLiteral("Version : ") + state.appli_version + QStringLiteral("\r\n"), StyleNone);
    line(QStringLiteral("Version APILEC : ") + state.appli_apilec_version + QStringLiteral("\r\n"),
         StyleNone);
    line(QStringLiteral("Homologué par le GIE Vitale Sesame\r\n"), StyleNone);
    line(QStringLiteral("\r\nInformations de licence\r\n"), heading);
    line(QStringLiteral("Images provenant de l'équipe Kelvora\r\n"), StyleNone);
    line(QStringLiteral("Icones provenant de l'équipe Kelvora\r\n"), StyleNone);
    line(QStringLiteral("\r\nEquipe de développement\r\n"), heading);
    line(QStringLiteral("Développeur Application: Claire Montel\r\n"), StyleNone);
    return text;
}

} // namespace kelvora::diagnostics
