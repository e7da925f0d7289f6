// gpgv's status read as the program and the helper read it: a good signature by a release key,
// and nothing else, whatever gpgv's exit code says.
#include "common/update_signature.h"

#include <gtest/gtest.h>

namespace
{

using kelvora::update::signatureAccepted;

const std::string kRelease = "CFC04BF8B9DF7ADA3E945C95D982BCFCA3A23684";
const std::string kSubkey = "0123456789ABCDEF0123456789ABCDEF01234567";
const std::string kOther = "89ABCDEF0123456789ABCDEF0123456789ABCDEF";

std::string validsig(const std::string& signing, const std::string& primary)
{
    return "[GNUPG:] NEWSIG\n[GNUPG:] GOODSIG D982BCFCA3A23684 Kelvora\n[GNUPG:] VALIDSIG " +
           signing + " 2026-12-10 1796926153 0 4 0 22 8 00 " + primary + "\n";
}

TEST(UpdateSignature, OnlyAGoodSignatureByAReleaseKeyIsAccepted)
{
    struct Case {
        const char* name;
        int exitCode;
        std::string status;
        bool accepted;
    };
    const Case cases[] = {
        {"release key", 0, validsig(kRelease, kRelease), true},
        {"subkey of the release key", 0, validsig(kSubkey, kRelease), true},
        {"fingerprint in lower case", 0,
         validsig("cfc04bf8b9df7ada3e945c95d982bcfca3a23684",
                  "cfc04bf8b9df7ada3e945c95d982bcfca3a23684"),
         true},
        {"another key", 0, validsig(kOther, kOther), false},
        {"exit code 0 without VALIDSIG", 0, "[GNUPG:] NEWSIG\n[GNUPG:] GOODSIG X Kelvora\n", false},
        {"VALIDSIG but gpgv failed", 1, validsig(kRelease, kRelease), false},
        {"a bad signature beside a good one", 0,
         validsig(kRelease, kRelease) + "[GNUPG:] BADSIG D982BCFCA3A23684 Kelvora\n", false},
        {"expired key", 0, "[GNUPG:] EXPKEYSIG D982 Kelvora\n" + validsig(kRelease, kRelease),
         false},
        {"revoked key", 0, "[GNUPG:] REVKEYSIG D982 Kelvora\n" + validsig(kRelease, kRelease),
         false},
        {"no signature data", 0, "[GNUPG:] NODATA 3\n", false},
        {"VALIDSIG outside a status line", 0, "VALIDSIG " + kRelease + "\n", false},
        {"empty", 0, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(signatureAccepted(c.exitCode, c.status, {kRelease}), c.accepted);
    }
}

} // namespace
