// The card data and PDF stages inside real reading runs: the real window, the stand-in
// card-reader library from the build's bin folder, the demo card and a real store.
#include "apilec/apilec_codes.h"
#include "certificate_support.h"
#include "support/app_fixture.h"
#include "support/export_checks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

using namespace kelvora;
using namespace kelvora::testing;

namespace
{

constexpr char kReader[] = "SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0";

class ReadingToCertificate : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        platform.exeFolder = QStringLiteral(KELVORA_BIN_DIR "/");
        // Checked today already: the run makes no update request.
        createStore("20261209");
        for (const auto& row : apilec_sim::kErreurRows)
            sql("INSERT INTO erreur VALUES ('" + std::to_string(row.code) + "', '" + row.bloquant +
                "')");
        writeFile(apilecFolder() + QStringLiteral("api_lec.ini"),
                  QByteArray("[Lecteur]\r\nRessource_Vitale=") + kReader +
                      "\r\nRessource_CPS=" + kReader + "\r\n");
        writeFile(apilecFolder() + QStringLiteral("carte.xml"),
                  readFileBytes(QStringLiteral(KELVORA_DEMO_DIR "/carte.xml")));
        writeFile(apilecFolder() + QStringLiteral("pas-xml.txt"),
                  readFileBytes(QStringLiteral(KELVORA_FIXTURES "/pas-xml.txt")));
    }

    // The demo scenario: one reader, both cards, PIN 1234, the demo card and its labels.
    void scenario(const QByteArray& document = "carte.xml", const QByteArray& forced = {})
    {
        QByteArray ini = QByteArray("[Lecteurs]\r\nListe=") + kReader +
                         "\r\n[CPS]\r\nInseree=1\r\nPIN=1234\r\n[Vitale]\r\nInseree=1\r\n"
                         "Document=" +
                         document + "\r\n";
        const QByteArray dictionary =
            readFileBytes(QStringLiteral(KELVORA_DEMO_DIR "/dictionnaire.ini"));
        ini += dictionary.mid(dictionary.indexOf("[Dictionnaire]"));
        if (!forced.isEmpty())
            ini += "\r\n[Retours]\r\n" + forced + "\r\n";
        writeFile(apilecFolder() + QStringLiteral("api_lec_sim.ini"), ini);
    }

    void run()
    {
        start();
        ASSERT_TRUE(window->core().appli_apilec.complete())
            << window->core().appli_apilec.missing().toStdString();
        window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
        window->action_vitale2Click();
    }

    QStringList callLog() const
    {
        return QString::fromLatin1(
                   readFileBytes(apilecFolder() + QStringLiteral("api_lec_sim.log")))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // The last four calls: both cards released, both sessions closed, in that order.
    void expectReleaseAndClose(int vitaleSession, int cpsSession)
    {
        const QStringList calls = callLog();
        ASSERT_GE(calls.size(), 4);
        const QStringList expected = {
            QStringLiteral("Lec_RetraitMhtVitale session=%1 word=0 ").arg(vitaleSession),
            QStringLiteral("Lec_RetraitMhtCPS session=%1 word=0 ").arg(cpsSession),
            QStringLiteral("Lec_FermetureSessionVitale session=%1 ").arg(vitaleSession),
            QStringLiteral("Lec_FermetureSessionCPS session=%1 ").arg(cpsSession)};
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(calls[calls.size() - 4 + i].startsWith(expected[i]))
                << calls[calls.size() - 4 + i].toStdString();
    }

    // The session number a call of the log received, or -1.
    int sessionOf(const char* function) const
    {
        for (const QString& line : callLog()) {
            if (line.startsWith(QLatin1String(function) + QLatin1Char(' ')) &&
                line.contains(QStringLiteral(" session="))) {
                const qsizetype at = line.indexOf(QStringLiteral(" session=")) + 9;
                return line.mid(at, line.indexOf(QLatin1Char(' '), at) - at).toInt();
            }
        }
        return -1;
    }

    QString lastLogLine() const
    {
        return log().split(QLatin1Char('\n'), Qt::SkipEmptyParts).last();
    }

    QString pdfPath() const { return commonFolder() + QStringLiteral("/attestation.pdf"); }
};

