#include "tools/init_store.h"

#include "apilec/apilec_codes.h"
#include "store/connection.h"
#include "store/schema.h"

#include <string>
#include <string_view>

namespace kelvora::admin
{

namespace
{

struct FichierRow {
    const char* nom;
    const char* dossier;
    const char* taille;
};

// The files of this installation, in the order of the check: what sits beside the executable,
// then the card-reader configuration in its data folder. Sizes are not checked ("0").
constexpr FichierRow kFichiers[] = {
    {"kelvora", "N/A", "0"},
    {"attest.vqi", "N/A", "0"},
    {"libapi_lec.so", "N/A", "0"},
    {"api_lec.ini", "apilec", "0"},
};

void fill(store::Connection& store)
{
    store.execute("BEGIN");
    store::createTables(store);
    // NULL: the first run checks for updates, and the row is there for the check to record its
    // date.
    store.execute("INSERT INTO configuration(id, valeur) VALUES('date_maj', NULL)");
    for (const auto& row : apilec_sim::kErreurRows)
        store.execute("INSERT INTO erreur(id, bloquant) VALUES(" +
                      store::sqlLiteral(std::to_string(row.code)) + ", " +
                      store::sqlLiteral(row.bloquant) + ")");
    int id = 1;
    for (const auto& row : kFichiers)
        store.execute("INSERT INTO fichiers(id, nom, dossier, taille) VALUES(" +
                      std::to_string(id++) + ", " + store::sqlLiteral(row.nom) + ", " +
                      store::sqlLiteral(row.dossier) + ", " + store::sqlLiteral(row.taille) + ")");
    store.execute("COMMIT");
}

} // namespace

void initStore(const std::filesystem::path& file)
{
    store::Connection store = store::Connection::create(file, store::kStorePassword);
    try {
        fill(store);
    } catch (...) {
        store.close();
        std::error_code ec;
        std::filesystem::remove(file, ec);
        throw;
    }
}

} // namespace kelvora::admin
