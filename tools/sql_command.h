// Support helper: one SQL statement on a store, its rows printed as text.
#pragma once

#include <filesystem>
#include <ostream>
#include <string_view>

namespace kelvora::admin
{

// Opens the store with the installation's password, runs `statement` and prints each row on
// one line, columns separated by "|" and NULL printed as "NULL". Throws store::StoreError.
void runSql(const std::filesystem::path& file, std::string_view statement, std::ostream& out);

} // namespace kelvora::admin
