#include "common/update_kind.h"
#include "deb_fixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace
{

using kelvora::testing::arArchive;
using kelvora::testing::buildDeb;
using kelvora::testing::TempFolder;
using kelvora::testing::writeFile;
using kelvora::update::classifyUpdateFile;
using kelvora::update::UpdateKind;
namespace fs = std::filesystem;

std::string randomBytes(std::size_t size)
{
    std::mt19937 generator(13);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xff);
    return bytes;
}

fs::path withBytes(const TempFolder& folder, const std::string& bytes)
{
    writeFile(folder / "update", bytes);
    return folder / "update";
}

TEST(UpdateKind, ClassifiesAFileByItsFirstBytes)
{
    struct Case {
        const char* name;
        std::function<fs::path(const TempFolder&)> make;
        UpdateKind expected;
    };
    const Case cases[] = {
        {"Windows executable",
         [](const TempFolder& f) { return withBytes(f, "MZ\x90" + randomBytes(200)); },
         UpdateKind::WindowsExecutable},
        {"random bytes", [](const TempFolder& f) { return withBytes(f, randomBytes(4096)); },
         UpdateKind::Other},
        {"ar archive whose first member is not debian-binary",
         [](const TempFolder& f) { return withBytes(f, arArchive("control.tar.gz", "x")); },
         UpdateKind::Other},
        {"ar archive with a GNU-style debian-binary/ name",
         [](const TempFolder& f) { return withBytes(f, arArchive("debian-binary/", "2.0\n")); },
         UpdateKind::DebianPackage},
        {"ar magic cut before the first header",
         [](const TempFolder& f) {
             return withBytes(f, arArchive("debian-binary", "2.0\n").substr(0, 40));
         },
         UpdateKind::Other},
        {"Debian package built by dpkg-deb",
         [](const TempFolder& f) { return buildDeb(f.path(), "kelvora", "1.10"); },
         UpdateKind::DebianPackage},
        {"empty file", [](const TempFolder& f) { return withBytes(f, ""); }, UpdateKind::Other},
        {"missing file", [](const TempFolder& f) { return f / "absent"; }, UpdateKind::Other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        EXPECT_EQ(classifyUpdateFile(c.make(folder)), c.expected);
    }
}

} // namespace
