#include "store/connection.h"

#include "store/sqlcipher_library.h"

#include <cstdio>
#include <system_error>

namespace kelvora::store
{

namespace
{

struct Finalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlCipher().finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

std::string engineMessage(sqlite3* db)
{
    return db != nullptr ? sqlCipher().errmsg(db) : "mémoire insuffisante";
}

// Prepares exactly one statement: an empty text or a second statement after the first is refused,
// so a caller can never run more than it meant to.
Statement prepareOne(sqlite3* db, std::string_view sql)
{
    if (db == nullptr)
        throw StatementError("Base de configuration fermée");
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlCipher().prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail) !=
        SQLITE_OK)
        throw StatementError("Instruction refusée : " + engineMessage(db));
    Statement statement(raw);
    if (!statement)
        throw StatementError("Instruction vide");

    const std::string_view rest = sql.substr(static_cast<std::size_t>(tail - sql.data()));
    sqlite3_stmt* next = nullptr;
    if (sqlCipher().prepare_v2(db, rest.data(), static_cast<int>(rest.size()), &next, nullptr) !=
            SQLITE_OK ||
        next != nullptr) {
        sqlCipher().finalize(next);
        throw StatementError("Une seule instruction à la fois");
    }
    return statement;
}

// Steps once; false at the end of the rows.
bool step(sqlite3* db, sqlite3_stmt* statement)
{
    const int rc = sqlCipher().step(statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw StatementError("Échec de l'instruction : " + engineMessage(db));
}

Row readRow(sqlite3_stmt* statement)
{
    const int count = sqlCipher().column_count(statement);
    Row row;
    row.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (sqlCipher().column_type(statement, i) == SQLITE_NULL) {
            row.emplace_back(std::nullopt);
            continue;
        }
        const auto* text = reinterpret_cast<const char*>(sqlCipher().column_text(statement, i));
        const int size = sqlCipher().column_bytes(statement, i);
        row.emplace_back(std::string(text != nullptr ? text : "", static_cast<std::size_t>(size)));
    }
    return row;
}

} // namespace

std::string sqlLiteral(std::string_view text)
{
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

void Connection::Closer::operator()(sqlite3* db) const noexcept
{
    sqlCipher().close_v2(db);
}

namespace
{

// Every store Kelvora writes is in SQLCipher 3's format, on either release: the stores of the
// earlier releases open unchanged under SQLCipher 4, and a store made on Debian 13 still opens on
// Debian 12. SQLCipher 3 ignores the pragma, as SQLite ignores any it does not know. The key is
// the program's own, so SQLCipher 4's slower key derivation would protect nothing more.
constexpr std::string_view kVersion3Format = "PRAGMA cipher_compatibility = 3";

Connection::Handle openFile(const std::string& name)
{
    sqlite3* raw = nullptr;
    // No SQLITE_OPEN_CREATE: a missing file must fail here instead of becoming an empty store.
    const int rc = sqlCipher().open_v2(name.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Connection::Handle db(raw);
    if (rc != SQLITE_OK)
        throw OpenError("Impossible d'ouvrir " + name + " : " + engineMessage(raw));
    return db;
}

} // namespace

Connection Connection::keyed(const std::filesystem::path& file, std::string_view password,
                             bool version3Format)
{
    const std::string name = file.string();
    Connection connection{openFile(name)};
    try {
        connection.query("PRAGMA key = " + sqlLiteral(password));
        if (version3Format)
            connection.query(kVersion3Format);
        // SQLCipher reads (and so checks the key on) the first page only when asked for data.
        const std::vector<Row> rows = connection.query("SELECT count(*) FROM sqlite_master");
        if (rows.empty() || !rows.front().front() || *rows.front().front() == "0")
            throw OpenError(name + " n'est pas une base de configuration (fichier vide)");
    } catch (const StatementError& e) {
        throw OpenError(name + " : mot de passe incorrect ou fichier endommagé (" + e.what() + ")");
    }
    return connection;
}

Connection Connection::open(const std::filesystem::path& file, std::string_view password)
{
    try {
        return keyed(file, password, true);
    } catch (const OpenError&) {
        // A store made by hand with Debian 13's own shell is in SQLCipher 4's format. Only the
        // key check is tried again; a file that did not open fails the same way twice.
        if (loadedSqlCipher().file != kSqlCipher4File || !std::filesystem::is_regular_file(file))
            throw;
        try {
            return keyed(file, password, false);
        } catch (const OpenError&) {
        }
        throw; // the first reason, SQLCipher 3's format being the one Kelvora writes

    }
}

Connection Connection::create(const std::filesystem::path& file, std::string_view password)
{
    const std::string name = file.string();
    std::error_code ec;
    if (std::filesystem::symlink_status(file, ec).type() != std::filesystem::file_type::not_found)
        throw OpenError(name + " existe déjà");
    // Exclusive creation reserves the name, so two installers cannot share one file.
    std::FILE* reserved = std::fopen(name.c_str(), "wx");
    if (reserved == nullptr)
        throw OpenError("Impossible de créer " + name);
    std::fclose(reserved);

    try {
        Connection connection{openFile(name)};
        connection.query("PRAGMA key = " + sqlLiteral(password));
        connection.query(kVersion3Format);
        return connection;
    } catch (...) {
        std::filesystem::remove(file, ec);
        throw;
    }
}

std::vector<Row> Connection::query(std::string_view sql)
{
    const Statement statement = prepareOne(db_.get(), sql);
    std::vector<Row> rows;
    while (step(db_.get(), statement.get()))
        rows.push_back(readRow(statement.get()));
    return rows;
}

int Connection::execute(std::string_view sql)
{
    const Statement statement = prepareOne(db_.get(), sql);
    while (step(db_.get(), statement.get())) {
    }
    return sqlCipher().changes(db_.get());
}

void Connection::close() noexcept
{
    db_.reset();
}

} // namespace kelvora::store
