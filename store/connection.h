// A connection to the configuration store: one encrypted SQLCipher file, keyed by password.
#pragma once

#include "store/store_error.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace kelvora::store
{

// The store file of an installation, in the common data folder, and its password.
inline constexpr std::string_view kStoreFileName = "attest.vqs";
inline constexpr std::string_view kStorePassword = "Qm7Rk2Lw9P";

// One column of a result row: its text, or nullopt for NULL.
using Value = std::optional<std::string>;
using Row = std::vector<Value>;

// Text as a single-quoted SQL literal, quotes doubled: safe to splice into any statement.
std::string sqlLiteral(std::string_view text);

class Connection
{
public:
    // Opens an existing store; never creates a file. The key is checked here, not at the first
    // statement: a missing, empty or foreign file or a wrong password throws OpenError.
    static Connection open(const std::filesystem::path& file, std::string_view password);

    // Creates a new store file keyed with `password`; throws OpenError when the path already
    // exists. For installers: the application itself never creates a store.
    static Connection create(const std::filesystem::path& file, std::string_view password);

    Connection(Connection&&) noexcept = default;
    Connection& operator=(Connection&&) noexcept = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() = default;

    // Runs one statement and returns all its rows, columns by position.
    // Throws StatementError on failure or when `sql` holds more than one statement.
    std::vector<Row> query(std::string_view sql);

    // Runs one statement that changes data and returns the number of rows it changed
    // (0 for an UPDATE that matches no row, which is not an error). Throws StatementError.
    int execute(std::string_view sql);

    // Closes the connection; later statements throw StatementError.
    void close() noexcept;
    bool isOpen() const noexcept { return db_ != nullptr; }

    struct Closer {
        void operator()(sqlite3* db) const noexcept;
    };
    using Handle = std::unique_ptr<sqlite3, Closer>;

private:
    explicit Connection(Handle db) : db_(std::move(db)) {}
    // Opens and keys an existing file, in SQLCipher 3's format or the library's own.
    static Connection keyed(const std::filesystem::path& file, std::string_view password,
                            bool version3Format);

    Handle db_;
};

} // namespace kelvora::store
