// What the helper and the program read of each other and of apt: progress lines, apt's status
// lines, and a French reason for every exit code.
#include "common/update_outcome.h"

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

TEST(UpdateOutcome, EveryExitCodeOfTheHelperHasItsFrenchReason)
{
    for (int code = static_cast<int>(InstallerExit::Usage);
         code <= static_cast<int>(InstallerExit::LockLink); ++code) {
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
