// What the helper and the program read of each other and of apt: progress lines, apt's status
// lines, apt's error words, and a French reason for every exit code.
#include "common/update_outcome.h"
#include "tools/installer/apt_verdict.h"

#include <gtest/gtest.h>

namespace
{

namespace update = kelvora::update;
using update::InstallerExit;

TEST(UpdateOutcome, AptStatusMovesOneBarAcrossDownloadAndInstallation)
{
    struct Case {
        const char* line;
        std::optional<int> percent;
    };
    const Case cases[] = {
        {"dlstatus:1:0.0000:Retrieving file 1 of 1", 0},
        {"dlstatus:1:100.0000:Retrieving file 1 of 1", 50},
        {"pmstatus:kelvora:20.0000:Unpacking kelvora (amd64)", 60},
        {"pmstatus:kelvora:100:Installed kelvora (amd64)", 100},
        {"pmstatus:kelvora:100.5:beyond", std::nullopt},
        {"pmstatus:kelvora:-1:below", std::nullopt},
        {"pmstatus:kelvora:1,5:comma", std::nullopt},
        {"pmerror:kelvora:50:something", std::nullopt},
        {"dlstatus:1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto progress = update::progressFromAptStatus(c.line);
        ASSERT_EQ(progress.has_value(), c.percent.has_value());
        if (!progress)
            continue;
        EXPECT_EQ(progress->percent, *c.percent);
        // What the helper writes, the program reads back the same.
        const auto read = update::parseProgressLine(update::progressLine(*progress));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->percent, progress->percent);
        EXPECT_EQ(read->text, progress->text);
    }
    for (const char* line : {"progression:101:x", "progression:-1:x", "progression::x",
                             "progression:5", "Get:1 http://127.0.0.1 stable InRelease"})
        EXPECT_FALSE(update::parseProgressLine(line)) << line;
}

// apt's own words in the C locale, as seen in runs against a real repository; only error and
// warning lines count, so a package's description cannot steer the verdict.
TEST(UpdateOutcome, AptWordsNameTheCause)
{
    struct Case {
        std::vector<const char*> lines;
        InstallerExit code;
        bool refused;
    };
    const Case cases[] = {
        {{"E: Release file for http://127.0.0.1:8/dists/stable/InRelease is expired (invalid since "
          "3d 0h 0min 11s). Updates for this repository will not be applied."},
         InstallerExit::Expired,
         true},
        {{"W: GPG error: http://127.0.0.1:8 stable InRelease: The following signatures couldn't "
          "be verified because the public key is not available: NO_PUBKEY 0123456789ABCDEF",
          "E: The repository 'http://127.0.0.1:8 stable InRelease' is not signed."},
         InstallerExit::BadSignature,
         true},
        {{"Err:1 http://127.0.0.1:8 stable/main amd64 kelvora all 1.10", "  Hash Sum mismatch",
          "E: Failed to fetch http://127.0.0.1:8/pool/main/k/kelvora/kelvora_1.10_all.deb  Hash "
          "Sum mismatch"},
         InstallerExit::BadHash,
         true},
        {{"E: Failed to fetch http://127.0.0.1:8/dists/stable/InRelease  Could not connect to "
          "127.0.0.1:8 (127.0.0.1). - connect (111: Connection refused)"},
         InstallerExit::Unreachable,
         true},
        {{"E: You don't have enough free space in /var/cache/apt/archives/."},
         InstallerExit::NoSpace,
         false},
        {{"E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 12 (apt-get)"},
         InstallerExit::Locked,
         false},
        {{"Description: is expired, NO_PUBKEY, Hash Sum mismatch"}, InstallerExit::Failed, false},
        {{"E: Sub-process /usr/bin/dpkg returned an error code (1)"}, InstallerExit::Failed, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.front());
        kelvora::installer::AptVerdict verdict;
        for (const char* line : c.lines)
            verdict.read(line);
        EXPECT_EQ(verdict.code(), c.code);
        EXPECT_EQ(verdict.refused(), c.refused);
    }
}

TEST(UpdateOutcome, EveryExitCodeOfTheHelperHasItsFrenchReason)
{
    for (int code = static_cast<int>(InstallerExit::Usage);
         code <= static_cast<int>(InstallerExit::Limits); ++code) {
        SCOPED_TRACE(code);
        const std::string reason = update::installerReason(code);
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(reason.find('\n'), std::string::npos);
    }
    EXPECT_EQ(update::installerReason(0), "");
    EXPECT_EQ(update::installerReason(126), "");
    EXPECT_TRUE(update::isTransferFailure(static_cast<int>(InstallerExit::Expired)));
    EXPECT_FALSE(update::isTransferFailure(static_cast<int>(InstallerExit::Interrupted)));
}

} // namespace
