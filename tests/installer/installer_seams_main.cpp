// The tests' build of kelvora-installer: the installed program's work, with apt and dpkg kept in
// a temporary root named by the environment:
//   KELVORA_INSTALLER_ROOT       the root: work folder, lock, dpkg database, apt state and cache
//   KELVORA_INSTALLER_URL        the repository (a loopback server)
//   KELVORA_INSTALLER_KEYRING    the release key's keyring
//   KELVORA_INSTALLER_WAIT       seconds a lock is waited for (60 when unset)
//   KELVORA_INSTALLER_DEADLINE   seconds the index and the download may take (unset: as installed)
// The first three are required. This program is never installed; it refuses to run setuid or
// through pkexec rather than fall back to the real folders.
#include "tools/installer/installer.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/auxv.h>

namespace
{

const char* variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kelvora::installer;
    const char* root = variable("KELVORA_INSTALLER_ROOT");
    const char* url = variable("KELVORA_INSTALLER_URL");
    const char* keyring = variable("KELVORA_INSTALLER_KEYRING");
    // A test must never reach the machine's package system, whatever its environment.
    if (::getauxval(AT_SECURE) != 0 || std::getenv("PKEXEC_UID") != nullptr || root == nullptr ||
        url == nullptr || keyring == nullptr) {
        std::fputs("kelvora-installer-seams ne sert qu'aux tests.\n", stderr);
        return 2;
    }
    const std::filesystem::path base = root;
    Settings settings;
    settings.repositoryUrl = url;
    settings.keyring = keyring;
    settings.workRoot = base / "work";
    settings.lockFile = base / "helper.lock";
    settings.dpkgAdminDir = base / "dpkg";
    settings.machineSourceParts = base / "etc/sources.list.d";
    const std::string admin = "--admindir=" + (base / "dpkg").string();
    settings.dpkgOptions = {admin};
    settings.aptOptions = {
        "-o", "Dir::State=" + (base / "apt/state").string(),
        "-o", "Dir::State::status=" + (base / "dpkg/status").string(),
        "-o", "Dir::Cache=" + (base / "apt/cache").string(),
        "-o", "Dir::Log=" + (base / "apt/log").string(),
        "-o", "Dir::Etc::sourcelist=" + (base / "etc/sources.list").string(),
        "-o", "DPkg::Options::=" + admin,
        "-o", "DPkg::Options::=--instdir=" + (base / "installed").string(),
    };
    if (const char* wait = variable("KELVORA_INSTALLER_WAIT"))
        settings.lockWait = std::chrono::seconds(std::atoi(wait));
    if (const char* deadline = variable("KELVORA_INSTALLER_DEADLINE")) {
        settings.indexDeadline = std::chrono::seconds(std::atoi(deadline));
        settings.downloadDeadline = settings.indexDeadline;
    }
    return runInstaller(argc, argv, settings);
}
