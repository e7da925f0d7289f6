#include "store/statements.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace kelvora::store
{

namespace sql
{

namespace
{

void checkDate(std::string_view date)
{
    const bool eightDigits = date.size() == 8 && std::all_of(date.begin(), date.end(), [](char c) {
                                 return c >= '0' && c <= '9';
                             });
    if (!eightDigits)
        throw std::invalid_argument("Date de mise à jour invalide (8 chiffres aaaammjj attendus)");
}

} // namespace

std::string updateDateMaj(std::string_view date)
{
    checkDate(date);
    return "UPDATE configuration SET valeur =\"" + std::string(date) + "\" WHERE id=\"date_maj\"";
}

std::string insertDateMaj(std::string_view date)
{
    checkDate(date);
    return "INSERT INTO configuration (id, valeur) VALUES (\"date_maj\", \"" + std::string(date) +
           "\")";
}

std::string selectBloquant(std::uint16_t code)
{
    // A number's decimal text: no sign, no leading zero, nothing that could end the literal.
    return "SELECT bloquant FROM erreur WHERE id=\"" + std::to_string(code) + "\"";
}

} // namespace sql

std::int32_t readDateMaj(Connection& store)
{
    const std::vector<Row> rows = store.query(sql::kSelectDateMaj);
    if (rows.empty() || rows.front().empty() || !rows.front().front())
        return kNeverChecked;
    const std::string& text = *rows.front().front();
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || stop != end)
        throw DataError("Date de mise à jour illisible : \"" + text + "\"");
    return value;
}

int updateDateMaj(Connection& store, std::string_view date)
{
    const int changed = store.execute(sql::updateDateMaj(date));
    if (changed > 0)
        return changed;
    // A missing row would make every reading ask the server again: put it back.
    return store.execute(sql::insertDateMaj(date));
}

std::vector<Fichier> listFichiers(Connection& store)
{
    std::vector<Fichier> fichiers;
    for (const Row& row : store.query(sql::kSelectFichiers)) {
        auto text = [&row](std::size_t i) { return i < row.size() ? row[i].value_or("") : ""; };
        fichiers.push_back({text(0), text(1), text(2), text(3)});
    }
    return fichiers;
}

bool isBlocking(Connection& store, std::uint16_t code)
{
    const std::vector<Row> rows = store.query(sql::selectBloquant(code));
    return !rows.empty() && !rows.front().empty() && rows.front().front() == "O";
}

} // namespace kelvora::store
