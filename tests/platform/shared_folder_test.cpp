// The start-up check of the shared data folder, with the kernel's own permission checks: each
// case runs in a child process that, when the tests run as root (for whom access() always
// succeeds), first becomes the unprivileged account « nobody ».
#include "platform/shared_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using kelvora::SharedFolderAccess;

struct Case {
    const char* name;
    bool create;        // whether the data folder exists
    mode_t mode;        // its permissions when it exists
    SharedFolderAccess expected;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

// The account the check runs as: this one, or « nobody » when this one is root.
struct Account {
    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    bool drop = false;
};

bool accountForCheck(Account& account)
{
    if (::geteuid() != 0)
        return true;
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || nobody->pw_uid == 0)
        return false;
    account = {nobody->pw_uid, nobody->pw_gid, true};
    return true;
}

// Runs the check in a child as `account`; the child's exit status carries the answer.
int checkInChild(const QString& folder, const Account& account)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (account.drop && (::setgroups(0, nullptr) != 0 || ::setgid(account.gid) != 0 ||
                             ::setuid(account.uid) != 0))
            ::_exit(100);
        ::_exit(static_cast<int>(kelvora::sharedFolderAccess(folder)));
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

class SharedFolder : public testing::TestWithParam<Case>
{
};

TEST_P(SharedFolder, AccessAsSeenByAnOrdinaryAccount)
{
    const Case& c = GetParam();
    Account account;
    if (!accountForCheck(account))
        GTEST_SKIP() << "running as root without an unprivileged account « nobody » to check as";

    QTemporaryDir common;
    ASSERT_TRUE(common.isValid());
    // The parents can be entered by anyone, as /var/lib is; only the data folder differs.
    ASSERT_EQ(::chmod(QFile::encodeName(common.path()).constData(), 0711), 0);
    ASSERT_TRUE(QDir(common.path()).mkdir(QStringLiteral("Talvix")));
    const QString folder = common.filePath(QStringLiteral("Talvix/kelvoraps"));
    if (c.create) {
        ASSERT_TRUE(QDir().mkdir(folder));
        const QByteArray path = QFile::encodeName(folder);
        ASSERT_EQ(::chown(path.constData(), account.uid, account.gid), 0);
        ASSERT_EQ(::chmod(path.constData(), c.mode), 0);
    }

    const int answer = checkInChild(folder, account);
    ASSERT_NE(answer, 100) << "could not become the unprivileged account";
    EXPECT_EQ(answer, static_cast<int>(c.expected));
    // Restore the owner's rights so that the temporary folder can be removed.
    if (c.create)
        ::chmod(QFile::encodeName(folder).constData(), 0700);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SharedFolder,
    testing::Values(Case{"Missing", false, 0, SharedFolderAccess::Missing},
                    Case{"ReadableNotWritable", true, 0500, SharedFolderAccess::Denied},
                    Case{"WritableNotEnterable", true, 0600, SharedFolderAccess::Denied},
                    Case{"Usable", true, 02770, SharedFolderAccess::Usable}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(SharedFolderMessage, NamesTheFolderAndTheGroupToJoin)
{
    const QString folder = QStringLiteral("/var/lib/Talvix/kelvoraps");
    const QString text = kelvora::sharedFolderDeniedMessage(folder);
    EXPECT_TRUE(text.contains(folder)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("adduser NOM kelvora"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("nouvelle"))) << text.toStdString();
}

} // namespace
