#include "tools/installer/installer.h"

#include "common/update_kind.h"
#include "tools/installer/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::installer
{

namespace
{

using update::kMaxUpdateBytes;

Outcome fail(ExitCode code, std::string message)
{
    return {code, std::move(message)};
}

class UniqueFd
{
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closing is where a full disk may show for a written file.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// A fresh root-only folder for one run, removed with the copy in it when the run ends.
class WorkFolder
{
public:
    explicit WorkFolder(const std::filesystem::path& root)
    {
        if (::mkdir(root.c_str(), 0700) != 0 && errno != EEXIST)
            return;
        // Nobody but root may be able to rename or replace what is inside it.
        struct stat st {
        };
        if (::lstat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != 0 ||
            (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            return;
        std::string pattern = (root / "installation-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~WorkFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

Outcome openFailure(int error)
{
    if (error == ELOOP)
        return fail(ExitCode::NotRegularFile,
                    "Le fichier de mise à jour est un lien symbolique, il est refusé.");
    if (error == ENOENT || error == ENOTDIR)
        return fail(ExitCode::FileUnreadable, "Le fichier de mise à jour est introuvable.");
    return fail(ExitCode::FileUnreadable, "Le fichier de mise à jour est illisible.");
}

const Outcome kNotRegular = {ExitCode::NotRegularFile,
                             "Le fichier de mise à jour n'est pas un fichier ordinaire."};
const Outcome kTooLarge = {ExitCode::TooLarge, "Le fichier de mise à jour dépasse 512 Mo."};
const Outcome kNoWorkFolder = {ExitCode::WorkFolder,
                               "Impossible de préparer le dossier d'installation."};

// Opens the user's file once and copies it from that descriptor: whatever happens to the path
// afterwards, only the copy is read again.
std::optional<Outcome> copyIn(const std::filesystem::path& file, const std::filesystem::path& copy)
{
    // lstat first so that a device or a pipe is refused without being opened at all.
    struct stat st {
    };
    if (::lstat(file.c_str(), &st) != 0)
        return openFailure(errno);
    if (S_ISLNK(st.st_mode))
        return openFailure(ELOOP);
    if (!S_ISREG(st.st_mode))
        return kNotRegular;
    // O_NONBLOCK: a pipe swapped in after lstat must not block the open.
    UniqueFd in(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!in)
        return openFailure(errno);
    if (::fstat(in.get(), &st) != 0)
        return openFailure(errno);
    if (!S_ISREG(st.st_mode))
        return kNotRegular;
    if (static_cast<std::uint64_t>(st.st_size) > kMaxUpdateBytes)
        return kTooLarge;

    UniqueFd out(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        S_IRUSR | S_IWUSR));
    if (!out)
        return kNoWorkFolder;
    std::uint64_t total = 0;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(ExitCode::FileUnreadable, "Le fichier de mise à jour est illisible.");
        if (n == 0)
            break;
        // The file may grow while it is read.
        total += static_cast<std::uint64_t>(n);
        if (total > kMaxUpdateBytes)
            return kTooLarge;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out.get(), buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return kNoWorkFolder;
            done += w;
        }
    }
    if (!out.close())
        return kNoWorkFolder;
    return std::nullopt;
}

std::string withoutFinalNewline(std::string text)
{
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// Debian versions start with a digit and use a small character set; checking it keeps an
// option-like or odd text away from dpkg and out of the message.
bool plausibleVersion(std::string_view version)
{
    if (version.empty() || version.size() > 128 || version[0] < '0' || version[0] > '9')
        return false;
    for (const char c : version) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum && std::string_view(".+~:-").find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

Outcome checkAndInstall(const std::filesystem::path& copy, const Tools& tools)
{
    const Outcome notDebian = {ExitCode::NotDebianPackage,
                               "Le fichier de mise à jour n'est pas un paquet Debian valide."};
    if (update::classifyUpdateFile(copy) != update::UpdateKind::DebianPackage)
        return notDebian;

    const ProgramResult name = runProgram(tools.dpkgDeb, {"--field", copy.string(), "Package"});
    if (name.exitCode != 0)
        return notDebian;
    if (withoutFinalNewline(name.output) != "kelvora")
        return fail(ExitCode::NotKelvora, "Le paquet n'est pas une mise à jour de Kelvora.");

    const ProgramResult versionField =
        runProgram(tools.dpkgDeb, {"--field", copy.string(), "Version"});
    if (versionField.exitCode != 0)
        return notDebian;
    const std::string version = withoutFinalNewline(versionField.output);
    if (!plausibleVersion(version))
        return fail(ExitCode::NotNewer, "La version du paquet est invalide.");

    const ProgramResult query = runProgram(tools.dpkgQuery, {"-W", "-f=${Version}", "kelvora"});
    const Outcome noDatabase = {ExitCode::PackageDatabase,
                                "Impossible de lire la version de Kelvora installée."};
    // dpkg-query answers 1 for a package it does not know: nothing installed, any version goes.
    if (query.exitCode != 0 && query.exitCode != 1)
        return noDatabase;
    const std::string installed = query.exitCode == 0 ? withoutFinalNewline(query.output) : "";
    if (!installed.empty()) {
        const ProgramResult compare =
            runProgram(tools.dpkg, {"--compare-versions", version, "gt", installed});
        if (compare.exitCode == 1)
            return fail(ExitCode::NotNewer,
                        "La version " + version +
                            " du paquet n'est pas plus récente que la version installée" +
                            (plausibleVersion(installed) ? " " + installed : std::string()) + ".");
        if (compare.exitCode != 0)
            return noDatabase;
    }

    // An absolute path ending in .deb is what apt-get takes as a local package file.
    const ProgramResult install = runProgram(
        tools.aptGet,
        {"install", "-y", "-o", "DPkg::Lock::Timeout=120", "-o", "Dpkg::Options::=--force-confdef",
         "-o", "Dpkg::Options::=--force-confold", copy.string()},
        {"DEBIAN_FRONTEND=noninteractive"}, ErrorOutput::WithOutput, true);
    if (install.exitCode < 0)
        return fail(ExitCode::InstallFailed, "L'installation du paquet a été interrompue.");
    if (install.exitCode != 0)
        return fail(ExitCode::InstallFailed, "L'installation du paquet a échoué (apt-get a rendu "
                                             "le code " +
                                                 std::to_string(install.exitCode) + ").");
    return {ExitCode::Success, "Mise à jour de Kelvora installée (version " + version + ")."};
}

// A descriptor 0, 1 or 2 left closed by the caller would be reused by the next open().
void keepStandardDescriptorsOpen()
{
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF && ::open("/dev/null", O_RDWR) != fd)
            ::_exit(static_cast<int>(ExitCode::WorkFolder));
}

} // namespace

Outcome installUpdate(const std::filesystem::path& file, const Settings& settings)
{
    const WorkFolder work(settings.cacheRoot);
    if (work.path().empty())
        return kNoWorkFolder;
    const std::filesystem::path copy = work.path() / "kelvora.deb";
    if (std::optional<Outcome> failed = copyIn(file, copy))
        return *failed;
    if (settings.afterCopy)
        settings.afterCopy(file);
    return checkAndInstall(copy, settings.tools);
}

int runInstaller(int argc, char** argv, const Settings& settings)
{
    keepStandardDescriptorsOpen();
    ::umask(077);
    // apt-get's output is relayed to a caller that may have gone away.
    ::signal(SIGPIPE, SIG_IGN);

    Outcome outcome;
    // Both identities: a mistaken setuid bit must not let any user install packages.
    if (::geteuid() != 0 || ::getuid() != 0)
        outcome = fail(ExitCode::NotRoot,
                       "kelvora-installer doit être lancé en administrateur (root), par pkexec.");
    else if (argc != 2 || !std::filesystem::path(argv[1]).is_absolute())
        // pkexec starts in root's home folder, so a relative path would name another file.
        outcome = fail(ExitCode::Usage, "Usage : kelvora-installer /chemin/absolu/paquet.deb");
    else if (::chdir("/") != 0)
        outcome = kNoWorkFolder;
    else
        outcome = installUpdate(argv[1], settings);

    std::FILE* stream = outcome.code == ExitCode::Success ? stdout : stderr;
    std::fprintf(stream, "%s\n", outcome.message.c_str());
    std::fflush(stream);
    return static_cast<int>(outcome.code);
}

} // namespace kelvora::installer
