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

// The update hand-off: pkexec on the root helper, started as the program's own child. The real
// pkexec needs polkit and the system bus; a stand-in on PATH records what it was given and who
// its parent is, and answers as the case wants.
class UpdateHandOff : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QByteArray savedPath = qgetenv("PATH");
    QString savedCurrent = QDir::currentPath();

    void TearDown() override
    {
        qputenv("PATH", savedPath);
        QDir::setCurrent(savedCurrent);
    }

    QString bin() const { return dir.filePath(QStringLiteral("bin")); }

    void fakePkexec(const QByteArray& body)
    {
        QDir().mkpath(bin());
        QFile f(bin() + QStringLiteral("/pkexec"));
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
        qputenv("PATH", QFile::encodeName(bin()) + ':' + savedPath);
    }

    QByteArray recorded(const char* name) const
    {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    }
};

TEST_F(UpdateHandOff, PkexecIsTheProgramsOwnChildOnTheHelperWithAnAbsolutePath)
{
    const QString refusal = QStringLiteral("Le paquet n'est pas plus récent que la version "
                                           "installée (1.09).");
    struct Case {
        const char* name;
        QByteArray body; // what the stand-in does after recording
        bool installed;
        int exitCode;
        QString reason;
    };
    const Case cases[] = {
        {"installed", "echo 'Mise à jour installée.'; exit 0", true, 0, QString()},
        {"prompt dismissed",
         "echo 'Error executing command as another user: Request dismissed' >&2; exit 126", false,
         126,
         QStringLiteral("La mise à jour a été annulée : le mot de passe administrateur n'a pas "
                        "été donné.")},
        {"password refused",
         "echo 'Error executing command as another user: Not authorized' >&2; "
         "echo '' >&2; echo 'This incident has been reported.' >&2; exit 127",
         false, 127,
         QStringLiteral("L'autorisation administrateur a été refusée : le mot de passe n'a pas été "
                        "accepté.")},
        {"no authentication agent",
         "echo 'Error creating textual authentication agent: Error opening current controlling "
         "terminal for the process: No such device or address' >&2; exit 127",
         false, 127,
         QStringLiteral("Le mot de passe administrateur n'a pas pu être demandé sur ce bureau. "
                        "Lancez Kelvora depuis la session de bureau (menu des applications), ou "
                        "demandez à l'administrateur du poste d'installer la mise à jour.")},
        {"other refusal of pkexec", "echo 'pkexec must be setuid root' >&2; exit 127", false, 127,
         QStringLiteral("L'autorisation administrateur n'a pas pu être obtenue (pkexec).")},
        {"helper refuses",
         "echo 'apt-get: rien' >&2; echo \"" + refusal.toUtf8() + "\" >&2; exit 10", false, 10,
         refusal},
    };
    QFile update(dir.filePath(QStringLiteral("kelvoraps-last.exe")));
    ASSERT_TRUE(update.open(QIODevice::WriteOnly));
    update.close();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(dir.filePath(QStringLiteral("parent")));
        fakePkexec(c.body);
        // A relative name: pkexec starts the helper in root's home folder.
        QDir::setCurrent(dir.path());

        kelvora::LinuxPlatform platform;
        const kelvora::UpdateInstallResult result = platform.installUpdate(
            QStringLiteral("kelvoraps-last.exe"), QStringLiteral("kelvoraps-last.exe.sig"));

        EXPECT_EQ(result.installed, c.installed);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.reason, c.reason);
        // No shell and no double fork in between: pkexec's parent is this very process.
        EXPECT_EQ(recorded("parent").toLongLong(), QCoreApplication::applicationPid());
        EXPECT_EQ(recorded("arguments"),
                  QByteArray(kelvora::LinuxPlatform::kInstallerHelper) + '\n' +
                      QFile::encodeName(QFileInfo(update).absoluteFilePath()) + '\n' +
                      QFile::encodeName(QFileInfo(update).absoluteFilePath()) + ".sig");
    }
}

TEST_F(UpdateHandOff, MissingPkexecIsAFailureWithAReason)
{
    QDir().mkpath(bin());
    qputenv("PATH", QFile::encodeName(bin()));
    kelvora::LinuxPlatform platform;
    const kelvora::UpdateInstallResult result =
        platform.installUpdate(dir.filePath(QStringLiteral("kelvoraps-last.exe")),
                               dir.filePath(QStringLiteral("kelvoraps-last.exe.sig")));
    EXPECT_FALSE(result.installed);
    EXPECT_TRUE(result.reason.contains(QStringLiteral("pkexec"))) << result.reason.toStdString();
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
    qputenv("PATH", "/usr/bin:/bin");
    kelvora::LinuxPlatform platform;
    const kelvora::UpdateInstallResult result =
        platform.installUpdate(dir.filePath(QStringLiteral("kelvoraps-last.exe")),
                               dir.filePath(QStringLiteral("kelvoraps-last.exe.sig")));
    EXPECT_FALSE(result.installed);
    EXPECT_EQ(result.exitCode, 127);
    EXPECT_FALSE(result.detail.contains(QStringLiteral("dead parents")))
        << result.detail.toStdString();
    EXPECT_FALSE(result.detail.isEmpty());
    std::printf("pkexec answered: %s\n", result.detail.toLocal8Bit().constData());
}

} // namespace
