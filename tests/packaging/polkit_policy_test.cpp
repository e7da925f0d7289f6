// The polkit action the package installs, read back with xmllint as polkit would see it.
#include "support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{

using kelvora::testing::runCommand;
using kelvora::testing::shellQuote;

const std::string kPolicy = KELVORA_POLICY;
const std::string kDtd = "/usr/share/polkit-1/policyconfig-1.dtd";

TEST(PolkitPolicy, IsValidAndNamesTheHelperWithTheFrenchPrompt)
{
    if (runCommand("command -v xmllint").exitCode != 0 || !std::filesystem::exists(kDtd))
        GTEST_SKIP() << "xmllint (libxml2-utils) or polkit's policyconfig-1.dtd is missing";
    const auto valid =
        runCommand("xmllint --noout --dtdvalid " + shellQuote(kDtd) + " " + shellQuote(kPolicy));
    EXPECT_EQ(valid.exitCode, 0) << valid.output;

    struct Case {
        const char* xpath;
        const char* expected;
    };
    const Case cases[] = {
        {"//action[@id='fr.kelvora.installer']/annotate"
         "[@key='org.freedesktop.policykit.exec.path']",
         "/usr/lib/kelvora/kelvora-installer"},
        {"//action/message[@xml:lang='fr']", "Installer la mise à jour de Kelvora"},
        // Asked every time: an update is a new package to vouch for.
        {"//action/defaults/allow_active", "auth_admin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xpath);
        const auto value =
            runCommand("xmllint --xpath " + shellQuote(std::string("string(") + c.xpath + ")") +
                       " " + shellQuote(kPolicy));
        EXPECT_EQ(value.exitCode, 0) << value.output;
        EXPECT_EQ(value.output,
                  std::string(c.expected) + "\n"); // xmllint ends the value with a newline
    }
}

} // namespace
