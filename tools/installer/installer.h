// The root installation helper: copies an update package and its detached signature out of the
// user's reach, checks on that copy that the signature is good and made by a release key, that
// the package is a newer `kelvora` of the same epoch and that installing it removes nothing,
// then installs the copy with apt-get.
#pragma once

#include "common/update_signature.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kelvora::installer
{

// Exit codes of kelvora-installer (pkexec itself answers 126 or 127 when it refuses).
enum class ExitCode : int {
    Success = 0,
    Usage = 2,          // not exactly two absolute paths: the package and its signature
    NotRoot = 3,        // effective user is not root
    FileUnreadable = 4, // missing or cannot be opened
    NotRegularFile = 5, // symbolic link, folder, device, pipe...
    TooLarge = 6,       // over kMaxUpdateBytes
    WorkFolder = 7,     // the root-only work folder cannot be made or is not safe
    NotDebianPackage =
        8,          // not an ar archive starting with debian-binary, or unreadable by dpkg-deb
    NotKelvora = 9, // Package field is not exactly "kelvora"
    NotNewer = 10,  // version invalid, equal to or lower than the installed one
    PackageDatabase = 11, // the installed version cannot be read or compared
    InstallFailed = 12,   // apt-get failed
    BadSignature = 13,    // no good signature by a release key (checked before dpkg opens it)
    EpochChanged = 14,    // the version's epoch differs from the installed one's
    WouldRemove = 15,     // installing would remove an installed package
};

struct Tools {
    std::filesystem::path dpkgDeb = "/usr/bin/dpkg-deb";
    std::filesystem::path dpkgQuery = "/usr/bin/dpkg-query";
    std::filesystem::path dpkg = "/usr/bin/dpkg";
    std::filesystem::path aptGet = "/usr/bin/apt-get";
    std::filesystem::path gpgv = "/usr/bin/gpgv";
};

struct Settings {
    // Must exist or be creatable, owned by root and writable by root alone; each run works in a
    // fresh 0700 folder inside it.
    std::filesystem::path cacheRoot = "/var/cache/kelvora";
    Tools tools;
    // The release keys: compiled in for the installed program.
    std::filesystem::path keyring = update::updateKeyring();
    std::vector<std::string> fingerprints = update::updateKeyFingerprints();
    // Called with the original path once the copy is complete and the original closed. Only the
    // tests' build of the helper sets it, to swap the original at the worst moment.
    std::function<void(const std::filesystem::path& original)> afterCopy;
};

struct Outcome {
    ExitCode code = ExitCode::Success;
    std::string message; // one French line
};

// Copies, checks and installs `file`, signed by `signature`. Does not check who runs it.
Outcome installUpdate(const std::filesystem::path& file, const std::filesystem::path& signature,
                      const Settings& settings);

// The whole program: arguments, root check, then installUpdate. The reason of a failure goes to
// standard error as one French line; apt-get's own output goes to standard output.
int runInstaller(int argc, char** argv, const Settings& settings);

} // namespace kelvora::installer
