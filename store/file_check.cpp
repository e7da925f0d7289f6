#include "store/file_check.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::store
{

namespace
{

// The first bytes of every unencrypted SQLite file; an encrypted store begins with its salt.
constexpr std::string_view kPlainHeader{"SQLite format 3\0", 16};

// The smallest store: its schema page and a page for each table and index it holds (6), of
// SQLCipher's smallest page; every store is a whole number of pages of at least 512 bytes.
constexpr off_t kSmallestPage = 512;
constexpr off_t kSmallestStore = 6 * 1024;

std::string octets(off_t size)
{
    return std::to_string(size) + (size > 1 ? " octets" : " octet");
}

// What is wrong with the file a name leads to (links followed).
std::string targetCause(const std::string& name)
{
    struct stat st {
    };
    if (::stat(name.c_str(), &st) != 0)
        return errno == ENOENT ? "fichier introuvable" : std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return "un dossier porte ce nom";
    if (!S_ISREG(st.st_mode))
        return "ce n'est pas un fichier ordinaire";
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == EACCES ? "lecture refusée" : std::strerror(errno);
    char header[kPlainHeader.size()] = {};
    const ssize_t n = ::read(fd, header, sizeof header);
    ::close(fd);
    if (n == ssize_t(sizeof header) && std::string_view(header, sizeof header) == kPlainHeader)
        return "base non chiffrée (fichier SQLite ordinaire)";
    if (st.st_size < kSmallestStore || st.st_size % kSmallestPage != 0)
        return "fichier tronqué (" + octets(st.st_size) + ")";
    return {};
}

} // namespace

std::string storeFileCause(const std::filesystem::path& file)
{
    const std::string name = file.string();
    struct stat st {
    };
    if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return targetCause(name);
    std::error_code ignored;
    std::string cause = "le fichier est un lien symbolique vers « " +
                        std::filesystem::read_symlink(file, ignored).string() + " »";
    if (const std::string target = targetCause(name); !target.empty())
        cause += " : " + target;
    return cause;
}

} // namespace kelvora::store
