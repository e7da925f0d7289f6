#include "tools/installer/installer.h"

#include "common/update_outcome.h"
#include "tools/installer/apt_verdict.h"
#include "tools/installer/child_process.h"
#include "tools/installer/process_reset.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kelvora::installer
{

using update::InstallerExit;

namespace
{

class UniqueFd
{
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

// Waits up to `wait` for `held` to turn false, checking twice a second.
bool waitUntilFree(const std::function<bool()>& held, std::chrono::seconds wait)
{
    const auto end = std::chrono::steady_clock::now() + wait;
    while (held()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return true;
}

// The helper's own lock, in a root-only place; the kernel drops it when the helper ends, however
// it ends. Never taken through a symbolic link: one there is told as such.
InstallerExit takeHelperLock(const Settings& settings, UniqueFd& lock)
{
    lock = UniqueFd(::open(settings.lockFile.c_str(),
                           O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
    if (!lock)
        return errno == ELOOP ? InstallerExit::LockLink : InstallerExit::WorkFolder;
    if (!waitUntilFree([&lock] { return ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0; },
                       settings.lockWait))
        return InstallerExit::Busy;
    return InstallerExit::Installed;
}

// dpkg's locks as dpkg and apt take them (fcntl), looked at without taking them.
bool dpkgLockHeld(const std::filesystem::path& adminDir)
{
    for (const char* name : {"lock-frontend", "lock"}) {
        const UniqueFd fd(::open((adminDir / name).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        if (!fd)
            continue;
        struct flock query {
        };
        query.l_type = F_WRLCK;
        query.l_whence = SEEK_SET;
        if (::fcntl(fd.get(), F_GETLK, &query) == 0 && query.l_type != F_UNLCK)
            return true;
    }
    return false;
}

std::vector<std::string> withOptions(std::vector<std::string> options,
                                     const std::vector<std::string>& more)
{
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

// What dpkg knows of the installed kelvora; nullopt when it is not installed.
std::optional<std::string> installedVersion(const Settings& settings)
{
    std::string version;
    const ProgramResult query =
        runProgram(settings.dpkgQuery,
                   withOptions(settings.dpkgOptions, {"-W", "-f=${Version}\\n", "kelvora"}),
                   [&version](std::string_view line) {
                       if (version.empty())
                           version = line;
                   });
    if (query.exitCode != 0 || version.empty())
        return std::nullopt;
    return version;
}

bool dpkgInterrupted(const Settings& settings)
{
    bool said = false;
    const ProgramResult audit =
        runProgram(settings.dpkg, withOptions(settings.dpkgOptions, {"--audit"}),
                   [&said](std::string_view line) { said = said || !line.empty(); });
    return audit.exitCode != 0 || said;
}

// The repository as one deb822 source, from compiled values only. The source itself asks for the
// expiry and date checks, which a machine's own apt settings may switch off.
std::string sourceText(const Settings& settings)
{
    return "Types: deb\nURIs: " + settings.repositoryUrl +
           "\nSuites: stable\nComponents: main\nSigned-By: " + settings.keyring.string() +
           "\nCheck-Valid-Until: yes\nCheck-Date: yes\n";
}

bool writeFile(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// Removes `name` from the folder `parent`, whatever it is, never following a symbolic link: each
// folder is opened from its parent with O_NOFOLLOW and taken from its owner before it is
// emptied, so an entry swapped for a link meanwhile is removed as a link.
bool removeTree(int parent, const char* name, int depth = 0)
{
    if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT)
        return true;
    if (errno != EISDIR || depth > 64)
        return false;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::fchown(fd, 0, 0) != 0 || ::fchmod(fd, 0700) != 0) {
        ::close(fd);
        return false;
    }
    DIR* folder = ::fdopendir(fd);
    if (folder == nullptr) {
        ::close(fd);
        return false;
    }
    bool removed = true;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view child = entry->d_name;
        if (child != "." && child != "..")
            removed = removeTree(::dirfd(folder), entry->d_name, depth + 1) && removed;
    }
    ::closedir(folder);
    return removed && ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

// What makes `st` unfit for the work folder, in French; empty when it is a folder of this
// account (root) that only it may open.
std::string unfitWorkFolder(const struct stat& st)
{
    if (S_ISLNK(st.st_mode))
        return "c'était un lien symbolique";
    if (!S_ISDIR(st.st_mode))
        return "ce n'était pas un dossier";
    if (st.st_uid != ::geteuid())
        return "il appartenait au compte " + std::to_string(st.st_uid);
    if ((st.st_mode & 07777) != 0700) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        return std::string("ses droits étaient ") + mode + " au lieu de 0700";
    }
    return {};
}

// The helper's work folder, a root-only folder: whatever else stands at its name (a link, a file,
// a folder of another account or open to others) is removed without following any link and the
// folder made anew; the output says so, for the program's log.
bool makeWorkFolder(const std::filesystem::path& folder)
{
    struct stat st {
    };
    if (::lstat(folder.c_str(), &st) == 0) {
        const std::string unfit = unfitWorkFolder(st);
        if (unfit.empty())
            return true;
        std::printf("Dossier de travail %s refait : %s.\n", folder.c_str(), unfit.c_str());
        std::fflush(stdout);
        if (!removeTree(AT_FDCWD, folder.c_str()))
            return false;
    } else if (errno != ENOENT) {
        return false;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 || ::lstat(folder.c_str(), &st) != 0)
        return false;
    return unfitWorkFolder(st).empty();
}

// The work folder holds two source folders: the repository alone (for its index) and the
// repository with the machine's other sources (for the installation). Whatever an earlier run
// left there, interrupted or not, is swept first.
bool prepareSources(const Settings& settings)
{
    namespace fs = std::filesystem;
    const bool failed = false;
    if (!makeWorkFolder(settings.workRoot))
        return failed;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(settings.workRoot, error))
        fs::remove_all(entry.path(), error);
    const fs::path alone = settings.workRoot / "depot";
    const fs::path machine = settings.workRoot / "poste";
    if (!fs::create_directory(alone, error) || !fs::create_directory(machine, error) ||
        !writeFile(settings.workRoot / "vide.list", "") ||
        !writeFile(alone / "kelvora.sources", sourceText(settings)) ||
        !writeFile(machine / "kelvora.sources", sourceText(settings)))
        return failed;
    // The package's own kelvora.sources is replaced by ours: an administrator may have
    // disabled it, and its options must not conflict with ours.
    for (const fs::directory_entry& entry :
         fs::directory_iterator(settings.machineSourceParts, error)) {
        const fs::path name = entry.path().filename();
        const bool source = name.extension() == ".list" || name.extension() == ".sources";
        if (source && name != "kelvora.sources" && entry.is_regular_file(error) &&
            !fs::copy_file(entry.path(), machine / name, error))
            return failed;
    }
    return true;
}

// The options every apt call takes: the checks stated even where the machine's settings
// switched them off, the tests' redirections, then the step's own sources.
std::vector<std::string> aptOptions(const Settings& settings, const std::string& sourceParts)
{
    const std::string lockTimeout = std::to_string(settings.lockWait.count());
    const std::vector<std::string> checks = {
        "-q",
        "-o",
        "Acquire::Check-Valid-Until=true",
        "-o",
        "Acquire::Check-Date=true",
        "-o",
        "Acquire::AllowInsecureRepositories=false",
        "-o",
        "Acquire::AllowDowngradeToInsecureRepositories=false",
        "-o",
        "Acquire::AllowWeakRepositories=false",
        "-o",
        "APT::Get::AllowUnauthenticated=false",
        "-o",
        "Acquire::http::Timeout=60",
        "-o",
        "Acquire::https::Timeout=60",
        "-o",
        "DPkg::Lock::Timeout=" + lockTimeout,
    };
    return withOptions(withOptions(checks, settings.aptOptions),
                       {"-o", "Dir::Etc::sourceparts=" + sourceParts});
}

// Runs apt-get, forwarding its progress and its errors, and judging its words as they come.
struct AptRun {
    ProgramResult result;
    AptVerdict verdict;
    bool installing = false; // dpkg was reached: from then on nothing stops apt
};

AptRun runApt(const Settings& settings, const std::vector<std::string>& arguments,
              std::chrono::seconds deadline, bool statusFd)
{
    AptRun run;
    int shown = -1;
    const auto end = std::chrono::steady_clock::now() + deadline;
    ChildProcess apt(settings.aptGet, arguments, programEnvironment(), statusFd);
    run.result = apt.wait(
        [&run](std::string_view line) {
            run.verdict.read(line);
            if (line.substr(0, 2) == "E:" || line.substr(0, 2) == "W:")
                std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
        },
        [&run, &shown](std::string_view line) {
            if (line.substr(0, 9) == "pmstatus:")
                run.installing = true;
            const auto progress = update::progressFromAptStatus(line);
            if (progress && progress->percent != shown) {
                shown = progress->percent;
                std::printf("%s\n", update::progressLine(*progress).c_str());
                std::fflush(stdout);
            }
        },
        [&run, end] { return run.installing || std::chrono::steady_clock::now() < end; });
    return run;
}

std::optional<InstallerExit> aptFailure(const AptRun& run)
{
    if (run.result.stopped)
        return InstallerExit::TooLong;
    if (run.result.exitCode == 0 && !run.verdict.refused())
        return std::nullopt;
    return run.verdict.code();
}

InstallerExit upgrade(const Settings& settings)
{
    if (dpkgInterrupted(settings))
        return InstallerExit::Interrupted;
    const std::optional<std::string> before = installedVersion(settings);
    if (!before)
        return InstallerExit::NotInstalled;
    if (!waitUntilFree([&settings] { return dpkgLockHeld(settings.dpkgAdminDir); },
                       settings.lockWait))
        return InstallerExit::Locked;
    if (!prepareSources(settings))
        return InstallerExit::WorkFolder;

    std::printf("%s\n", update::progressLine({0, "Recherche de la mise à jour"}).c_str());
    std::fflush(stdout);
    // The repository's index alone; the other sources' lists stay as they are.
    const AptRun index = runApt(
        settings,
        withOptions(aptOptions(settings, (settings.workRoot / "depot").string()),
                    {"-o", "Dir::Etc::sourcelist=" + (settings.workRoot / "vide.list").string(),
                     "-o", "APT::Get::List-Cleanup=0", "update"}),
        settings.indexDeadline, false);
    if (const std::optional<InstallerExit> failed = aptFailure(index))
        return *failed;

    const AptRun install =
        runApt(settings,
               withOptions(aptOptions(settings, (settings.workRoot / "poste").string()),
                           {"-o", "APT::Status-Fd=3", "-o", "Dpkg::Options::=--force-confdef", "-o",
                            "Dpkg::Options::=--force-confold", "install", "-y", "--only-upgrade",
                            "--no-remove", "kelvora"}),
               settings.downloadDeadline, true);
    if (const std::optional<InstallerExit> failed = aptFailure(install))
        return *failed;
    const std::optional<std::string> after = installedVersion(settings);
    if (!after)
        return InstallerExit::Failed;
    if (*after == *before)
        return InstallerExit::UpToDate;
    std::printf("Mise à jour de Kelvora installée (version %s).\n", after->c_str());
    return InstallerExit::Installed;
}

} // namespace

Settings Settings::installed()
{
    Settings settings;
    settings.repositoryUrl = KELVORA_APT_URL;
    settings.keyring = KELVORA_UPDATE_KEYRING;
    return settings;
}

int runInstaller(int argc, char** argv, const Settings& settings)
{
    (void)argv;
    const bool limitsReset = resetInheritedState();
    InstallerExit code = InstallerExit::Installed;
    // Both identities: a mistaken setuid bit must not let any user install packages.
    if (::geteuid() != 0 || ::getuid() != 0)
        code = InstallerExit::NotRoot;
    else if (argc != 1)
        code = InstallerExit::Usage;
    else if (!limitsReset)
        code = InstallerExit::Limits;
    else if (::chdir("/") != 0)
        code = InstallerExit::WorkFolder;
    if (code == InstallerExit::Installed) {
        // From here on a hang-up, an interrupt or a plain kill cannot cut apt or dpkg short.
        ignoreInterruptions();
        UniqueFd lock;
        code = takeHelperLock(settings, lock);
        if (code == InstallerExit::Installed)
            code = upgrade(settings);
    }
    if (code != InstallerExit::Installed) {
        std::fprintf(stderr, "%s\n", update::installerReason(static_cast<int>(code)).c_str());
        std::fflush(stderr);
    }
    return static_cast<int>(code);
}

} // namespace kelvora::installer