TEST_F(ReadingToCertificate, DemoCardEndsOnThePdfPageWithAValidCertificate)
{
    scenario();
    run();

    for (int row = 0; row < 6; ++row) {
        const int icon = window->etat(static_cast<EtatRow>(row));
        if (static_cast<EtatRow>(row) == EtatRow::MiseAJour)
            EXPECT_TRUE(icon == EtatValide || icon == EtatNonTeste) << "update row: " << icon;
        else
            EXPECT_EQ(icon, EtatValide) << "row " << row << "\n" << log().toStdString();
    }
    EXPECT_EQ(lastLogLine(), QStringLiteral("le PDF a été correctement généré"));
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_pdf);
    EXPECT_EQ(window->tab_pdf->Label_pdf1->text(), QStringLiteral("Génération d'une attestation"));
    EXPECT_EQ(window->tab_pdf->Label_pdf2->text(),
              QStringLiteral("Obtenez l'attestation en cliquant sur l'icône ci-dessous"));

    // The three lookups with their log lines, their labels in the record.
    for (const char* line :
         {"Dictionnaire 13: 0(0)", "Dictionnaire 1: 0(0)", "Dictionnaire 2: 0(0)"})
        EXPECT_TRUE(log().contains(QLatin1String(line))) << line;
    const QStringList& insured = window->core().appli_vitale.appli_xml_ext[0];
    EXPECT_EQ(insured[slot::libelleRegime], QStringLiteral("Régime général"));
    EXPECT_EQ(insured[slot::libelleCaisse], QStringLiteral("CPAM de Paris"));
    EXPECT_EQ(window->core().appli_vitale.appli_xml_ext[2][slot::cmu].left(26),
              QStringLiteral("- CMU : CMU complémentaire"));

    const int vitale = sessionOf("Lec_LectureVitale");
    const int cps = sessionOf("Lec_ControleCPS");
    EXPECT_GT(vitale, 0);
    EXPECT_GT(cps, 0);
    expectReleaseAndClose(vitale, cps);

    const CommandResult check = qpdfCheck(pdfPath());
    EXPECT_EQ(check.exitCode, 0) << check.output;
    const QString text = pdfText(pdfPath());
    for (const char* name : {"BÉRANGER François", "BÉRANGER Hélène", "BÉRANGER Zoé",
                             "1 75 03 75 056 123 61", "Régime général", "gestionnaire."})
        EXPECT_TRUE(text.contains(QString::fromUtf8(name))) << name;

    window->tab_pdf->image_pdf->click();
    EXPECT_EQ(platform.opened, QStringList{pdfPath()});
}

TEST_F(ReadingToCertificate, FailedCpsSessionStillReleasesWithZeroAsThePatientSession)
{
    scenario("carte.xml", "Lec_OuvertureSessionCPS=17");
    run();

    EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Lecteur CPS ne répond pas !"));
    EXPECT_EQ(window->etat(EtatRow::Informations), EtatEchec);
    EXPECT_EQ(window->etat(EtatRow::Pdf), EtatEchec);
    EXPECT_EQ(sessionOf("Lec_LectureVitale"), -1);
    // A forced result still opens the session, so the professional card's number is known.
    const int cps = sessionOf("Lec_OuvertureSessionCPS");
    EXPECT_GT(cps, 0);
    expectReleaseAndClose(0, cps);
    EXPECT_FALSE(QFile::exists(pdfPath()));
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_launch);
}

TEST_F(ReadingToCertificate, UnreadableDocumentWritesNoCertificateAndStillReleases)
{
    scenario("pas-xml.txt");
    run();

    EXPECT_EQ(window->etat(EtatRow::Informations), EtatEchec);
    EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Données illisibles !"));
    EXPECT_TRUE(log().contains(QStringLiteral("n'est pas un XML lisible"))) << log().toStdString();
    EXPECT_FALSE(log().contains(QStringLiteral("le PDF a été correctement généré")));
    EXPECT_FALSE(QFile::exists(pdfPath()));
    expectReleaseAndClose(sessionOf("Lec_LectureVitale"), sessionOf("Lec_ControleCPS"));
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_launch);
}

