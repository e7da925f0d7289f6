// Binding the card-reader library by name: what is missing is said, never crashed on.
#include "binding/apilec_library.h"
#include "support/standin_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace kelvora::reader
{
namespace
{

// Every function through the binding; true when each call came back with a result.
int callableCount(const ApiLecLibrary& lib)
{
    std::uint16_t error = 0, word = 0, session = 0;
    std::int32_t count = 0;
    std::uint32_t size = 0;
    char buffer[128] = {};
    std::uint16_t capacity = sizeof buffer;
    TChar2 c2{}, c2b{}, c2c{};
    TChar8 c8{};
    TChar10 c10{};
    TChar27 c27{};
    const char16_t* cell = u"attest";
    const char* folder = "/nonexistent/";
    const std::optional<std::uint16_t> results[] = {
        lib.listeLecteurs(folder, nullptr, &count, &error),
        lib.initLecteurs(folder, "", "", &error),
        lib.ouvertureSessionVitale(folder, &cell, &session, &error),
        lib.ouvertureSessionCPS(folder, &cell, &session, &error),
        lib.introductionMstVitale(0, 0, &word, &error),
        lib.introductionMstCPS(0, 0, c2, c27, &word, &error),
        lib.controleCPS(0, "", c8, c10, c2, c2b, c2c, &error),
        lib.lectureVitale(0, 0, buffer, &size, &error),
        lib.retraitMhtVitale(0, 0, &error),
        lib.retraitMhtCPS(0, 0, &error),
        lib.fermetureSessionVitale(0, &error),
        lib.fermetureSessionCPS(0, &error),
        lib.dictionnaire(folder, 1, "01", "00000000", buffer, &capacity, &error),
    };
    int callable = 0;
    for (const auto& r : results)
        callable += r.has_value() ? 1 : 0;
    return callable;
}

TEST(ApiLecLibrary, LoadsTheVersionedLibraryBesideTheExecutables)
{
    ApiLecLibrary lib;
    ASSERT_TRUE(lib.load(kelvora::testing::systemPlatform(), QStringLiteral(KELVORA_BIN_DIR))) << lib.errorString().toStdString();
    EXPECT_TRUE(lib.complete()) << lib.missing().toStdString();
    EXPECT_EQ(lib.path(), QDir(QStringLiteral(KELVORA_BIN_DIR)).filePath("libapi_lec.so"));
    EXPECT_EQ(QFileInfo(lib.path()).canonicalFilePath(),
              QDir(QStringLiteral(KELVORA_BIN_DIR)).canonicalPath() + "/libapi_lec.so.5.20.1.0");
    EXPECT_EQ(callableCount(lib), 13);
}

TEST(ApiLecLibrary, MissingLibraryIsNamedAndEveryCallDeclines)
{
    ApiLecLibrary lib;
    EXPECT_FALSE(lib.loadFile(kelvora::testing::systemPlatform(), QStringLiteral("/nonexistent/libapi_lec.so")));
    EXPECT_FALSE(lib.loaded());
    EXPECT_FALSE(lib.errorString().isEmpty());
    EXPECT_EQ(lib.missing(), QStringLiteral("libapi_lec.so"));
    EXPECT_EQ(lib.missing(LecFunction::ControleCPS), QStringLiteral("libapi_lec.so"));
    EXPECT_EQ(callableCount(lib), 0);
}

TEST(ApiLecLibrary, LibraryWithoutSomeFunctionsNamesThem)
{
    ApiLecLibrary lib;
    ASSERT_TRUE(lib.load(kelvora::testing::systemPlatform(), QStringLiteral(KELVORA_PARTIAL_APILEC_DIR)))
        << lib.errorString().toStdString();
    EXPECT_TRUE(lib.loaded());
    EXPECT_FALSE(lib.complete());
    EXPECT_EQ(lib.missing(),
              "Lec_OuvertureSessionVitale, Lec_OuvertureSessionCPS, Lec_IntroductionMstVitale, "
              "Lec_IntroductionMstCPS, Lec_ControleCPS, Lec_LectureVitale, "
              "Lec_RetraitMhtVitale, Lec_RetraitMhtCPS, Lec_FermetureSessionVitale, "
              "Lec_FermetureSessionCPS, Lec_Dictionnaire");
    EXPECT_EQ(lib.missing(LecFunction::InitLecteurs), QString());
    EXPECT_EQ(lib.missing(LecFunction::Dictionnaire), QStringLiteral("Lec_Dictionnaire"));
    EXPECT_EQ(callableCount(lib), 2);

    lib.unload();
    EXPECT_EQ(lib.missing(), QStringLiteral("libapi_lec.so"));
    EXPECT_EQ(callableCount(lib), 0);
}

} // namespace
} // namespace kelvora::reader
