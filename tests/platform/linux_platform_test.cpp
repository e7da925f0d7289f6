// The Linux platform services that stand in for Windows ones.
#include "platform/linux_platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace
{

TEST(LinuxPlatform, OnlyOneInstanceHoldsTheLock)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    {
        kelvora::LinuxPlatform first;
        kelvora::LinuxPlatform second;
        EXPECT_TRUE(first.acquireSingleInstance(QStringLiteral("KelvoraTest")));
        EXPECT_FALSE(second.acquireSingleInstance(QStringLiteral("KelvoraTest")));
    }
    // The lock goes with its holder, as the kernel drops it when a process ends.
    kelvora::LinuxPlatform again;
    EXPECT_TRUE(again.acquireSingleInstance(QStringLiteral("KelvoraTest")));
}

TEST(LinuxPlatform, LibraryVersionComesFromTheRealFileName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString real = dir.filePath(QStringLiteral("libapi_lec.so.5.20.1.0"));
    QFile f(real);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(QFile::link(real, dir.filePath(QStringLiteral("libapi_lec.so.5"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("libapi_lec.so.5"),
                            dir.filePath(QStringLiteral("libapi_lec.so"))));
    QFile plain(dir.filePath(QStringLiteral("libautre.so")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    kelvora::LinuxPlatform platform;
    EXPECT_EQ(platform.fileVersion(dir.filePath(QStringLiteral("libapi_lec.so"))),
              QStringLiteral("5.20.1.0"));
    EXPECT_EQ(platform.fileVersion(dir.filePath(QStringLiteral("libautre.so"))), QString());
    EXPECT_EQ(platform.fileVersion(dir.filePath(QStringLiteral("absent.so"))), QString());
}

TEST(LinuxPlatform, CommonFolderCanBeMovedForDemosAndTests)
{
    kelvora::LinuxPlatform platform;
    qputenv("KELVORA_PROGRAMDATA", "/srv/kelvora-demo//");
    EXPECT_EQ(platform.commonAppDataFolder(), QStringLiteral("/srv/kelvora-demo"));
    qunsetenv("KELVORA_PROGRAMDATA");
    EXPECT_EQ(platform.commonAppDataFolder(), QStringLiteral("/var/lib"));
}

} // namespace

namespace
{

// The update hand-off: pkexec, by its absolute path, on the root helper, started as the
// program's own child. The real pkexec needs polkit and the system bus; a stand-in records what
// it was given and who its parent is, and answers as the case wants.
class UpdateHandOff : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QByteArray savedPath = qgetenv("PATH");

    void TearDown() override { qputenv("PATH", savedPath); }

    QString standIn() const { return dir.filePath(QStringLiteral("pkexec")); }

    void fakePkexec(const QByteArray& body)
    {
        QFile f(standIn());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n"
                "echo \"$PPID\" > \"" +
                QFile::encodeName(dir.filePath(QStringLiteral("parent"))) +
                "\"\n"
                "printf '%s\\n' \"$@\" > \"" +
                QFile::encodeName(dir.filePath(QStringLiteral("arguments"))) + "\"\n" + body +
                "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QByteArray recorded(const char* name) const
    {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    }
};

TEST_F(UpdateHandOff, PkexecIsTheProgramsOwnChildOnTheHelperAlone)
{
    struct Case {
        const char* name;
        QByteArray body; // what the stand-in does after recording
        bool installed;
        int exitCode;
        QString reason;
        QList<std::pair<int, QString>> progress;
    };
    const Case cases[] = {
        {"installed",
         "echo 'progression:0:Recherche de la mise à jour'; echo 'Get:1 bruit'; "
         "echo 'progression:50:Téléchargement de la mise à jour'; "
         "echo 'progression:100:Installation de la mise à jour'; "
         "echo 'Mise à jour de Kelvora installée (version 1.10).'; exit 0",
         true,
         0,
         QString(),
         {{0, QStringLiteral("Recherche de la mise à jour")},
          {50, QStringLiteral("Téléchargement de la mise à jour")},
          {100, QStringLiteral("Installation de la mise à jour")}}},
        {"prompt dismissed",
         "echo 'Error executing command as another user: Request dismissed' >&2; exit 126",
         false,
         126,
         QStringLiteral("La mise à jour a été annulée : le mot de passe administrateur n'a pas "
                        "été donné."),
         {}},
        {"password refused",
         "echo 'Error executing command as another user: Not authorized' >&2; "
         "echo '' >&2; echo 'This incident has been reported.' >&2; exit 127",
         false,
         127,
         QStringLiteral("L'autorisation administrateur a été refusée : le mot de passe n'a pas été "
                        "accepté."),
         {}},
        {"no authentication agent",
         "echo 'Error creating textual authentication agent: Error opening current controlling "
         "terminal for the process: No such device or address' >&2; exit 127",
         false,
         127,
         QStringLiteral("Le mot de passe administrateur n'a pas pu être demandé sur ce bureau. "
                        "Lancez Kelvora depuis la session de bureau (menu des applications), ou "
                        "demandez à l'administrateur du poste d'installer la mise à jour."),
         {}},
        {"other refusal of pkexec",
         "echo 'pkexec must be setuid root' >&2; exit 127",
         false,
         127,
         QStringLiteral("L'autorisation administrateur n'a pas pu être obtenue (pkexec)."),
         {}},
        {"helper answers: nothing newer",
         "echo 'progression:0:Recherche de la mise à jour'; echo 'ce que dit apt' >&2; exit 10",
         false,
         10,
         QStringLiteral("Le dépôt de Kelvora ne propose pas de version plus récente que celle "
                        "installée."),
         {{0, QStringLiteral("Recherche de la mise à jour")}}},
        {"a code nobody knows",
         "exit 99",
         false,
         99,
         QStringLiteral("L'installation a échoué (code 99)."),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(dir.filePath(QStringLiteral("parent")));
        fakePkexec(c.body);
        // Another pkexec first on PATH is never the one started.
        qputenv("PATH", QFile::encodeName(dir.path()) + "/nowhere:" + savedPath);

        kelvora::LinuxPlatform platform;
        platform.setElevationTool(standIn());
        QList<std::pair<int, QString>> progress;
        const std::optional<kelvora::Failure> failed =
            platform.installUpdate([&progress](int percent, const QString& step) {
                progress.append({percent, step});
            });

        EXPECT_EQ(!failed, c.installed);
        EXPECT_EQ(failed ? failed->error : 0, c.exitCode);
        EXPECT_EQ(failed ? failed->reason : QString(), c.reason);
        EXPECT_EQ(progress, c.progress);
        // No shell and no double fork in between: pkexec's parent is this very process, and the
        // helper is given nothing but its own path.
        EXPECT_EQ(recorded("parent").toLongLong(), QCoreApplication::applicationPid());
        EXPECT_EQ(recorded("arguments"), QByteArray(kelvora::LinuxPlatform::kInstallerHelper));
    }
}

TEST_F(UpdateHandOff, MissingPkexecIsAFailureWithAReason)
{
    kelvora::LinuxPlatform platform;
    platform.setElevationTool(dir.filePath(QStringLiteral("absent/pkexec")));
    const std::optional<kelvora::Failure> failed = platform.installUpdate({});
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->reason.contains(QStringLiteral("pkexec"))) << failed->reason.toStdString();
}

// The real pkexec, where it is installed but can reach no polkit authority (as in a container)
// and the helper is absent, so that no password prompt can appear: started as our child it
// gets past the "dead parents" refusal that a double fork earns, and fails on what is missing.
TEST_F(UpdateHandOff, RealPkexecAcceptsItsParent)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/pkexec")))
        GTEST_SKIP() << "pkexec is not installed";
    if (QFile::exists(QString::fromLatin1(kelvora::LinuxPlatform::kInstallerHelper)) ||
        QFile::exists(QStringLiteral("/run/dbus/system_bus_socket")))
        GTEST_SKIP() << "a real installation or a polkit authority could prompt for a password";
    kelvora::LinuxPlatform platform;
    const std::optional<kelvora::Failure> failed = platform.installUpdate({});
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->error, 127);
    EXPECT_FALSE(failed->detail.contains(QStringLiteral("dead parents")))
        << failed->detail.toStdString();
    EXPECT_FALSE(failed->detail.isEmpty());
    std::printf("pkexec answered: %s\n", failed->detail.toLocal8Bit().constData());
}

} // namespace