TEST_F(ReadingToCertificate, FolderInPlaceOfTheFileGivesTheAlreadyOpenLines)
{
    scenario();
    ASSERT_TRUE(QDir().mkpath(pdfPath()));
    run();

    EXPECT_TRUE(
        log().contains(QStringLiteral("le fichier PDF est déjà ouvert, génération impossible\n")))
        << log().toStdString();
    EXPECT_FALSE(log().contains(QStringLiteral("Impossible d'écrire")));
    EXPECT_EQ(window->etat(EtatRow::Informations), EtatValide);
    EXPECT_EQ(window->etat(EtatRow::Pdf), EtatEchec);
    // The headline names the cause: a folder, not a viewer holding the file.
    EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Un dossier porte le nom du PDF !"));
    EXPECT_EQ(window->tab_launch->label_suivi2->text(),
              QStringLiteral("Consulter le diagnostic pour plus d'informations"));
    EXPECT_EQ(Tppal::labelColor(window->tab_launch->label_suivi), quint32(ClMaroon));
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_launch);
    EXPECT_TRUE(QFileInfo(pdfPath()).isDir());
}

// The certificate step alone, on a window whose executable folder has a bad logo or none.
class CertificateFailure : public AppFixture, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(CertificateFailure, LeavesAnEmptyFileInPlaceOfTheOldCertificate)
{
    createStore("20261209");
    if (*GetParam() != '\0')
        writeFile(
            platform.exeFolder + QStringLiteral("attest.vqi"),
            readFileBytes(QStringLiteral(KELVORA_FIXTURES "/") + QString::fromLatin1(GetParam())));
    const QString pdf = commonFolder() + QStringLiteral("/attestation.pdf");
    writeFile(pdf, "%PDF-1.2 certificat de la lecture précédente");
    start();
    window->core().appli_vitale.appli_xml_cnt2 = 1;
    window->core().appli_vitale.appli_xml_ext = {QStringList(kFirstEntrySlots)};

    EXPECT_TRUE(kelvora::attestation::creation_pdfExecute(window->core()).failed());
    EXPECT_TRUE(log().contains(QStringLiteral("Impossible d'écrire dans le fichier PDF, génération "
                                              "impossible\n")))
        << log().toStdString();
    EXPECT_TRUE(QFileInfo(pdf).isFile());
    EXPECT_EQ(QFileInfo(pdf).size(), 0);
    EXPECT_EQ(QDir(commonFolder()).entryList(QDir::Files),
              (QStringList{QStringLiteral("attest.vqs"), QStringLiteral("attestation.pdf")}));
}

INSTANTIATE_TEST_SUITE_P(Logo, CertificateFailure, ::testing::Values("", "pas-un-jpeg.vqi"),
                         [](const auto& info) {
                             return info.index == 0 ? std::string("missing")
                                                    : std::string("notJpeg");
                         });

class PdfIconClick : public AppFixture
{
};

TEST_F(PdfIconClick, OpensTheFileOrSaysItIsMissing)
{
    createStore("20261209");
    start();
    const QString pdf = commonFolder() + QStringLiteral("/attestation.pdf");

    window->image_pdfClick();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("Le fichier attestation.pdf est introuvable ! \rVeuillez relancer la "
                             "procédure de lecture Carte Vitale"));
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Erreur ouverture PDF..."));
    EXPECT_EQ(platform.messages[0].icon, MessageIcon::Information);
    EXPECT_TRUE(platform.opened.isEmpty());

    writeFile(pdf, "%PDF-1.2");
    window->image_pdfClick();
    EXPECT_EQ(platform.opened, QStringList{pdf});
    EXPECT_EQ(platform.messages.size(), 1);
}

} // namespace

