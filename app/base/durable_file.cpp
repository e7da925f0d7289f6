#include "base/durable_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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

std::optional<Failure> replaceFile(const QString& path, QByteArrayView bytes, WriteFunction write)
{
    QByteArray temporary;
    FileHandle file;
    if (auto why = createTemporaryBeside(path, file, temporary))
        return why;
    const auto abandon = [&temporary](const Failure& why) {
        ::unlink(temporary.constData());
        return why;
    };
    if (auto why = writeAndSync(file.fd(), bytes, write))
        return abandon(*why);
    if (auto why = file.close())
        return abandon(*why);
    if (auto why = renameInto(temporary, path))
        return abandon(*why);
    return std::nullopt;
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
