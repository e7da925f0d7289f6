#include "base/durable_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::io
{

namespace
{

Failure failure(int error)
{
    return {systemReason(error), error};
}

} // namespace

FileHandle::~FileHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

int FileHandle::release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

std::optional<Failure> FileHandle::close()
{
    const int fd = release();
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        return failure(errno);
    return std::nullopt;
}

std::optional<Failure> createOrEmpty(const QString& path, FileHandle& file)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return failure(errno);
    file = FileHandle(fd);
    return std::nullopt;
}

namespace
{

// Writes all of `bytes`, going on after a short write or an interruption.
std::optional<Failure> writeAll(int fd, QByteArrayView bytes, WriteFunction write)
{
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failure(errno);
        }
        if (n == 0)
            return failure(ENOSPC);
        data += n;
        left -= n;
    }
    return std::nullopt;
}

} // namespace

std::optional<Failure> writeAndSync(int fd, QByteArrayView bytes, WriteFunction write)
{
    if (auto why = writeAll(fd, bytes, write != nullptr ? write : ::write))
        return why;
    if (::fsync(fd) != 0 && errno != EINVAL)
        return failure(errno);
    return std::nullopt;
}

namespace
{

// Creates a fresh "<path>.kelvora-XXXXXX" exclusively (never through a link planted there), with
// the mode any new file gets under the umask.
std::optional<Failure> createTemporaryBeside(const QString& path, FileHandle& file,
                                             QByteArray& temporary)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100 && !file.isOpen(); ++attempt) {
        temporary = QFile::encodeName(path) + kTemporaryMark;
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters) - 1)];
        const int fd =
            ::open(temporary.constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0)
            file = FileHandle(fd);
        else if (errno != EEXIST)
            return failure(errno);
    }
    if (!file.isOpen())
        return failure(EEXIST);
    return std::nullopt;
}

// Gives the closed temporary file its name: rename() replaces whatever is there, a symbolic link
// included, without following it. The new name reaches the disk with the folder's own flush.
std::optional<Failure> renameInto(const QByteArray& temporary, const QString& path)
{
    if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        return failure(errno);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    FileHandle dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen())
        ::fsync(dir.fd());
    return std::nullopt;
}

} // namespace