namespace
{

// The PDF page says whose certificate it offers, and its two buttons reach the copy and the
// printer by keyboard.
TEST_F(ReadingToCertificate, ThePdfPageNamesThePatientAndOffersACopyAndPrinting)
{
    scenario();
    run();
    ASSERT_EQ(window->tab_master->currentWidget(), window->tab_pdf) << log().toStdString();
    EXPECT_EQ(window->tab_pdf->label_pdf_titulaire->text(),
              QStringLiteral("Attestation de BÉRANGER François"));
    EXPECT_TRUE(window->tab_pdf->btn_copie->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(window->tab_pdf->btn_imprimer->focusPolicy() & Qt::TabFocus);

    platform.documentsPath = temp.path();
    platform.savePath = temp.path() + QStringLiteral("/copie.pdf");
    window->tab_pdf->btn_copie->click();
    EXPECT_EQ(readFileBytes(platform.savePath), readFileBytes(pdfPath()));
    ASSERT_FALSE(platform.saveDialogInitialNames.isEmpty());
    EXPECT_TRUE(platform.saveDialogInitialNames.last().endsWith(
        QStringLiteral("/Attestation_BÉRANGER_François_20261209.pdf")));

    window->tab_pdf->btn_imprimer->click();
    EXPECT_EQ(platform.printed, QStringList{pdfPath()});
}

} // namespace

namespace
{

// « Exporter les données… » proposes the patient's name in the documents folder with both
// formats to choose from; it writes the chosen one, nothing when cancelled, and says why not.
TEST_F(ReadingToCertificate, TheCardsDataAreExportedInTheChosenFormatOnlyWhenAsked)
{
    scenario();
    run();
    ASSERT_EQ(window->tab_master->currentWidget(), window->tab_pdf) << log().toStdString();
    EXPECT_TRUE(window->tab_pdf->btn_exporter->focusPolicy() & Qt::TabFocus);
    const QString folder = temp.path() + QStringLiteral("/exports");
    ASSERT_TRUE(QDir().mkpath(folder));
    platform.documentsPath = folder;

    platform.savePath.clear();
    window->tab_pdf->btn_exporter->click();
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_TRUE(platform.messages.isEmpty());
    ASSERT_FALSE(platform.saveDialogInitialNames.isEmpty());
    EXPECT_EQ(platform.saveDialogInitialNames.last(),
              folder + QStringLiteral("/Donnees_BÉRANGER_François_20261209.json"));
    EXPECT_EQ(platform.saveDialogFilters,
              (QStringList{QStringLiteral("Données de la carte (JSON) (*.json)"),
                           QStringLiteral("FHIR (JSON) (*.json)")}));

    const QString record = folder + QStringLiteral("/donnees.json");
    const QString bundle = folder + QStringLiteral("/fhir.json");
    for (const auto& [path, filter] : {std::pair{record, 0}, std::pair{bundle, 1}}) {
        platform.savePath = path;
        platform.saveFilter = filter;
        window->tab_pdf->btn_exporter->click();
        ASSERT_FALSE(platform.messages.isEmpty());
        EXPECT_EQ(platform.messages.last().icon, MessageIcon::Information);
        EXPECT_TRUE(platform.messages.last().text.contains(path));
    }
    EXPECT_TRUE(readFileBytes(record).contains("\"format\": \"kelvora-carte-vitale/1\""));
    EXPECT_TRUE(readFileBytes(bundle).contains("\"resourceType\": \"Bundle\""));
    const ExportCheck check = checkExports({record}, {bundle});
    EXPECT_TRUE(check.passed) << check.output.toStdString();

    platform.savePath = folder + QStringLiteral("/absent/donnees.json");
    platform.saveFilter = 0;
    window->tab_pdf->btn_exporter->click();
    ASSERT_FALSE(platform.messages.isEmpty());
    EXPECT_EQ(platform.messages.last().icon, MessageIcon::Error);
    EXPECT_EQ(platform.messages.last().caption, QStringLiteral("Export des données de la carte"));
    EXPECT_TRUE(platform.messages.last().text.startsWith(
        QStringLiteral("Impossible d'enregistrer les données « %1 » (").arg(platform.savePath)))
        << platform.messages.last().text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(platform.savePath));
}

// After a failed reading the page has no data of its own to export: nothing is proposed.
TEST_F(ReadingToCertificate, AFailedReadingLeavesNothingToExport)
{
    scenario();
    run();
    ASSERT_EQ(window->tab_master->currentWidget(), window->tab_pdf) << log().toStdString();
    scenario("pas-xml.txt");
    window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
    window->action_vitale2Click();
    ASSERT_NE(window->core().appli_check_continue, 0);
    platform.savePath = temp.path() + QStringLiteral("/donnees.json");
    const qsizetype dialogs = platform.saveDialogInitialNames.size();
    window->tab_pdf->btn_exporter->click();
    EXPECT_EQ(platform.saveDialogInitialNames.size(), dialogs);
    ASSERT_FALSE(platform.messages.isEmpty());
    EXPECT_TRUE(platform.messages.last().text.startsWith(
        QStringLiteral("Aucune donnée de carte à exporter.")));
    EXPECT_FALSE(QFileInfo::exists(platform.savePath));
}

} // namespace
