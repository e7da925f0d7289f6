// How an update proves where it comes from: a detached OpenPGP signature of the package, made
// with a release key the update server never holds, checked with gpgv against the keyring this
// build names. Plain C++ so that the application and the root installation helper judge
// gpgv's answer the same way.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::update
{

// Largest signature file accepted; a detached signature is a few hundred bytes.
inline constexpr std::uint64_t kMaxSignatureBytes = 64 * 1024;

// The verifier apt itself uses.
inline constexpr char kGpgv[] = "/usr/bin/gpgv";

// The keyring and the fingerprints of the release keys, as this build was configured; they
// cannot be changed when the program runs.
std::filesystem::path updateKeyring();
const std::vector<std::string>& updateKeyFingerprints();

// gpgv's arguments: the machine-readable status on standard output, only `keyring`, and an
// empty `homedir` so that no configuration or other keyring of the account is read.
std::vector<std::string> gpgvArguments(const std::filesystem::path& homedir,
                                       const std::filesystem::path& keyring,
                                       const std::filesystem::path& signature,
                                       const std::filesystem::path& file);

// True only when gpgv ended with 0 and its status holds a VALIDSIG by one of `fingerprints`
// (the signing key's or its primary key's) and no bad, expired or revoked signature.
bool signatureAccepted(int gpgvExitCode, std::string_view status,
                       const std::vector<std::string>& fingerprints);

} // namespace kelvora::update
