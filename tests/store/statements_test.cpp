#include "store/schema.h"
#include "store/statements.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <optional>

namespace
{

using namespace kelvora::store;
using kelvora::testing::TempFolder;

// A store with the three tables; `rows` fills them for the case at hand.
class StoreTest : public ::testing::Test
{
protected:
    void build(const std::string& rows = "")
    {
        {
            Connection store = Connection::create(folder_ / "attest.vqs", kStorePassword);
            createTables(store);
            if (!rows.empty())
                store.execute(rows);
        }
        store_ = Connection::open(folder_ / "attest.vqs", kStorePassword);
    }
    Connection& store() { return *store_; }

    TempFolder folder_;
    std::optional<Connection> store_;
};

TEST(StatementText, IsExactlyTheInstalledStoresShape)
{
    EXPECT_EQ(sql::kSelectDateMaj, "SELECT valeur FROM configuration WHERE id=\"date_maj\"");
    EXPECT_EQ(sql::updateDateMaj("20240315"),
              "UPDATE configuration SET valeur =\"20240315\" WHERE id=\"date_maj\"");
    EXPECT_EQ(sql::insertDateMaj("20240315"),
              "INSERT INTO configuration (id, valeur) VALUES (\"date_maj\", \"20240315\")");
    EXPECT_EQ(sql::kSelectFichiers,
              "SELECT id, nom, dossier, taille FROM fichiers ORDER BY id ASC");
    EXPECT_EQ(sql::selectBloquant(41), "SELECT bloquant FROM erreur WHERE id=\"41\"");
    EXPECT_EQ(sql::selectBloquant(0), "SELECT bloquant FROM erreur WHERE id=\"0\"");
    EXPECT_EQ(sql::selectBloquant(65535), "SELECT bloquant FROM erreur WHERE id=\"65535\"");
}

struct DateCase {
    const char* name;
    const char* rows;                     // inserted into configuration
    std::optional<std::int32_t> expected; // nullopt: DataError
    friend void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }
};

class ReadDateMajTest : public StoreTest, public ::testing::WithParamInterface<DateCase>
{
};

TEST_P(ReadDateMajTest, ReadsTheLastCheckDate)
{
    build(GetParam().rows);
    if (GetParam().expected) {
        EXPECT_EQ(readDateMaj(store()), *GetParam().expected);
    } else {
        EXPECT_THROW(readDateMaj(store()), DataError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Store, ReadDateMajTest,
    ::testing::Values(
        DateCase{"Null", "INSERT INTO configuration VALUES('date_maj', NULL)", kNeverChecked},
        DateCase{"MissingRow", "INSERT INTO configuration VALUES('autre', '20240315')",
                 kNeverChecked},
        DateCase{"RealDate", "INSERT INTO configuration VALUES('date_maj', '20240315')", 20240315},
        DateCase{"Letters", "INSERT INTO configuration VALUES('date_maj', 'jamais')", std::nullopt},
        DateCase{"Empty", "INSERT INTO configuration VALUES('date_maj', '')", std::nullopt},
        DateCase{"TrailingText", "INSERT INTO configuration VALUES('date_maj', '2024-03-15')",
                 std::nullopt},
        DateCase{"TooLarge", "INSERT INTO configuration VALUES('date_maj', '99999999999')",
                 std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreTest, UpdateDateMajWritesTheRowWhenItExists)
{
    build("INSERT INTO configuration VALUES('date_maj', NULL)");

    EXPECT_EQ(updateDateMaj(store(), "20240315"), 1);
    EXPECT_EQ(readDateMaj(store()), 20240315);
}

// A deleted row is put back, so that the daily rule holds; the other rows stay as they were.
TEST_F(StoreTest, UpdateDateMajRecreatesAMissingRow)
{
    build("INSERT INTO configuration VALUES('client', 'Cabinet 12')");

    EXPECT_EQ(updateDateMaj(store(), "20240315"), 1);
    EXPECT_EQ(readDateMaj(store()), 20240315);
    EXPECT_EQ(store().query("SELECT id, valeur FROM configuration ORDER BY id"),
              (std::vector<Row>{{std::string("client"), std::string("Cabinet 12")},
                                {std::string("date_maj"), std::string("20240315")}}));
    // Once back, the next day's write updates it in place.
    EXPECT_EQ(updateDateMaj(store(), "20240316"), 1);
    EXPECT_EQ(readDateMaj(store()), 20240316);
    EXPECT_EQ(store().query("SELECT valeur FROM configuration WHERE id='date_maj'"),
              (std::vector<Row>{{std::string("20240316")}}));
}

TEST_F(StoreTest, UpdateDateMajRefusesAnythingButEightDigits)
{
    build("INSERT INTO configuration VALUES('date_maj', '20240101')");

    for (const char* bad : {"", "2024031", "202403150", "2024031a", "\"||\"x", "20240315\""}) {
        EXPECT_THROW(updateDateMaj(store(), bad), std::invalid_argument) << bad;
        EXPECT_THROW(sql::insertDateMaj(bad), std::invalid_argument) << bad;
    }
    EXPECT_EQ(readDateMaj(store()), 20240101);
}

TEST_F(StoreTest, OnlyAnUppercaseOBlocks)
{
    build("INSERT INTO erreur VALUES('41', 'O'), ('42', 'o'), ('43', 'N'), ('44', ''),"
          " ('45', NULL), ('46', ' O')");

    EXPECT_TRUE(isBlocking(store(), 41));
    for (std::uint16_t notBlocking : {42, 43, 44, 45, 46, 47})
        EXPECT_FALSE(isBlocking(store(), notBlocking)) << notBlocking;
}

TEST_F(StoreTest, FichiersComeInIdOrderAsText)
{
    build("INSERT INTO fichiers VALUES(10, 'api_lec.ini', 'apilec', '0'),"
          " (2, 'kelvora', 'N/A', '1000'), (3, 'vide', NULL, '0')");

    const auto fichiers = listFichiers(store());

    ASSERT_EQ(fichiers.size(), 3u);
    EXPECT_EQ(fichiers[0].id, "2");
    EXPECT_EQ(fichiers[0].nom, "kelvora");
    EXPECT_EQ(fichiers[0].taille, "1000");
    EXPECT_EQ(fichiers[1].dossier, "");
    EXPECT_EQ(fichiers[2].id, "10");
    EXPECT_EQ(fichiers[2].dossier, "apilec");
}

TEST_F(StoreTest, EmptyFichiersTableGivesNoRow)
{
    build();
    EXPECT_TRUE(listFichiers(store()).empty());
}

} // namespace
