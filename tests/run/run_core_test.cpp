// Whole readings on the run core under faults: nothing is reported done that is not on the
// disk, a failing store ends the run through the stage contract, the cards are always released.
#include "support/full_disk.h"
#include "support/reader_stage_fixture.h"

#include <QProcess>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <iostream>

using namespace kelvora;
using namespace kelvora::testing;

namespace
{

class RunFaults : public ReaderStageFixture
{
protected:
    void SetUp() override
    {
        ReaderStageFixture::SetUp();
        layOutDemo();
        QFile::remove(apilecFolder() + QStringLiteral("api_lec_sim.log"));
    }

    QString pdfPath() const { return commonFolder() + QStringLiteral("/attestation.pdf"); }
    QByteArray pdf() const
    {
        QFile f(pdfPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }

    // Puts the common folder on a small file system of its own, the store copied onto it.
    std::unique_ptr<SmallFileSystem> ownFileSystem(int kilobytes)
    {
        QFile store(storePath());
        EXPECT_TRUE(store.open(QIODevice::ReadOnly));
        const QByteArray bytes = store.readAll();
        store.close();
        auto disk = std::make_unique<SmallFileSystem>(commonFolder(), kilobytes);
        if (disk->mounted())
            writeFile(storePath(), bytes);
        return disk;
    }

    // The run's end as the user sees it: no page left in progress, the cards released.
    void expectCleanEnd(const QString& headline)
    {
        EXPECT_EQ(view.suivi, headline) << log().toStdString();
        EXPECT_EQ(view.suiviColor, quint32(ClMaroon));
        EXPECT_EQ(view.suivi2, QStringLiteral("Consulter le diagnostic pour plus d'informations"));
        EXPECT_NE(view.page, kelvora::Page::Pdf);
        const QList<QByteArray> calls = callLog().trimmed().split('\n');
        ASSERT_FALSE(calls.isEmpty());
        EXPECT_TRUE(calls.last().startsWith("Lec_FermetureSessionCPS")) << callLog().toStdString();
        EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.first().text.toStdString();
    }
};

// A full disk: a valid certificate, or « PDF en erreur ! » with an empty file and the reason.
TEST_F(RunFaults, AFullDiskNeverGivesABrokenCertificate)
{
    for (const qint64 room : {qint64(0), qint64(4096), qint64(9000), qint64(200000)}) {
        SCOPED_TRACE(room);
        QFile::remove(apilecFolder() + QStringLiteral("api_lec_sim.log"));
        auto disk = ownFileSystem(512);
        if (disk->mounted()) {
            std::cout << "disque plein : tmpfs monté, " << room << " octets libres\n";
            ASSERT_TRUE(disk->fillLeaving(room));
        } else {
            std::cout << "disque plein : écriture interposée après " << room << " octets\n";
        }
        FailingWrite<3>::limit = room;
        start();
        if (!disk->mounted())
            core().writeFunction = &FailingWrite<3>::write;
        run();
        const QByteArray written = pdf();
        if (core().etat(EtatRow::Pdf) == EtatValide) {
            EXPECT_EQ(view.page, kelvora::Page::Pdf);
            EXPECT_TRUE(written.startsWith("%PDF-") && written.trimmed().endsWith("%%EOF"));
            EXPECT_GE(room, written.size());
        } else {
            EXPECT_EQ(written, QByteArray()) << "a failed write leaves the file empty";
            EXPECT_TRUE(log().contains(QStringLiteral("génération impossible\nCause : disque plein")))
                << log().toStdString();
            expectCleanEnd(QStringLiteral("PDF en erreur !"));
        }
        EXPECT_EQ(room >= 200000, core().etat(EtatRow::Pdf) == EtatValide);
        stop();
    }
}

// A statement that fails inside a stage (here the classification of a card's answer, with the
// `erreur` table gone) fails that stage in French and the run ends as any failed run does.
TEST_F(RunFaults, AStoreFailureInAStageEndsTheRunCleanly)
{
    sql("DROP TABLE erreur");
    writeFile(apilecFolder() + QStringLiteral("api_lec_sim.ini"),
              [this] {
                  QFile f(apilecFolder() + QStringLiteral("api_lec_sim.ini"));
                  f.open(QIODevice::ReadOnly);
                  return f.readAll() + "Lec_IntroductionMstVitale=25,0\r\n";
              }());
    start();
    run();
    EXPECT_EQ(core().etat(EtatRow::Cartes), EtatEchec);
    const QStringList lines =
        section(QStringLiteral("Gestion Vitale")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("Erreur de la base de configuration : ")))
        << log().toStdString();
    EXPECT_EQ(format(lines.last()), kBoldRed);
    expectCleanEnd(QStringLiteral("Base de configuration inutilisable !"));
}

// A store that is not open fails the first stage that needs it, as a failing statement does,
// instead of an error that leaves the run.
// The same for a size in `fichiers` that is no number.
TEST_F(RunFaults, AClosedStoreOrABadSizeFailsTheFilesCheck)
{
    struct Case {
        const char* name;
        std::function<void()> fault;
        const char* reason; // after "Erreur de la base de configuration : "
        const char* end;    // of the line
    };
    const Case cases[] = {
        {"closed", [this] { core().Base_donnees.reset(); }, "Base de configuration non ouverte",
         ""},
        {"size", [this] { sql("UPDATE fichiers SET taille = 'douze' WHERE nom = 'api_lec.ini'"); },
         "Taille attendue invalide pour ", "/api_lec.ini : « douze »"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        c.fault();
        EXPECT_NO_THROW(run());
        EXPECT_EQ(core().etat(EtatRow::Fichiers), EtatEchec);
        const QString text = log();
        const qsizetype at = text.indexOf(QStringLiteral("Erreur de la base de configuration : ") +
                                          QString::fromUtf8(c.reason));
        ASSERT_GE(at, text.indexOf(QStringLiteral("### Fichiers"))) << text.toStdString();
        const QString line = text.mid(at, text.indexOf(QLatin1Char('\n'), at) - at).trimmed();
        EXPECT_TRUE(line.endsWith(QString::fromUtf8(*c.end ? c.end : c.reason)))
            << line.toStdString();
        EXPECT_EQ(view.suivi, QStringLiteral("Base de configuration inutilisable !"));
        EXPECT_NE(view.page, kelvora::Page::Pdf);
        stop();
    }
}

// A listed file that is there but cannot be read fails the check like a missing one, without
// a box, and the rows after it are still examined. A write-only kernel attribute refuses
// reading even to root.
TEST_F(RunFaults, AnUnreadableFileFailsTheFilesCheckAndTheOtherRowsAreExamined)
{
    const QString unreadable = QStringLiteral("/sys/bus/platform/uevent");
    if (!QFileInfo(unreadable).isFile())
        GTEST_SKIP() << "pas d'attribut du noyau en écriture seule ici";
    start();
    sql("INSERT INTO fichiers (id, nom, dossier, taille) VALUES "
        "('0', 'uevent', '/sys/bus/platform/', '12')");
    run();
    EXPECT_EQ(core().etat(EtatRow::Fichiers), EtatEchec);
    EXPECT_EQ(view.suivi, QStringLiteral("Fichier(s) manquant(s) !"));
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.first().text.toStdString();
    const QString text = log();
    const qsizetype at = text.indexOf(QStringLiteral("uevent (/sys/bus/platform/) : illisible ("));
    ASSERT_GE(at, 0) << text.toStdString();
    EXPECT_TRUE(text.indexOf(QStringLiteral("api_lec.ini (apilec) : présent"), at) > at)
        << text.toStdString();
}

// The data folder read-only: the run ends on a failed row with its French reason.
TEST_F(RunFaults, AReadOnlyDataFolderEndsOnAFailedRowWithItsReason)
{
    auto disk = ownFileSystem(1024);
    if (!disk->mounted())
        GTEST_SKIP() << "pas de tmpfs montable ici (il faut root)";
    ASSERT_EQ(QProcess::execute(QStringLiteral("mount"),
                                {QStringLiteral("-o"), QStringLiteral("remount,ro"), commonFolder()}),
              0);
    start();
    run();
    EXPECT_EQ(core().etat(EtatRow::Pdf), EtatEchec);
    EXPECT_TRUE(log().contains(QStringLiteral("Cause : disque en lecture seule")))
        << log().toStdString();
    expectCleanEnd(QStringLiteral("PDF en erreur !"));
}

TEST_F(RunFaults, AFolderInPlaceOfTheCertificateIsNamedAsSuch)
{
    QDir().mkpath(pdfPath());
    start();
    run();
    EXPECT_TRUE(log().contains(QStringLiteral("le fichier PDF est déjà ouvert, génération "
                                              "impossible\nCause : un dossier porte ce nom")))
        << log().toStdString();
    expectCleanEnd(QStringLiteral("Un dossier porte le nom du PDF !"));
}

// A shared folder that takes no new files but holds a writable attestation.pdf: the certificate
// is written into that file (no temporary file beside it). Run as « nobody » in a child, since
// root may create files anywhere.
TEST_F(RunFaults, AFolderThatTakesNoNewFilesStillGetsTheCertificate)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "il faut root pour lancer la lecture sous un autre compte";
    const QFileDevice::Permissions all =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
        QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    const QFileDevice::Permissions enterOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                               QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                               QFileDevice::ReadOther | QFileDevice::ExeOther;
    writeFile(pdfPath(), "ancienne attestation");
    for (const QString& file : {pdfPath(), storePath()})
        ASSERT_TRUE(QFile::setPermissions(file, all));
    for (QString folder = commonFolder(); folder.startsWith(temp.path()) && folder != QStringLiteral("/");
         folder = QFileInfo(folder).absolutePath())
        ASSERT_TRUE(QFile::setPermissions(folder, enterOnly | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(apilecFolder(), enterOnly | all));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const gid_t none = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(none) != 0 || ::setuid(none) != 0)
            ::_exit(3);
        start();
        run();
        ::_exit(core().etat(EtatRow::Pdf) == EtatValide ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(pdf().startsWith("%PDF-"));
    EXPECT_EQ(QDir(commonFolder()).entryList(QDir::Files),
              (QStringList{QStringLiteral("attest.vqs"), QStringLiteral("attestation.pdf")}));
}

} // namespace
