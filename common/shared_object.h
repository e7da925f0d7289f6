// A shared library opened while the program runs, every symbol bound at once; closed with the
// object. For the libraries a start does not need: they are opened when first used.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kelvora
{

class SharedObject
{
public:
    // The library, or nullptr with the loader's own words in `error`. A bare name is searched
    // as the dynamic linker searches a program's libraries. `keepMapped` leaves its code in
    // memory once closed, for a library that starts threads or exit routines of its own.
    static std::unique_ptr<SharedObject> open(const std::string& file, std::string& error,
                                              bool keepMapped = false);
    ~SharedObject();
    SharedObject(const SharedObject&) = delete;
    SharedObject& operator=(const SharedObject&) = delete;

    // The address of an exported symbol, or nullptr when the library lacks it.
    void* symbol(const char* name) const;

    // Sets `slot` to the function `name`; false, leaving it alone, when it is missing.
    template <typename Function> bool bind(const char* name, Function& slot) const
    {
        void* address = symbol(name);
        if (address == nullptr)
            return false;
        slot = reinterpret_cast<Function>(address);
        return true;
    }

private:
    explicit SharedObject(void* handle) : handle_(handle) {}
    void* handle_;
};

// A library opened at run time and the table of its functions the program calls.
template <typename Table> struct LoadedFunctions {
    std::unique_ptr<SharedObject> library;
    Table functions{};
    std::string file; // the name that was opened
};

// Opens the first of `files` that the loader finds and fills a `Table` through
// `bindAll(bind, table)`, which calls `bind("name", table.slot)` for each function. Throws
// `Error`, in French, naming every file tried (`kind` says what it is for the user) or the first
// missing function. A library found but lacking a function is an error, not a reason to try the
// next name.
template <typename Error, typename Table, typename BindAll>
LoadedFunctions<Table> loadFunctions(const std::vector<std::string>& files,
                                     const std::string& kind, BindAll bindAll)
{
    LoadedFunctions<Table> loaded;
    std::string tried;
    for (const std::string& file : files) {
        std::string reason;
        loaded.library = SharedObject::open(file, reason);
        if (loaded.library) {
            loaded.file = file;
            break;
        }
        tried += (tried.empty() ? "" : ", ") + file + " (" + reason + ")";
    }
    if (!loaded.library)
        throw Error(kind + " introuvable : " + tried);
    const auto bind = [&](const char* name, auto& slot) {
        if (!loaded.library->bind(name, slot))
            throw Error(std::string("Fonction ") + name + " absente de " + loaded.file);
    };
    bindAll(bind, loaded.functions);
    return loaded;
}

template <typename Error, typename Table, typename BindAll>
LoadedFunctions<Table> loadFunctions(const std::string& file, const std::string& kind,
                                     BindAll bindAll)
{
    return loadFunctions<Error, Table>(std::vector<std::string>{file}, kind, bindAll);
}

} // namespace kelvora
