// Why a store that did not open cannot be one, told from the file alone, so that the log and the
// box name the cause instead of only the engine's « file is not a database ».
#pragma once

#include <filesystem>
#include <string>

namespace kelvora::store
{

// In French: a symbolic link (and where it leads), a missing file or something else than a file,
// a file too short to be a store (« fichier tronqué (N octets) »), a plain unencrypted SQLite
// database. Empty when the file looks like a store: the engine's own message is then the cause.
std::string storeFileCause(const std::filesystem::path& file);

} // namespace kelvora::store
