// After the certificate: a named copy per patient, and printing it.
#include "attestation/certificate_copy.h"
#include "attestation/pdf_stage.h"
#include "platform/linux_platform.h"
#include "platform/save_path.h"
#include "support/reader_stage_fixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <pwd.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace
{

VitaleRecord recordOf(const QString& nom, const QString& prenom)
{
    VitaleRecord record;
    QStringList first(kFirstEntrySlots);
    first[slot::nomUsuel] = nom;
    first[slot::prenomUsuel] = prenom;
    record.appli_xml_ext.append(first);
    return record;
}

TEST(CopyName, IsTheInsuredPersonsNameAndTheReadingsDate)
{
    const struct {
        const char* nom;
        const char* prenom;
        const char* expected;
    } cases[] = {
        {"BÉRANGER", "François", "Attestation_BÉRANGER_François_20261209.pdf"},
        {"DE LA TOUR/DUPIN", "Marie Ève", "Attestation_DE_LA_TOUR_DUPIN_Marie_Ève_20261209.pdf"},
        {"O'NEIL:*?", "Zoé\\", "Attestation_O_NEIL____Zoé__20261209.pdf"},
        {"..", "Zoé", "Attestation____Zoé_20261209.pdf"},
        {"", "", "Attestation_20261209.pdf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(attestation::nomCopieAttestation(
                      recordOf(QString::fromUtf8(c.nom), QString::fromUtf8(c.prenom)),
                      QDate(2026, 12, 9)),
                  QString::fromUtf8(c.expected));
    EXPECT_EQ(attestation::nomCopieAttestation(VitaleRecord{}, QDate(2026, 12, 9)),
              QStringLiteral("Attestation_20261209.pdf"));
}

// The proposed path is absolute and in a folder that exists, whatever the session lacks.
TEST(ProposedSavePath, IsAbsoluteInTheFirstFolderThatExists)
{
    QTemporaryDir temp;
    const QString documents = temp.filePath(QStringLiteral("Documents"));
    const QString home = temp.filePath(QStringLiteral("maison"));
    ASSERT_TRUE(QDir().mkpath(documents) && QDir().mkpath(home));
    const passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    const QString accountHome = QFile::decodeName(account->pw_dir);
    const QString name = QStringLiteral("Attestation_BÉRANGER_François_20261209.pdf");
    const struct {
        const char* what;
        QString documents;
        QString home;
        QString expected;
    } cases[] = {
        {"documents present", documents, home, documents + QLatin1Char('/') + name},
        {"documents absent", temp.filePath(QStringLiteral("absent")), home,
         home + QLatin1Char('/') + name},
        {"documents unknown", QString(), home, home + QLatin1Char('/') + name},
        {"home unset", temp.filePath(QStringLiteral("absent")), QString(),
         QDir(accountHome).filePath(name)},
        // Relative folders would resolve against wherever the program was started.
        {"relative folders", QStringLiteral("root/Documents"), QStringLiteral("maison"),
         QDir(accountHome).filePath(name)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString proposed = proposedSavePath(name, c.documents, c.home);
        EXPECT_EQ(proposed, c.expected);
        EXPECT_TRUE(QDir::isAbsolutePath(proposed));
        EXPECT_TRUE(QFileInfo(QFileInfo(proposed).absolutePath()).isDir());
    }
    // A name the user already chose elsewhere stays as it is.
    EXPECT_EQ(proposedSavePath(QStringLiteral("/srv/partage/diag.rtf"), documents, home),
              QStringLiteral("/srv/partage/diag.rtf"));
}

class AfterTheCertificate : public ReaderStageFixture
{
protected:
    void SetUp() override
    {
        ReaderStageFixture::SetUp();
        layOutDemo();
        platform.documentsPath = temp.path() + QStringLiteral("/Documents");
        QDir().mkpath(platform.documentsPath);
        start();
        run();
        ASSERT_EQ(view.page, kelvora::Page::Pdf) << log().toStdString();
    }

    QByteArray bytes(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }
};

TEST_F(AfterTheCertificate, TheCopyIsProposedInTheDocumentsAndIsTheSameFile)
{
    const QString expected =
        platform.documentsPath + QStringLiteral("/Attestation_BÉRANGER_François_20261209.pdf");
    platform.savePath = expected;
    attestation::btn_copieClick(core());
    ASSERT_EQ(platform.saveDialogInitialNames.size(), 1);
    EXPECT_EQ(platform.saveDialogInitialNames.first(), expected);
    EXPECT_EQ(bytes(expected), bytes(core().attestationPath()));
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages.first().text.contains(expected));
    EXPECT_EQ(platform.messages.first().icon, MessageIcon::Information);
}

// An account without a documents folder: the copy is proposed in the home folder, and saved
// there when the proposal is accepted as it is.
TEST_F(AfterTheCertificate, WithoutDocumentsTheProposedCopyIsSavedAtHome)
{
    const QString home = temp.path() + QStringLiteral("/maison");
    ASSERT_TRUE(QDir().mkpath(home));
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home));
    platform.documentsPath = home + QStringLiteral("/Documents");
    const QString expected = home + QStringLiteral("/Attestation_BÉRANGER_François_20261209.pdf");
    platform.savePath = expected;
    attestation::btn_copieClick(core());
    qputenv("HOME", savedHome);
    ASSERT_EQ(platform.saveDialogInitialNames, QStringList{expected});
    EXPECT_EQ(bytes(expected), bytes(core().attestationPath()));
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages.first().icon, MessageIcon::Information);
}

