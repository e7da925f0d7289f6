// Writing files so that what is reported written is on the disk: every write checked, then
// the flush to the disk and the close, each failure told in French with the system's reason.
// Qt's QSaveFile::commit() alone reports success when its last flush fails (a full disk).
#pragma once

#include "base/failure.h"
#include "base/french_errors.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <sys/types.h>

namespace kelvora::io
{

// A failure's reason: the words of the one table of system errors.
using kelvora::systemReason;

// The call that writes; tests give one that fails as a full disk would.
using WriteFunction = ssize_t (*)(int fd, const void* data, size_t size);

// A file descriptor closed when the object goes; close() reports a failure of its own.
class FileHandle
{
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept : fd_(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int release();
    std::optional<Failure> close();

private:
    int fd_ = -1;
};

// Creates `path` or empties it, for writing; the failure says why.
std::optional<Failure> createOrEmpty(const QString& path, FileHandle& file);

// Writes all of `bytes` at the file's current place, then makes them reach the disk.
std::optional<Failure> writeAndSync(int fd, QByteArrayView bytes, WriteFunction write = nullptr);

// Replaces `path` with `bytes`: written whole beside it under a recognisable temporary name,
// synced, then renamed over it. On any failure the old file is untouched and the temporary
// one removed. What stands at `path` decides, as for a shell's redirection:
// - a regular file: replaced; the new one keeps its permissions, and its owner and group where
//   this account may set them;
// - a character device or a named pipe: written into (/dev/null discards, a pipe streams); a
//   pipe that nobody reads is refused instead of waited for;
// - a symbolic link: the link itself is replaced and the file it points to never written,
//   except a link of this account or of root to a device or a pipe (/dev/stdout), written into;
// - a folder, a socket or a disk: refused, with the reason in French.
std::optional<Failure> replaceFile(const QString& path, QByteArrayView bytes,
                                   WriteFunction write = nullptr);

// A file that arrives piece by piece (a download) and takes its name only when complete. It is
// written under a fresh temporary name beside `path`, created exclusively: a symbolic link that
// another account planted at either name is never followed. An old file at `path` is removed
// when the writing begins. Dropped without commit(), the temporary file is removed.
class PendingFile
{
public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    std::optional<Failure> open(const QString& path, WriteFunction write = nullptr);
    std::optional<Failure> write(QByteArrayView bytes);
    // Flushes to the disk, closes, then renames over `path`; on failure nothing is left.
    std::optional<Failure> commit();
    void cancel();

private:
    QString path_;
    QByteArray temporary_;
    FileHandle file_;
    WriteFunction write_ = nullptr;
};

// The temporary names replaceFile uses: "<name>.kelvora-XXXXXX".
inline constexpr char kTemporaryMark[] = ".kelvora-";

// Removes the temporary files that an interrupted save or download left in `folder`: names
// "<name>.kelvora-XXXXXX" or "<name>.XXXXXX" (Qt's) for the given names, untouched for at
// least `minimumAgeSeconds`, so another process's save in progress is left alone.
void removeStrayTemporaries(const QString& folder, const QStringList& names,
                            qint64 minimumAgeSeconds = 600);

} // namespace kelvora::io
