// A really full file system for tests: a small tmpfs mounted over a folder when the process may
// mount one (root, as in CI), else nothing and the caller interposes a failing write.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cerrno>
#include <sys/mount.h>
#include <unistd.h>

namespace kelvora::testing
{

class SmallFileSystem
{
public:
    // Mounts `bytes` of tmpfs over `folder` (which must exist and be empty).
    SmallFileSystem(const QString& folder, int kilobytes) : folder_(QFile::encodeName(folder))
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
        mounted_ = ::geteuid() == 0 &&
                   ::mount("tmpfs", folder_.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted_)
            ::umount2(folder_.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }

    // Takes all but `leftBytes` of the free space with a filler file.
    bool fillLeaving(qint64 leftBytes) const
    {
        QFile filler(QFile::decodeName(folder_) + QStringLiteral("/remplissage"));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(512, 'x');
        // Writes until the disk refuses, then frees what the test wants left.
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        return filler.resize(qMax<qint64>(0, filler.size() - leftBytes));
    }

private:
    QByteArray folder_;
    bool mounted_ = false;
};

// A write that accepts `limit` bytes in all, then fails as a full disk does.
template <int Tag>
struct FailingWrite {
    static inline qint64 limit = 0;
    static ssize_t write(int fd, const void* data, size_t size)
    {
        if (limit <= 0) {
            errno = ENOSPC;
            return -1;
        }
        const size_t n = size_t(qMin<qint64>(limit, qint64(size)));
        limit -= qint64(n);
        return ::write(fd, data, n);
    }
};

} // namespace kelvora::testing
