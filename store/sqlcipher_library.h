// SQLCipher, loaded the first time a store is opened or created rather than with the program:
// it brings libcrypto, and neither is needed before the window is on the screen.
#pragma once

#include "common/shared_object.h"

#include <memory>
#include <sqlcipher/sqlite3.h>
#include <string>

namespace kelvora::store
{

// The engine's functions the store calls. decltype only names their types: nothing here makes
// the program itself depend on the library.
struct SqlCipher {
    decltype(&::sqlite3_open_v2) open_v2;
    decltype(&::sqlite3_close_v2) close_v2;
    decltype(&::sqlite3_errmsg) errmsg;
    decltype(&::sqlite3_prepare_v2) prepare_v2;
    decltype(&::sqlite3_step) step;
    decltype(&::sqlite3_finalize) finalize;
    decltype(&::sqlite3_changes) changes;
    decltype(&::sqlite3_column_count) column_count;
    decltype(&::sqlite3_column_type) column_type;
    decltype(&::sqlite3_column_text) column_text;
    decltype(&::sqlite3_column_bytes) column_bytes;
};

// Opens `file` and binds the table; throws OpenError, in French, when the file or one of the
// functions is missing.
LoadedFunctions<SqlCipher> loadSqlCipher(const std::string& file);

// The library by its versioned name, loaded once for the whole process and kept until it ends;
// safe from any thread. Throws as loadSqlCipher does, and tries again at the next call.
const SqlCipher& sqlCipher();

} // namespace kelvora::store
