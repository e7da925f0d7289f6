// The Linux platform services that stand in for Windows ones.
#include "platform/linux_platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
