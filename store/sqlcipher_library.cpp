#include "store/sqlcipher_library.h"

#include "store/store_error.h"

namespace kelvora::store
{

LoadedFunctions<SqlCipher> loadSqlCipher(const std::vector<std::string>& files)
{
    return loadFunctions<OpenError, SqlCipher>(files, "Bibliothèque de chiffrement",
                                               [](const auto& bind, SqlCipher& f) {
                                                   bind("sqlite3_open_v2", f.open_v2);
                                                   bind("sqlite3_close_v2", f.close_v2);
                                                   bind("sqlite3_errmsg", f.errmsg);
                                                   bind("sqlite3_prepare_v2", f.prepare_v2);
                                                   bind("sqlite3_step", f.step);
                                                   bind("sqlite3_finalize", f.finalize);
                                                   bind("sqlite3_changes", f.changes);
                                                   bind("sqlite3_column_count", f.column_count);
                                                   bind("sqlite3_column_type", f.column_type);
                                                   bind("sqlite3_column_text", f.column_text);
                                                   bind("sqlite3_column_bytes", f.column_bytes);
                                               });
}

const LoadedFunctions<SqlCipher>& loadedSqlCipher()
{
    // By its versioned names, as the dynamic linker would have found it for the program.
    static const LoadedFunctions<SqlCipher> library = loadSqlCipher(kSqlCipherFiles);
    return library;
}

} // namespace kelvora::store
