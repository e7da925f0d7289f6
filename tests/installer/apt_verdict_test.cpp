// apt's error words read by the update helper: which cause each names, in French.
#include "common/update_outcome.h"
#include "tools/installer/apt_verdict.h"

#include <gtest/gtest.h>

namespace
{

namespace update = kelvora::update;
using update::InstallerExit;

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

} // namespace
