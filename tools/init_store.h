// Creation of a configuration store with the tables and rows an installation needs.
#pragma once

#include <filesystem>

namespace kelvora::admin
{

// Creates `file` (never overwrites: throws store::OpenError when it exists) with the tables
// configuration, erreur and fichiers, a NULL `date_maj`, the blocking codes of the stand-in
// card-reader library and the installed files to check. A failed creation leaves no file.
void initStore(const std::filesystem::path& file);

} // namespace kelvora::admin
