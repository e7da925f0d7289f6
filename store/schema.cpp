#include "store/schema.h"

namespace kelvora::store
{

void createTables(Connection& connection)
{
    connection.execute("CREATE TABLE configuration(id TEXT PRIMARY KEY, valeur TEXT)");
    connection.execute("CREATE TABLE erreur(id TEXT PRIMARY KEY, bloquant TEXT)");
    connection.execute(
        "CREATE TABLE fichiers(id INTEGER PRIMARY KEY, nom TEXT, dossier TEXT, taille TEXT)");
}

} // namespace kelvora::store
