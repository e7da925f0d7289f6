#include "store/sqlcipher_library.h"

#include "store/store_error.h"

#include <dlfcn.h>

namespace kelvora::store
{

namespace
{

template <typename Function>
void bind(void* handle, const std::string& file, const char* name, Function& slot)
{
    void* address = ::dlsym(handle, name);
    if (address == nullptr)
        throw OpenError(std::string("Fonction ") + name + " absente de " + file);
    slot = reinterpret_cast<Function>(address);
}

} // namespace

void SqlCipherLibrary::Closer::operator()(void* handle) const noexcept
{
    ::dlclose(handle);
}

SqlCipherLibrary SqlCipherLibrary::load(const std::string& file)
{
    SqlCipherLibrary library;
    library.handle_.reset(::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL));
    void* h = library.handle_.get();
    if (h == nullptr) {
        const char* reason = ::dlerror();
        throw OpenError("Bibliothèque de chiffrement introuvable : " + file + " (" +
                        (reason != nullptr ? reason : "raison inconnue") + ")");
    }
    SqlCipher& f = library.functions_;
    bind(h, file, "sqlite3_open_v2", f.open_v2);
    bind(h, file, "sqlite3_close_v2", f.close_v2);
    bind(h, file, "sqlite3_errmsg", f.errmsg);
    bind(h, file, "sqlite3_prepare_v2", f.prepare_v2);
    bind(h, file, "sqlite3_step", f.step);
    bind(h, file, "sqlite3_finalize", f.finalize);
    bind(h, file, "sqlite3_changes", f.changes);
    bind(h, file, "sqlite3_column_count", f.column_count);
    bind(h, file, "sqlite3_column_type", f.column_type);
    bind(h, file, "sqlite3_column_text", f.column_text);
    bind(h, file, "sqlite3_column_bytes", f.column_bytes);
    return library;
}

const SqlCipher& sqlCipher()
{
    // By its versioned name, as the dynamic linker would have found it for the program.
    static const SqlCipherLibrary library = SqlCipherLibrary::load(KELVORA_SQLCIPHER_SONAME);
    return library.functions();
}

} // namespace kelvora::store
