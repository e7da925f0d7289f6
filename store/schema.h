// The tables of an installation's store. kelvora-admin creates them, and the tests and fuzz
// targets build their stores from the same statements, so that what they test is the shape
// installations have.
#pragma once

#include "store/connection.h"

namespace kelvora::store
{

// `erreur.id` holds the decimal text of a result code, as the lookup compares it. No column
// but the ids is required: a store edited by hand may hold NULL anywhere, and the program
// reads it so.
void createTables(Connection& connection);

} // namespace kelvora::store
