#include "tools/installer/installer.h"

#include "common/update_kind.h"
#include "tools/installer/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvora::installer
{

namespace
{

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
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.release();
        return *this;
    }
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
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

// What a copied file is, in the messages: « Le fichier de mise à jour », « La signature ».
struct Incoming {
    const char* subject;
    std::uint64_t maxBytes;
    const char* tooLarge;
};

const Incoming kPackage = {"Le fichier de mise à jour", update::kMaxUpdateBytes,
                           "Le fichier de mise à jour dépasse 512 Mo."};
const Incoming kSignature = {"Le fichier de signature", update::kMaxSignatureBytes,
                             "Le fichier de signature dépasse 64 Ko."};

Outcome openFailure(const Incoming& what, int error)
{
    const std::string subject = what.subject;
    if (error == ELOOP)
        return fail(ExitCode::NotRegularFile,
                    subject + " passe par un lien symbolique, il est refusé.");
    if (error == EINVAL)
        return fail(ExitCode::NotRegularFile,
                    subject + " est désigné par un chemin avec « . » ou « .. », il est refusé.");
    if (error == ENOENT || error == ENOTDIR)
        return fail(ExitCode::FileUnreadable, subject + " est introuvable.");
    return fail(ExitCode::FileUnreadable, subject + " est illisible.");
}

Outcome notRegular(const Incoming& what)
{
    return fail(ExitCode::NotRegularFile,
                std::string(what.subject) + " n'est pas un fichier ordinaire.");
}

const Outcome kNoWorkFolder = {ExitCode::WorkFolder,
                               "Impossible de préparer le dossier d'installation."};

// Opens the folder holding `file` by walking its path from the root, one component at a time,
// none of which may be a symbolic link, "." or "..": another account that can write into one of
// those folders cannot point the helper elsewhere. Sets `name` to the last component.
int openParentWithoutLinks(const std::filesystem::path& file, std::string& name, int& error)
{
    std::vector<std::string> parts;
    for (const auto& part : file.relative_path())
        parts.push_back(part.string());
    if (parts.empty() || parts.back().empty()) {
        error = ENOENT;
        return -1;
    }
    name = parts.back();
    parts.pop_back();
    UniqueFd folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) {
        error = errno;
        return -1;
    }
    for (const std::string& part : parts) {
        if (part == "." || part == "..") {
            error = EINVAL;
            return -1;
        }
        // O_NOFOLLOW makes a link fail with ELOOP; O_DIRECTORY anything else but a folder.
        const int next =
            ::openat(folder.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            error = errno;
            if (error == ENOTDIR) {
                // A link to a folder reports ENOTDIR with O_DIRECTORY on some kernels.
                struct stat st {
                };
                if (::fstatat(folder.get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISLNK(st.st_mode))
                    error = ELOOP;
            }
            return -1;
        }
        folder = UniqueFd(next);
    }
    if (name == "." || name == "..") {
        error = EINVAL;
        return -1;
    }
    return folder.release();
}

// Opens the user's file once and copies it from that descriptor: whatever happens to the path
// afterwards, only the copy is read again.
std::optional<Outcome> copyIn(const std::filesystem::path& file, const std::filesystem::path& copy,
                              const Incoming& what)
{
    std::string name;
    int error = 0;
    const UniqueFd folder(openParentWithoutLinks(file, name, error));
    if (!folder)
        return openFailure(what, error);
    // fstatat first so that a device or a pipe is refused without being opened at all.
    struct stat st {
    };
    if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return openFailure(what, errno);
    if (S_ISLNK(st.st_mode))
        return openFailure(what, ELOOP);
    if (!S_ISREG(st.st_mode))
        return notRegular(what);
    // O_NONBLOCK: a pipe swapped in after fstatat must not block the open.
    UniqueFd in(::openat(folder.get(), name.c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!in)
        return openFailure(what, errno);
    if (::fstat(in.get(), &st) != 0)
        return openFailure(what, errno);
    if (!S_ISREG(st.st_mode))
        return notRegular(what);
    const Outcome tooLarge = {ExitCode::TooLarge, what.tooLarge};
    if (static_cast<std::uint64_t>(st.st_size) > what.maxBytes)
        return tooLarge;

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
            return fail(ExitCode::FileUnreadable, std::string(what.subject) + " est illisible.");
        if (n == 0)
            break;
        // The file may grow while it is read.
        total += static_cast<std::uint64_t>(n);
        if (total > what.maxBytes)
            return tooLarge;
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

// The epoch of a Debian version ("2" in "2:1.10"), 0 when it has none; nullopt when malformed.
std::optional<unsigned long> epochOf(std::string_view version)
{
    const std::size_t colon = version.find(':');
    if (colon == std::string_view::npos)
        return 0;
    const std::string_view digits = version.substr(0, colon);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stoul(std::string(digits));
}

// The installed packages that apt would remove to install `copy`, from its simulation.
std::optional<std::vector<std::string>> removedBy(const std::filesystem::path& copy,
                                                  const Tools& tools)
{
    const ProgramResult simulation = runProgram(
        tools.aptGet, {"install", "-s", "-y", "-o", "DPkg::Lock::Timeout=120", copy.string()},
        {"DEBIAN_FRONTEND=noninteractive", "LC_ALL=C"});
    if (simulation.exitCode != 0)
        return std::nullopt;
    std::vector<std::string> removed;
    std::istringstream in(simulation.output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Remv ", 0) == 0) {
            std::istringstream words(line.substr(5));
            std::string package;
            words >> package;
            removed.push_back(package);
        }
    return removed;
}

std::string joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

// The signature is checked before anything else reads the package: a package that fails it is
// never opened by dpkg.
std::optional<Outcome> checkSignature(const std::filesystem::path& copy,
                                      const std::filesystem::path& signature,
                                      const std::filesystem::path& work, const Settings& settings)
{
    const std::filesystem::path home = work / "gnupg";
    if (::mkdir(home.c_str(), 0700) != 0)
        return kNoWorkFolder;
    const ProgramResult gpgv = runProgram(
        settings.tools.gpgv, update::gpgvArguments(home, settings.keyring, signature, copy));
    if (update::signatureAccepted(gpgv.exitCode, gpgv.output, settings.fingerprints))
        return std::nullopt;
    return fail(ExitCode::BadSignature,
                "La mise à jour n'a pas de signature valide de Kelvora : elle est refusée.");
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
        // A rogue epoch, once installed, would outrank every genuine later version.
        const std::optional<unsigned long> newEpoch = epochOf(version);
        const std::optional<unsigned long> oldEpoch = epochOf(installed);
        if (!newEpoch || !oldEpoch)
            return fail(ExitCode::NotNewer, "La version du paquet est invalide.");
        if (*newEpoch != *oldEpoch)
            return fail(ExitCode::EpochChanged,
                        "La version " + version +
                            " du paquet change d'époque par rapport à la "
                            "version installée" +
                            (plausibleVersion(installed) ? " " + installed : std::string()) +
                            " : elle est refusée.");
    }

    const std::optional<std::vector<std::string>> removed = removedBy(copy, tools);
    if (!removed)
        return fail(ExitCode::InstallFailed,
                    "apt-get n'a pas pu préparer l'installation du paquet.");
    if (!removed->empty())
        return fail(ExitCode::WouldRemove, "L'installation retirerait des paquets installés (" +
                                               joined(*removed) + ") : elle est refusée.");

    // An absolute path ending in .deb is what apt-get takes as a local package file.
    const ProgramResult install = runProgram(
        tools.aptGet,
        {"install", "-y", "--no-remove", "-o", "DPkg::Lock::Timeout=120", "-o",
         "Dpkg::Options::=--force-confdef", "-o", "Dpkg::Options::=--force-confold", copy.string()},
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

Outcome installUpdate(const std::filesystem::path& file, const std::filesystem::path& signature,
                      const Settings& settings)
{
    const WorkFolder work(settings.cacheRoot);
    if (work.path().empty())
        return kNoWorkFolder;
    const std::filesystem::path copy = work.path() / "kelvora.deb";
    const std::filesystem::path signatureCopy = work.path() / "kelvora.deb.sig";
    if (std::optional<Outcome> failed = copyIn(file, copy, kPackage))
        return *failed;
    if (std::optional<Outcome> failed = copyIn(signature, signatureCopy, kSignature))
        return *failed;
    if (settings.afterCopy)
        settings.afterCopy(file);
    if (std::optional<Outcome> refused = checkSignature(copy, signatureCopy, work.path(), settings))
        return *refused;
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
    else if (argc != 3 || !std::filesystem::path(argv[1]).is_absolute() ||
             !std::filesystem::path(argv[2]).is_absolute())
        // pkexec starts in root's home folder, so a relative path would name another file.
        outcome = fail(ExitCode::Usage, "Usage : kelvora-installer /chemin/absolu/paquet.deb "
                                        "/chemin/absolu/paquet.deb.sig");
    else if (::chdir("/") != 0)
        outcome = kNoWorkFolder;
    else
        outcome = installUpdate(argv[1], argv[2], settings);

    std::FILE* stream = outcome.code == ExitCode::Success ? stdout : stderr;
    std::fprintf(stream, "%s\n", outcome.message.c_str());
    std::fflush(stream);
    return static_cast<int>(outcome.code);
}

} // namespace kelvora::installer
