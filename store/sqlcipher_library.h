// SQLCipher, loaded the first time a store is opened or created rather than with the program:
// it brings libcrypto, and neither is needed before the window is on the screen.
#pragma once

#include "common/shared_object.h"

#include <memory>
#include <sqlcipher/sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::store
{

// Debian 13 ships SQLCipher 4 as .so.1, Debian 12 SQLCipher 3 as .so.0; one package serves both,
// so the program opens whichever is there, the newer first.
inline const std::vector<std::string> kSqlCipherFiles = {"libsqlcipher.so.1", "libsqlcipher.so.0"};

// The file name SQLCipher 4 is known by: its stores need to be told to use SQLCipher 3's format.
inline constexpr std::string_view kSqlCipher4File = "libsqlcipher.so.1";

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

// Opens the first of `files` found and binds the table; throws OpenError, in French, naming
// every file tried when none is found, or the first missing function.
LoadedFunctions<SqlCipher> loadSqlCipher(const std::vector<std::string>& files);

// The library by one of kSqlCipherFiles, loaded once for the whole process and kept until it
// ends; safe from any thread. Throws as loadSqlCipher does, and tries again at the next call.
const LoadedFunctions<SqlCipher>& loadedSqlCipher();
inline const SqlCipher& sqlCipher() { return loadedSqlCipher().functions; }

} // namespace kelvora::store
