// The root update helper: lets apt bring the installed `kelvora` up to the newest release of
// Kelvora's signed repository. apt alone judges the repository's signature, its Valid-Until,
// every hash and the version order; the helper parses no package, reads no file that another
// account can write, and takes no argument. What it does, in order:
//   1. resets the resource limits and signal dispositions it inherited, then takes its own lock;
//   2. refuses to go on when dpkg was interrupted (dpkg --audit), or while dpkg's lock is held;
//   3. writes a one-source list from compiled values and runs `apt-get update` on it alone;
//   4. runs `apt-get install --only-upgrade --no-remove kelvora` with the machine's sources,
//      forwarding apt's progress as lines of common/update_outcome.h on its standard output;
//   5. answers with an exit code of that header (and its French line on standard error).
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvora::installer
{

struct Settings {
    // The repository and the key that signs it: compiled in for the installed helper.
    std::string repositoryUrl;
    std::filesystem::path keyring;
    // Root-only folder of the helper's source lists, emptied at every run.
    std::filesystem::path workRoot = "/var/cache/kelvora";
    // Held for the whole run, so that two helpers never interleave.
    std::filesystem::path lockFile = "/run/kelvora-installer.lock";
    std::filesystem::path dpkgAdminDir = "/var/lib/dpkg";
    // The machine's own extra sources, used with ours for the installation.
    std::filesystem::path machineSourceParts = "/etc/apt/sources.list.d";
    std::filesystem::path aptGet = "/usr/bin/apt-get";
    std::filesystem::path dpkg = "/usr/bin/dpkg";
    std::filesystem::path dpkgQuery = "/usr/bin/dpkg-query";
    // Only the tests' build sets these, to keep apt and dpkg in a temporary root.
    std::vector<std::string> aptOptions;
    std::vector<std::string> dpkgOptions;
    // How long another helper or dpkg's lock is waited for.
    std::chrono::seconds lockWait{60};
    // Deadlines of the repository's index and of the download: a server that trickles its
    // answer cannot hold the machine's package system for days.
    std::chrono::seconds indexDeadline{300};
    std::chrono::seconds downloadDeadline{3600};

    // The compiled values of this build.
    static Settings installed();
};

// The whole program: arguments, identity, then the steps above; returns the exit code.
int runInstaller(int argc, char** argv, const Settings& settings);

} // namespace kelvora::installer
