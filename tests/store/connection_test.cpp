#include "store/connection.h"
#include "store/sqlcipher_library.h"
#include "support/temp_folder.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace
{

using kelvora::store::Connection;
using kelvora::store::kStorePassword;
using kelvora::store::OpenError;
using kelvora::store::StatementError;
using kelvora::testing::runCommand;
using kelvora::testing::shellQuote;
using kelvora::testing::TempFolder;

void makeKeyedStore(const std::filesystem::path& file)
{
    Connection store = Connection::create(file, kStorePassword);
    store.execute("CREATE TABLE configuration(id TEXT PRIMARY KEY, valeur TEXT)");
    store.execute("INSERT INTO configuration VALUES('date_maj', NULL), ('autre', 'texte')");
}

// Runs `sql` in Debian's sqlcipher shell on `file`, after the program's key.
kelvora::testing::CommandResult keyedShell(const std::filesystem::path& file,
                                           const std::string& sql)
{
    return runCommand("sqlcipher " + shellQuote(file.string()) + " " +
                      shellQuote("PRAGMA key = '" + std::string(kStorePassword) + "'; " + sql));
}

std::string contents(const std::filesystem::path& file)
{
    if (!std::filesystem::is_regular_file(file))
        return {};
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct OpenFailure {
    const char* name;
    std::function<void(const std::filesystem::path&)> make;
    friend void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }
};

class OpenFailureTest : public ::testing::TestWithParam<OpenFailure>
{
};

TEST_P(OpenFailureTest, IsDetectedAtOpenWithoutCreatingOrChangingTheFile)
{
    TempFolder folder;
    const auto file = folder / "attest.vqs";
    GetParam().make(file);
    const auto before = std::filesystem::status(file).type();
    const std::string bytesBefore = contents(file);

    EXPECT_THROW(Connection::open(file, kStorePassword), OpenError);

    EXPECT_EQ(std::filesystem::status(file).type(), before);
    EXPECT_EQ(contents(file), bytesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Store, OpenFailureTest,
    ::testing::Values(
        OpenFailure{"MissingFile", [](const auto&) {}},
        OpenFailure{"WrongPassword",
                    [](const auto& file) {
                        Connection store = Connection::create(file, "Qm7Rk2Lw9p");
                        store.execute("CREATE TABLE configuration(id, valeur)");
                    }},
        OpenFailure{"GarbageBytes",
                    [](const auto& file) {
                        std::ofstream out(file, std::ios::binary);
                        for (int i = 0; i < 4096; ++i)
                            out.put(static_cast<char>((i * 151 + 7) % 256));
                    }},
        OpenFailure{"PlainSqliteFile",
                    [](const auto& file) {
                        ASSERT_EQ(runCommand("sqlcipher " + shellQuote(file.string()) +
                                             " 'CREATE TABLE configuration(id, valeur)'")
                                      .exitCode,
                                  0);
                    }},
        OpenFailure{"EmptyFile", [](const auto& file) { std::ofstream out(file); }},
        OpenFailure{"Folder", [](const auto& file) { std::filesystem::create_directory(file); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Connection, ReadsColumnsByPositionAsTextOrNull)
{
    TempFolder folder;
    makeKeyedStore(folder / "attest.vqs");
    Connection store = Connection::open(folder / "attest.vqs", kStorePassword);

    const auto rows = store.query("SELECT id, valeur, 42 FROM configuration ORDER BY id");

    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (kelvora::store::Row{"autre", "texte", "42"}));
    EXPECT_EQ(rows[1], (kelvora::store::Row{"date_maj", std::nullopt, "42"}));
}

TEST(Connection, UpdateThatMatchesNoRowIsNotAnError)
{
    TempFolder folder;
    makeKeyedStore(folder / "attest.vqs");
    Connection store = Connection::open(folder / "attest.vqs", kStorePassword);

    EXPECT_EQ(store.execute("UPDATE configuration SET valeur='x' WHERE id='absent'"), 0);
    EXPECT_EQ(store.execute("UPDATE configuration SET valeur='x' WHERE id='autre'"), 1);
}

TEST(Connection, RefusesASecondStatementAndRunsNeither)
{
    TempFolder folder;
    makeKeyedStore(folder / "attest.vqs");
    Connection store = Connection::open(folder / "attest.vqs", kStorePassword);

    EXPECT_THROW(store.execute("DELETE FROM configuration; DROP TABLE configuration"),
                 StatementError);
    EXPECT_THROW(store.query(""), StatementError);
    EXPECT_EQ(store.query("SELECT count(*) FROM configuration").at(0).at(0), "2");
}

TEST(Connection, StatementErrorsAndClosedConnectionThrow)
{
    TempFolder folder;
    makeKeyedStore(folder / "attest.vqs");
    Connection store = Connection::open(folder / "attest.vqs", kStorePassword);

    EXPECT_THROW(store.query("SELECT nom FROM fichiers"), StatementError);
    store.close();
    EXPECT_FALSE(store.isOpen());
    EXPECT_THROW(store.query("SELECT 1"), StatementError);
}

TEST(Connection, CreateRefusesAnExistingFileAndLeavesItAlone)
{
    TempFolder folder;
    const auto file = folder / "attest.vqs";
    std::ofstream(file) << "garde";

    EXPECT_THROW(Connection::create(file, kStorePassword), OpenError);
    EXPECT_EQ(std::filesystem::file_size(file), 5u);
}

TEST(Connection, FileIsUnreadableWithoutTheKeyInTheSqlcipherShell)
{
    TempFolder folder;
    const auto file = folder / "attest.vqs";
    makeKeyedStore(file);
    const std::string shell = "sqlcipher " + shellQuote(file.string()) + " ";

    const auto withoutKey = runCommand(shell + shellQuote("SELECT valeur FROM configuration;"));
    EXPECT_NE(withoutKey.exitCode, 0);
    EXPECT_EQ(withoutKey.output.find("texte"), std::string::npos);

    const auto withKey = keyedShell(
        file, "PRAGMA cipher_compatibility = 3; SELECT valeur FROM configuration WHERE id = "
              "'autre';");
    EXPECT_EQ(withKey.exitCode, 0) << withKey.output;
    EXPECT_NE(withKey.output.find("texte"), std::string::npos) << withKey.output;

    const std::string bytes = contents(file);
    EXPECT_EQ(bytes.find("date_maj"), std::string::npos);
    EXPECT_EQ(bytes.find("SQLite format"), std::string::npos);
}

} // namespace

namespace
{

TEST(Connection, SqlLiteralRoundTripsQuotes)
{
    TempFolder folder;
    makeKeyedStore(folder / "attest.vqs");
    Connection store = Connection::open(folder / "attest.vqs", kStorePassword);
    const std::string text = "l'heure \"x\" ''; DROP TABLE configuration; --";

    EXPECT_EQ(store.query("SELECT " + kelvora::store::sqlLiteral(text)).at(0).at(0), text);
    EXPECT_EQ(store.query("SELECT count(*) FROM configuration").at(0).at(0), "2");
}

} // namespace

// The engine is opened on first use: a missing library or one without the engine's functions
// is a French OpenError naming it, never a crash at the first statement.
TEST(SqlCipherLibrary, AMissingOrForeignLibraryIsAnOpenErrorNamingIt)
{
    struct Case {
        std::vector<std::string> files;
        const char* expected;
    };
    for (const Case& c :
         {Case{{"libkelvora-absente.so.9"}, "introuvable : libkelvora-absente.so.9"},
          Case{{"libkelvora-absente.so.1", "libkelvora-absente.so.0"},
               "introuvable : libkelvora-absente.so.1 (libkelvora-absente.so.1: cannot open shared "
               "object file: No such file or directory), libkelvora-absente.so.0 ("},
          Case{{"libm.so.6", "libkelvora-absente.so.0"},
               "Fonction sqlite3_open_v2 absente de libm.so.6"}}) {
        try {
            kelvora::store::loadSqlCipher(c.files);
            ADD_FAILURE() << c.files.front() << " loaded";
        } catch (const OpenError& e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
        }
    }
}

// Debian 12 has SQLCipher 3 as .so.0, Debian 13 SQLCipher 4 as .so.1: whichever this release
// has is found by its name after a name that is missing, and the program's own list finds it.
TEST(SqlCipherLibrary, FindsTheEngineByEitherReleasesName)
{
    const auto& loaded = kelvora::store::loadedSqlCipher();
    EXPECT_NE(loaded.functions.open_v2, nullptr);
    EXPECT_TRUE(loaded.file == "libsqlcipher.so.1" || loaded.file == "libsqlcipher.so.0")
        << loaded.file;
    for (const std::string& name : kelvora::store::kSqlCipherFiles) {
        std::string reason;
        if (!kelvora::SharedObject::open(name, reason))
            continue;
        const auto found = kelvora::store::loadSqlCipher({"libkelvora-absente.so.1", name});
        EXPECT_EQ(found.file, name);
        EXPECT_NE(found.functions.step, nullptr);
    }
}

// The stores of every earlier release are in SQLCipher 3's format (the fixture was written by
// Debian 12's sqlcipher 3.4.1, see make_sqlcipher3_store.sh): they open on either release with
// every row, and a change written to one keeps it readable in that format.
TEST(Connection, AStoreWrittenBySqlCipher3OpensWithEveryRow)
{
    TempFolder folder;
    const auto file = folder / "attest.vqs";
    std::filesystem::copy_file(KELVORA_FIXTURES "/attest-sqlcipher3.vqs", file);
    using kelvora::store::Row;
    {
        Connection store = Connection::open(file, kStorePassword);
        EXPECT_EQ(store.query("SELECT id, valeur FROM configuration ORDER BY id"),
                  (std::vector<Row>{{"cabinet", "Cabinet médical de l'Étang"},
                                    {"date_maj", "20251124"}}));
        EXPECT_EQ(store.query("SELECT id, bloquant FROM erreur ORDER BY id"),
                  (std::vector<Row>{{"-3", std::nullopt}, {"41", "O"}, {"62", "N"}}));
        EXPECT_EQ(store.query("SELECT id, nom, dossier, taille FROM fichiers ORDER BY id"),
                  (std::vector<Row>{{"1", "kelvora", "N/A", "0"},
                                    {"2", "api_lec.ini", "apilec", "812"}}));
        EXPECT_EQ(store.execute("UPDATE configuration SET valeur='20261211' WHERE id='date_maj'"),
                  1);
    }
    const auto shell = keyedShell(file, "PRAGMA cipher_compatibility = 3; SELECT valeur FROM "
                                        "configuration WHERE id = 'date_maj';");
    EXPECT_EQ(shell.exitCode, 0) << shell.output;
    EXPECT_NE(shell.output.find("20261211"), std::string::npos) << shell.output;
}

// A store made by hand with the release's own sqlcipher shell and its default settings: on
// Debian 13 that is SQLCipher 4's format, which the program reads as well.
TEST(Connection, AStoreMadeByTheReleasesShellOpens)
{
    TempFolder folder;
    const auto file = folder / "attest.vqs";
    const auto made = keyedShell(file, "CREATE TABLE configuration(id, valeur); INSERT INTO "
                                       "configuration VALUES('date_maj', '20260101');");
    ASSERT_EQ(made.exitCode, 0) << made.output;

    Connection store = Connection::open(file, kStorePassword);
    EXPECT_EQ(store.query("SELECT valeur FROM configuration").at(0).at(0), "20260101");
    EXPECT_THROW(Connection::open(file, "Qm7Rk2Lw9p"), OpenError);
}