namespace
{

// Holds SIGPIPE back while a pipe is written: a reader that stops makes the write fail with
// EPIPE, said in French, instead of ending the program. A SIGPIPE raised here is taken back.
class PipeSignalHeld
{
public:
    PipeSignalHeld()
    {
        sigemptyset(&pipeSignal_);
        sigaddset(&pipeSignal_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSignal_, &previous_);
    }
    ~PipeSignalHeld()
    {
        const timespec now{};
        if (!wasPending_) {
            while (sigtimedwait(&pipeSignal_, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

private:
    sigset_t pipeSignal_{};
    sigset_t previous_{};
    bool wasPending_ = false;
};

bool isStream(const struct stat& st)
{
    return S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode);
}

// Writes into the device or named pipe at `name`, as a shell's redirection does. The opening
// never waits: a pipe that nobody reads is refused rather than hanging the program.
std::optional<Failure> writeIntoStream(const QByteArray& name, bool followLink,
                                       QByteArrayView bytes, WriteFunction write)
{
    const int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    FileHandle file(::open(name.constData(), flags));
    if (!file.isOpen()) {
        if (errno == ENXIO)
            return Failure{QStringLiteral("aucun programme ne lit ce tube nommé"), ENXIO};
        return failure(errno);
    }
    struct stat opened {
    };
    if (::fstat(file.fd(), &opened) != 0)
        return failure(errno);
    // Swapped for something else since it was looked at: nothing is written.
    if (!isStream(opened))
        return failure(EBUSY);
    // A slow reader is waited for, as a shell waits.
    if (::fcntl(file.fd(), F_SETFL, ::fcntl(file.fd(), F_GETFL) & ~O_NONBLOCK) != 0)
        return failure(errno);
    const PipeSignalHeld held;
    if (auto why = writeAndSync(file.fd(), bytes, write))
        return why;
    return file.close();
}

// Gives the new file the owner, group and permissions of the one it replaces: the owner and
// group where this account may set them, the permissions always (a private file stays private).
// Set-id bits are not carried over to new contents.
std::optional<Failure> keepMetadata(int fd, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
    if (::fchmod(fd, old.st_mode & 0777) != 0)
        return failure(errno);
    return std::nullopt;
}

std::optional<Failure> replaceByRename(const QString& path, QByteArrayView bytes,
                                       WriteFunction write, const struct stat* old)
{
    QByteArray temporary;
    FileHandle file;
    if (auto why = createTemporaryBeside(path, file, temporary))
        return why;
    const auto abandon = [&temporary](const Failure& why) {
        ::unlink(temporary.constData());
        return why;
    };
    if (old != nullptr) {
        if (auto why = keepMetadata(file.fd(), *old))
            return abandon(*why);
    }
    if (auto why = writeAndSync(file.fd(), bytes, write))
        return abandon(*why);
    if (auto why = file.close())
        return abandon(*why);
    if (auto why = renameInto(temporary, path))
        return abandon(*why);
    return std::nullopt;
}

} // namespace

std::optional<Failure> replaceFile(const QString& path, QByteArrayView bytes, WriteFunction write)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat there {
    };
    if (::lstat(name.constData(), &there) != 0) {
        if (errno != ENOENT)
            return failure(errno);
        return replaceByRename(path, bytes, write, nullptr);
    }
    if (S_ISREG(there.st_mode))
        return replaceByRename(path, bytes, write, &there);
    if (isStream(there))
        return writeIntoStream(name, false, bytes, write);
    if (S_ISLNK(there.st_mode)) {
        // A link of this account or of the system to a device or a pipe (/dev/stdout) is
        // written through; any other link is replaced, and what it points to never written.
        struct stat target {
        };
        const bool trusted = there.st_uid == 0 || there.st_uid == ::geteuid();
        if (trusted && ::stat(name.constData(), &target) == 0 && isStream(target))
            return writeIntoStream(name, true, bytes, write);
        return replaceByRename(path, bytes, write, nullptr);
    }
    if (S_ISDIR(there.st_mode))
        return failure(EISDIR);
    if (S_ISSOCK(there.st_mode))
        return Failure{QStringLiteral("une socket (point de connexion d'un programme) porte ce "
                                      "nom")};
    // A block device: writing would overwrite a disk, replacing it would remove the device.
    return Failure{QStringLiteral("un disque ou une partition porte ce nom")};
}

PendingFile::~PendingFile()
{
    cancel();
}

std::optional<Failure> PendingFile::open(const QString& path, WriteFunction write)
{
    cancel();
    path_ = path;
    write_ = write != nullptr ? write : ::write;
    // An old file of that name goes first: unlink() removes a planted link, never its target.
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return failure(errno);
    return createTemporaryBeside(path, file_, temporary_);
}

std::optional<Failure> PendingFile::write(QByteArrayView bytes)
{
    return writeAll(file_.fd(), bytes, write_);
}

std::optional<Failure> PendingFile::commit()
{
    if (!file_.isOpen())
        return failure(EBADF);
    std::optional<Failure> why = writeAndSync(file_.fd(), {}, write_);
    if (!why)
        why = file_.close();
    if (!why)
        why = renameInto(temporary_, path_);
    if (why) {
        cancel();
        return why;
    }
    temporary_.clear();
    return std::nullopt;
}

void PendingFile::cancel()
{
    file_ = FileHandle();
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    temporary_.clear();
}

namespace
{

// "<name>.kelvora-XXXXXX" (ours) or "<name>.XXXXXX" (Qt's save files), X a letter or digit.
// Compared by hand: a regular expression costs its compilation at every start.
bool isStrayOf(const QString& file, const QStringList& names)
{
    for (const QString& name : names) {
        if (file.size() <= name.size() || !file.startsWith(name) || file[name.size()] != u'.')
            continue;
        QStringView rest = QStringView(file).mid(name.size() + 1);
        if (rest.startsWith(u"kelvora-"))
            rest = rest.mid(8);
        if (rest.size() == 6 && std::all_of(rest.begin(), rest.end(), [](QChar c) {
                return c.unicode() < 128 && c.isLetterOrNumber();
            }))
            return true;
    }
    return false;
}

} // namespace

void removeStrayTemporaries(const QString& folder, const QStringList& names,
                            qint64 minimumAgeSeconds)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (isStrayOf(entry.fileName(), names) &&
            entry.lastModified().toUTC().secsTo(now) >= minimumAgeSeconds)
            QFile::remove(entry.absoluteFilePath());
    }
}

} // namespace kelvora::io