TEST_F(AfterTheCertificate, AFailedCopyLeavesNoFileAndSaysWhy)
{
    for (const QString& target : {temp.path() + QStringLiteral("/absent/copie.pdf"),
                                  platform.documentsPath}) {
        SCOPED_TRACE(target.toStdString());
        platform.messages.clear();
        platform.savePath = target;
        attestation::btn_copieClick(core());
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages.first().icon, MessageIcon::Error);
        EXPECT_TRUE(platform.messages.first().text.startsWith(
            QStringLiteral("Impossible d'enregistrer la copie")));
        EXPECT_FALSE(QFileInfo(target).isFile());
        EXPECT_TRUE(QDir(platform.documentsPath).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
}

TEST_F(AfterTheCertificate, PrintingSendsTheCertificateOrSaysHowElse)
{
    attestation::btn_imprimerClick(core());
    EXPECT_EQ(platform.printed, QStringList{core().attestationPath()});

    // The system's words once, and one full stop closing the sentence around them.
    const std::pair<QString, QString> failures[] = {
        {QStringLiteral("aucune imprimante par défaut"),
         QStringLiteral("aucune imprimante par défaut.")},
        {QStringLiteral("l'impression a échoué (lp: Error - No default destination)"),
         QStringLiteral("l'impression a échoué (lp: Error - No default destination).")},
        {QStringLiteral("l'imprimante ne répond pas."),
         QStringLiteral("l'imprimante ne répond pas.")},
    };
    for (const auto& [reason, said] : failures) {
        SCOPED_TRACE(reason.toStdString());
        platform.messages.clear();
        platform.printFailure = reason;
        attestation::btn_imprimerClick(core());
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages.first().icon, MessageIcon::Error);
        const QString first = platform.messages.first().text.section(QLatin1Char('\r'), 0, 0);
        EXPECT_EQ(first, QStringLiteral("Impossible d'imprimer l'attestation : ") + said);
        EXPECT_TRUE(platform.messages.first().text.contains(QStringLiteral("Ouvrez le PDF")));
    }
}

// The Linux platform prints with CUPS's lp: a stand-in on PATH records what it was given.
TEST(LinuxPrint, RunsLpWithTheFileAndReportsItsFailure)
{
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("arguments"));
    const auto standIn = [&](int exitCode) {
        QFile lp(bin.filePath(QStringLiteral("lp")));
        ASSERT_TRUE(lp.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lp.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\necho \"lp: pas "
                                "d'imprimante.\" >&2\nexit %2\n")
                     .arg(record)
                     .arg(exitCode)
                     .toUtf8());
        lp.close();
        lp.setPermissions(lp.permissions() | QFileDevice::ExeOwner);
    };
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    LinuxPlatform platform;
    standIn(0);
    EXPECT_FALSE(platform.printDocument(QStringLiteral("/tmp/attestation.pdf")).has_value());
    QFile args(record);
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(args.readAll(), QByteArray("--\n/tmp/attestation.pdf\n"));
    standIn(1);
    const auto failed = platform.printDocument(QStringLiteral("/tmp/attestation.pdf"));
    ASSERT_TRUE(failed.has_value());
    // lp's own full stop is left out: the message quoting it ends its sentence itself.
    EXPECT_EQ(failed->reason, QStringLiteral("l'impression a échoué (lp: pas d'imprimante)"));
    qputenv("PATH", path);

    // The real lp with no print server here fails, and says so.
    if (QStandardPaths::findExecutable(QStringLiteral("lp")).isEmpty())
        GTEST_SKIP() << "lp (cups-client) absent";
    const QString document = bin.filePath(QStringLiteral("attestation.pdf"));
    QFile pdf(document);
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.2\n");
    pdf.close();
    const auto real = platform.printDocument(document);
    ASSERT_TRUE(real.has_value());
    EXPECT_TRUE(real->reason.startsWith(QStringLiteral("aucune imprimante n'est disponible")))
        << real->reason.toStdString();
    EXPECT_FALSE(real->reason.contains(QStringLiteral(".)"))) << real->reason.toStdString();
}

} // namespace
