#include "apilec/apilec_codes.h"
#include "store/statements.h"
#include "support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace
{

using namespace kelvora::store;
using kelvora::testing::CommandResult;
using kelvora::testing::runCommand;
using kelvora::testing::shellQuote;
using kelvora::testing::TempFolder;

CommandResult admin(const std::string& arguments)
{
    return runCommand(shellQuote(std::string(KELVORA_BIN_DIR) + "/kelvora-admin") + " " +
                      arguments);
}

std::string q(const std::filesystem::path& path)
{
    return shellQuote(path.string());
}

TEST(AdminInitStore, WritesTheRowsAnInstallationNeeds)
{
    TempFolder folder;
    const auto file = folder / "attest.vqs";
    ASSERT_EQ(admin("init-store " + q(file)).exitCode, 0);

    Connection store = Connection::open(file, kStorePassword);
    EXPECT_EQ(readDateMaj(store), kNeverChecked);
    for (const auto& row : apilec_sim::kErreurRows)
        EXPECT_TRUE(isBlocking(store, row.code)) << row.code;
    EXPECT_FALSE(isBlocking(store, apilec_sim::WrongPin));

    const auto fichiers = listFichiers(store);
    ASSERT_EQ(fichiers.size(), 4u);
    const char* expected[][3] = {{"kelvora", "N/A", "0"},
                                 {"attest.vqi", "N/A", "0"},
                                 {"libapi_lec.so", "N/A", "0"},
                                 {"api_lec.ini", "apilec", "0"}};
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        EXPECT_EQ(fichiers[i].nom, expected[i][0]);
        EXPECT_EQ(fichiers[i].dossier, expected[i][1]);
        EXPECT_EQ(fichiers[i].taille, expected[i][2]);
    }

    // The date_maj row exists, so the update check can record its date.
    EXPECT_EQ(updateDateMaj(store, "20240315"), 1);
    EXPECT_EQ(readDateMaj(store), 20240315);
}

TEST(AdminInitStore, RefusesToOverwriteAFile)
{
    TempFolder folder;
    const auto file = folder / "attest.vqs";
    std::ofstream(file) << "à garder";

    const auto result = admin("init-store " + q(file));

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("existe déjà"), std::string::npos) << result.output;
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "à garder");
}

TEST(AdminDemo, LaysOutTheInstallationAndReplacesItOnASecondRun)
{
    TempFolder folder;
    const auto store = folder.path() / "Talvix" / "kelvoraps" / "attest.vqs";
    ASSERT_EQ(admin("demo " + q(folder.path())).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "santesocial" / "api_lec"));
    ASSERT_EQ(admin("sql " + q(store) +
                    " 'UPDATE configuration SET valeur=\"20240101\" WHERE id=\"date_maj\"'")
                  .exitCode,
              0);

    const auto again = admin("demo " + q(folder.path()));

    ASSERT_EQ(again.exitCode, 0) << again.output;
    Connection reopened = Connection::open(store, kStorePassword);
    EXPECT_EQ(readDateMaj(reopened), kNeverChecked);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(store.parent_path()),
                            std::filesystem::directory_iterator()),
              1);
}

class AdminSql : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(admin("init-store " + q(file)).exitCode, 0); }

    TempFolder folder;
    const std::filesystem::path file = folder / "attest.vqs";
};

TEST_F(AdminSql, PrintsRowsWithBarsAndNull)
{
    const auto result = admin("sql " + q(file) + " 'SELECT id, valeur, 7 FROM configuration'");

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "date_maj|NULL|7\n");
}

TEST_F(AdminSql, FailuresSayWhyInFrenchAndCreateNothing)
{
    const auto badStatement = admin("sql " + q(file) + " 'SELECT nom FROM absente'");
    EXPECT_EQ(badStatement.exitCode, 1);
    EXPECT_NE(badStatement.output.find("Instruction refusée"), std::string::npos)
        << badStatement.output;

    const auto missing = admin("sql " + q(folder / "absent.vqs") + " 'SELECT 1'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("Impossible d'ouvrir"), std::string::npos) << missing.output;
    EXPECT_FALSE(std::filesystem::exists(folder / "absent.vqs"));

    EXPECT_EQ(admin("").exitCode, 2);
}

} // namespace
