// The tests' build of kelvora-installer: the same work as the installed program, with its cache
// folder, two of its commands and an after-copy hook taken from the environment:
//   KELVORA_INSTALLER_CACHE        folder holding the per-run work folders
//   KELVORA_INSTALLER_APT_GET      stands in for apt-get (records what it was given)
//   KELVORA_INSTALLER_DPKG_QUERY   stands in for dpkg-query (the installed version)
//   KELVORA_INSTALLER_AFTER_COPY   program run with the original path once it has been copied
//   KELVORA_INSTALLER_KEYRING      the release keys' keyring (a test key's)
//   KELVORA_INSTALLER_FINGERPRINT  the one release key's fingerprint
// The first two are required. This program is never installed; it refuses to run setuid or
// through pkexec rather than fall back to the real folder and apt-get.
#include "tools/installer/child_process.h"
#include "tools/installer/installer.h"

#include <cstdio>
#include <cstdlib>
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
    Settings settings;
    const char* cache = variable("KELVORA_INSTALLER_CACHE");
    const char* apt = variable("KELVORA_INSTALLER_APT_GET");
    // A test must never reach the real cache folder or apt-get, whatever its environment.
    if (::getauxval(AT_SECURE) != 0 || std::getenv("PKEXEC_UID") != nullptr || cache == nullptr ||
        apt == nullptr) {
        std::fputs("kelvora-installer-seams ne sert qu'aux tests.\n", stderr);
        return static_cast<int>(ExitCode::Usage);
    }
    settings.cacheRoot = cache;
    settings.tools.aptGet = apt;
    if (const char* query = variable("KELVORA_INSTALLER_DPKG_QUERY"))
        settings.tools.dpkgQuery = query;
    if (const char* keyring = variable("KELVORA_INSTALLER_KEYRING"))
        settings.keyring = keyring;
    if (const char* fingerprint = variable("KELVORA_INSTALLER_FINGERPRINT"))
        settings.fingerprints = {fingerprint};
    if (const char* hook = variable("KELVORA_INSTALLER_AFTER_COPY"))
        settings.afterCopy = [hook](const std::filesystem::path& original) {
            runProgram(hook, {original.string()});
        };
    return runInstaller(argc, argv, settings);
}
