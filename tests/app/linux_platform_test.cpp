// The Linux platform services that stand in for Windows ones.
#include "platform/linux_platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
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

// A stand-in pkexec on PATH: "accepte" runs the command as given, "refuse" exits as pkexec
// does when the password is refused.
class ElevatedStart : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QByteArray savedPath = qgetenv("PATH");

    void TearDown() override { qputenv("PATH", savedPath); }

    void fakePkexec(const QByteArray& body)
    {
        const QString bin = dir.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        QFile f(bin + QStringLiteral("/pkexec"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + body + "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin) + ':' + savedPath);
    }

    QString installer()
    {
        const QString path = dir.filePath(QStringLiteral("kelvoraps-last.exe"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n: > \"$(dirname \"$0\")/installe\"\n");
        return path;
    }
};

TEST_F(ElevatedStart, AcceptedPasswordStartsTheInstaller)
{
    fakePkexec("exec \"$@\"");
    kelvora::LinuxPlatform platform;
    EXPECT_TRUE(platform.startElevated(installer()));
    for (int i = 0; i < 100 && !QFile::exists(dir.filePath(QStringLiteral("installe"))); ++i)
        QThread::msleep(20);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("installe"))));
}

TEST_F(ElevatedStart, RefusedPasswordIsAFailure)
{
    fakePkexec("sleep 0.2; exit 126");
    kelvora::LinuxPlatform platform;
    EXPECT_FALSE(platform.startElevated(installer()));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("installe"))));
}

} // namespace
