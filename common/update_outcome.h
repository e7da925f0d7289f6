// What the root update helper tells the program: its exit codes with their French reasons, and
// the progress lines it writes on its standard output while apt works. Plain C++ so that both
// sides read the same table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvora::update
{

// Exit codes of kelvora-installer (pkexec itself answers 126 or 127 when it refuses).
enum class InstallerExit : int {
    Installed = 0,
    Usage = 2,         // the helper takes no arguments
    NotRoot = 3,       // real or effective user is not root
    Busy = 4,          // another helper is running
    Interrupted = 5,   // dpkg --audit lists half-installed packages
    Locked = 6,        // dpkg's lock stayed held for the whole wait
    Expired = 7,       // the repository's metadata is past its Valid-Until (or not yet valid)
    BadSignature = 8,  // apt refused the repository's signature
    BadHash = 9,       // an index or the package does not match the signed hashes
    UpToDate = 10,     // the repository has no newer kelvora than the installed one
    NoSpace = 11,      // no space left for the download or the installation
    Unreachable = 12,  // the repository could not be reached
    Failed = 13,       // apt or dpkg failed otherwise
    WorkFolder = 14,   // the helper's own root-only folder cannot be prepared
    TooLong = 15,      // the repository or the download took longer than the helper allows
    NotInstalled = 16, // kelvora is not installed from a package on this machine
    Limits = 17,       // the caller's resource limits could not be lifted
    LockLink = 18,     // the helper's lock file is a symbolic link
};

// The one French sentence the user reads for `code`; empty for Installed and for codes that
// are not the helper's.
std::string installerReason(int code);

// True for the outcomes of the transfer itself, before anything was installed (the page says
// them as a failed download).
bool isTransferFailure(int code);

// One progress line: "progression:<0-100>:<French text>". The helper writes them, in order,
// over the whole run: the repository's index, the download, then the installation.
struct Progress {
    int percent = 0;
    std::string text;
};
std::string progressLine(const Progress& progress);
std::optional<Progress> parseProgressLine(std::string_view line);

// The helper's overall progress from one line of apt's status (APT::Status-Fd): downloads take
// the first half of the bar, dpkg's work the second. Other lines give nothing.
std::optional<Progress> progressFromAptStatus(std::string_view line);

} // namespace kelvora::update
