// The diagnostic log: styled pieces of text, the system report, the RTF save.
#include "support/app_fixture.h"
#include "diagnostics/system_report.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

using namespace kelvora::testing;

namespace
{

class DebugLog : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        createStore("20261209");
        start();
    }
};

TEST_F(DebugLog, EachPieceKeepsItsStyleAndColour)
{
    window->core().AddDebugText(QStringLiteral("A"), StyleBold, ClRed);
    window->core().AddDebugText(QStringLiteral("B"), StyleNone, ClBlack);
    window->core().AddDebugText(QStringLiteral("C\r\n"), StyleBold | StyleUnderline, ClBlue);
    EXPECT_EQ(log(), QStringLiteral("ABC\n"));
    const QList<kelvora::RtfRun> runs = window->debugRuns();
    ASSERT_GE(runs.size(), 3);
    EXPECT_EQ(runs[0].text, QStringLiteral("A"));
    EXPECT_EQ(runs[0].style, StyleBold);
    EXPECT_EQ(runs[0].color, quint32(ClRed));
    EXPECT_EQ(runs[1].text, QStringLiteral("B"));
    EXPECT_EQ(runs[1].style, StyleNone);
    EXPECT_EQ(runs[1].color, quint32(ClBlack));
    EXPECT_EQ(runs[2].text, QStringLiteral("C"));
    EXPECT_EQ(runs[2].style, StyleBold | StyleUnderline);
    EXPECT_EQ(runs[2].color, quint32(ClBlue));
}

TEST_F(DebugLog, SystemReportHeadsTheLog)
{
    window->core().AddDebugText(QStringLiteral("reste d'avant\r\n"), StyleNone, ClBlack);
    kelvora::diagnostics::debug_modeExecute(window->core());
    kelvora::diagnostics::debug_modeExecute(window->core());
    const QString text = log();
    EXPECT_FALSE(text.contains(QStringLiteral("reste d'avant")));
    EXPECT_EQ(text.count(QStringLiteral("Diagnostic pour Kelvora")), 1);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Diagnostic pour Kelvora\n\nInformations Générales\n"
                                               "Heure et Date : 09")));
    for (const char* line :
         {"Version Logiciel : 1.09\n", "Version APILEC : \n",
          "Version Windows : Debian GNU/Linux 12 (bookworm)\n", "   - Build : 6.1.0\n",
          "   - Architecture : 64 bits\n", "   - Nom : cabinet-01\n",
          "   - Numéro : 0123456789abcdef\n", "Bios : SeaBIOS\n", "CPU ID : 178BFBFF00A20F12\n",
          "CPU Cache L2 : 512"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line;
}

TEST_F(DebugLog, SavesAsRtfThatAWordProcessorReads)
{
    window->core().AddDebugText(QStringLiteral("Erreur grave"), StyleBold, ClRed);
    window->core().AddDebugText(QStringLiteral(" puis détail\r\n"), StyleNone, ClBlack);
    window->core().AddDebugText(QStringLiteral("Titre souligné\r\n"), StyleBold | StyleUnderline, ClBlue);
    const QString path = temp.path() + QStringLiteral("/diag.rtf");
    platform.savePath = path;
    platform.documentsPath = temp.path() + QStringLiteral("/Documents");
    ASSERT_TRUE(QDir().mkpath(platform.documentsPath));
    window->tab_debug->btn_sauve_fichier->click();
    // The first save proposes the default name in the user's documents folder.
    ASSERT_EQ(platform.saveDialogInitialNames,
              QStringList{temp.path() + QStringLiteral("/Documents/diag-Kelvora.rtf")});
    ASSERT_TRUE(QFile::exists(path));
    // A short confirmation names the file written.
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Diagnostic enregistré dans\r") + path);
    EXPECT_EQ(platform.messages[0].icon, kelvora::MessageIcon::Information);

    QProcess unrtf;
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), path});
    ASSERT_TRUE(unrtf.waitForFinished(20000));
    const QString html = QString::fromUtf8(unrtf.readAllStandardOutput());
    EXPECT_TRUE(html.contains(QStringLiteral("<b>"))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<u>"))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("#ff0000"), Qt::CaseInsensitive))
        << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("#0000ff"), Qt::CaseInsensitive))
        << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("d&eacute;tail")) ||
                html.contains(QStringLiteral("détail")))
        << html.toStdString();

    // The dialog offers the last chosen name next time; cancelling writes nothing.
    QFile::remove(path);
    platform.savePath.clear();
    window->tab_debug->btn_sauve_fichier->click();
    EXPECT_EQ(platform.saveDialogInitialNames.last(), path);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(platform.messages.size(), 1);
}

TEST_F(DebugLog, UnwritableFileIsReportedAndTheLogKept)
{
    window->core().AddDebugText(QStringLiteral("ligne\r\n"), StyleNone, ClBlack);
    platform.savePath = temp.path() + QStringLiteral("/absent/diag.rtf");
    window->tab_debug->btn_sauve_fichier->click();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].icon, kelvora::MessageIcon::Error);
    EXPECT_TRUE(platform.messages[0].text.contains(QStringLiteral("diag.rtf")));
    // What to do first, then the reason in French.
    EXPECT_TRUE(platform.messages[0].text.contains(
        QStringLiteral("Le fichier ou son dossier est introuvable")))
        << platform.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(platform.savePath));
    EXPECT_EQ(log(), QStringLiteral("ligne\n"));
}

// The report's date keeps the user's separators, and « / » where the short date format has
// none between day, month and year (the C locale's "d MMM yyyy").
TEST_F(DebugLog, ReportDateUsesTheLocalesSeparators)
{
    struct Case {
        QLocale locale;
        QString line;
    };
    const Case cases[] = {
        {QLocale::c(), QStringLiteral("Heure et Date : 09/12/2026 10:30\n")},
        {QLocale(QLocale::French, QLocale::France),
         QStringLiteral("Heure et Date : 09/12/2026 10:30\n")},
        {QLocale(QLocale::German, QLocale::Germany),
         QStringLiteral("Heure et Date : 09.12.2026 10:30\n")},
        {QLocale(QLocale::Dutch, QLocale::Netherlands),
         QStringLiteral("Heure et Date : 09-12-2026 10:30\n")},
    };
    const QLocale before;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        kelvora::diagnostics::debug_modeExecute(window->core());
        EXPECT_TRUE(log().contains(c.line)) << log().toStdString();
    }
    QLocale::setDefault(before);
}

TEST_F(DebugLog, ShowingThePageScrollsToTheEnd)
{
    for (int i = 0; i < 200; ++i)
        window->core().AddDebugText(QStringLiteral("ligne %1\r\n").arg(i), StyleNone, ClBlack);
    window->show();
    window->btn_diagnostique->click();
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_debug);
    EXPECT_EQ(window->tab_debug->debug_texte->textCursor().position(),
              window->tab_debug->debug_texte->document()->characterCount() - 1);
}

} // namespace
