#include "tools/installer/apt_verdict.h"

#include <array>

namespace kelvora::installer
{

namespace
{

using update::InstallerExit;

struct Cause {
    std::string_view words; // as apt writes them in the C locale
    InstallerExit code;
    bool refusal; // a refused or unfetched repository, even under a warning
};

// Most telling first: an expired or badly signed index also makes its fetch fail.
constexpr std::array kCauses = {
    Cause{"is expired", InstallerExit::Expired, true},
    Cause{"is not valid yet", InstallerExit::Expired, true},
    Cause{"NO_PUBKEY", InstallerExit::BadSignature, true},
    Cause{"is not signed", InstallerExit::BadSignature, true},
    Cause{"signatures were invalid", InstallerExit::BadSignature, true},
    Cause{"signatures couldn't be verified", InstallerExit::BadSignature, true},
    Cause{"weak digest", InstallerExit::BadSignature, true},
    Cause{"Hash Sum mismatch", InstallerExit::BadHash, true},
    Cause{"Hashes of expected file", InstallerExit::BadHash, true},
    Cause{"unexpected size", InstallerExit::BadHash, true},
    Cause{"Size mismatch", InstallerExit::BadHash, true},
    Cause{"No space left on device", InstallerExit::NoSpace, false},
    Cause{"enough free space", InstallerExit::NoSpace, false},
    Cause{"Could not get lock", InstallerExit::Locked, false},
    Cause{"Unable to acquire the dpkg frontend lock", InstallerExit::Locked, false},
    Cause{"does not have a Release file", InstallerExit::Unreachable, true},
    Cause{"Failed to fetch", InstallerExit::Unreachable, true},
    Cause{"Could not connect", InstallerExit::Unreachable, true},
    Cause{"Could not resolve", InstallerExit::Unreachable, true},
    Cause{"Temporary failure resolving", InstallerExit::Unreachable, true},
    Cause{"Connection failed", InstallerExit::Unreachable, true},
    Cause{"Unable to connect", InstallerExit::Unreachable, true},
    Cause{"index files failed to download", InstallerExit::Unreachable, true},
};

} // namespace

void AptVerdict::read(std::string_view line)
{
    // Only apt's errors and warnings: a package's own description could hold any words.
    if (line.substr(0, 2) != "E:" && line.substr(0, 2) != "W:" && line.substr(0, 4) != "Err:")
        return;
    for (std::size_t i = 0; i < kCauses.size(); ++i)
        if (line.find(kCauses[i].words) != std::string_view::npos) {
            if (best_ < 0 || static_cast<int>(i) < best_)
                best_ = static_cast<int>(i);
            refused_ = refused_ || kCauses[i].refusal;
        }
}

update::InstallerExit AptVerdict::code() const
{
    return best_ < 0 ? InstallerExit::Failed : kCauses[static_cast<std::size_t>(best_)].code;
}

} // namespace kelvora::installer
