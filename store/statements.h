// The fixed statements the application runs on its configuration store. String values are
// written between double quotes, as the installed stores expect; every value is checked
// before it is spliced in, so no caller can change the shape of a statement.
#pragma once

#include "store/connection.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::store
{

// Date read when the store has never recorded an update check (row missing or NULL):
// lower than every real yyyymmdd date, so the next reading run checks for updates.
inline constexpr std::int32_t kNeverChecked = -567485616;

// The statement texts, exactly as they are sent.
namespace sql
{
inline constexpr std::string_view kSelectDateMaj =
    "SELECT valeur FROM configuration WHERE id=\"date_maj\"";
inline constexpr std::string_view kSelectFichiers =
    "SELECT id, nom, dossier, taille FROM fichiers ORDER BY id ASC";
// Throws std::invalid_argument unless `date` is eight digits yyyymmdd.
std::string updateDateMaj(std::string_view date);
// Recreates a missing `date_maj` row; the same check on `date`.
std::string insertDateMaj(std::string_view date);
std::string selectBloquant(std::uint16_t code);
} // namespace sql

// Date of the last update check as a yyyymmdd number, or kNeverChecked.
// Throws DataError when the stored value is not a decimal integer, StatementError on failure.
std::int32_t readDateMaj(Connection& store);

// Records today's date (eight digits yyyymmdd, else std::invalid_argument), recreating the
// `date_maj` row when it is missing. Returns the rows changed or inserted.
int updateDateMaj(Connection& store, std::string_view date);

// One row of `fichiers`, every column as text (NULL reads as the empty text).
struct Fichier {
    std::string id;
    std::string nom;
    std::string dossier;
    std::string taille;
};
std::vector<Fichier> listFichiers(Connection& store);

// Whether a card-reader result or detail code is blocking: only a `bloquant` of exactly "O".
bool isBlocking(Connection& store, std::uint16_t code);

} // namespace kelvora::store
