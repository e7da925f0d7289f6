// Files written so that what is reported written is on the disk, and the reasons in French.
#include "support/full_disk.h"
#include "support/private_dev.h"
#include "base/durable_file.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>

using namespace kelvora;
using namespace kelvora::testing;

namespace
{

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(SystemReason, CommonErrorsAreSaidInFrench)
{
    const std::pair<int, const char*> cases[] = {
        {ENOSPC, "disque plein"},  {EDQUOT, "disque plein"},
        {EACCES, "accès refusé"},  {EPERM, "accès refusé"},
        {EROFS, "disque en lecture seule"}, {EISDIR, "un dossier porte ce nom"},
        {ENOENT, "dossier ou fichier introuvable"},
    };
    for (const auto& [error, words] : cases)
        EXPECT_EQ(io::systemReason(error), QString::fromUtf8(words)) << error;
}

// The old content survives any failure of a replacement, and nothing is left beside it.
TEST(ReplaceFile, AFailedWriteLeavesTheOldFileAndNoTemporary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("api_lec.ini"));
    writeFile(path, "[Lecteur]\r\nRessource_CPS=ancien\r\n");
    const QByteArray replacement(20000, 'n');
    for (const qint64 accepted : {qint64(0), qint64(1), qint64(4096), qint64(19999)}) {
        SCOPED_TRACE(accepted);
        FailingWrite<1>::limit = accepted;
        const auto why = io::replaceFile(path, replacement, &FailingWrite<1>::write);
        ASSERT_TRUE(why.has_value());
        EXPECT_EQ(why->error, ENOSPC);
        EXPECT_EQ(why->reason, QStringLiteral("disque plein"));
        EXPECT_EQ(readAll(path), QByteArray("[Lecteur]\r\nRessource_CPS=ancien\r\n"));
        EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("api_lec.ini")});
    }
    FailingWrite<1>::limit = replacement.size();
    EXPECT_FALSE(io::replaceFile(path, replacement, &FailingWrite<1>::write).has_value());
    EXPECT_EQ(readAll(path), replacement);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("api_lec.ini")});
}

// A really full file system when the test may mount one; else the interposed write above.
TEST(ReplaceFile, OnAFullFileSystemTheOldFileStays)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("petit"));
    QDir().mkpath(folder);
    const SmallFileSystem disk(folder, 64);
    if (!disk.mounted())
        GTEST_SKIP() << "pas de tmpfs montable ici (il faut root) : le cas du disque plein est "
                        "couvert par l'écriture interposée";
    std::cout << "disque plein : tmpfs de 64 Ko monté sur " << folder.toStdString() << '\n';
    const QString path = folder + QStringLiteral("/diag-Kelvora.rtf");
    writeFile(path, "{\\rtf1 ancien}");
    ASSERT_TRUE(disk.fillLeaving(2048));
    const auto why = io::replaceFile(path, QByteArray(16384, 'r'));
    ASSERT_TRUE(why.has_value());
    EXPECT_EQ(why->reason, QStringLiteral("disque plein"));
    EXPECT_EQ(readAll(path), QByteArray("{\\rtf1 ancien}"));
    EXPECT_EQ(entries(folder), (QStringList{QStringLiteral("diag-Kelvora.rtf"),
                                            QStringLiteral("remplissage")}));
}

// Reads a named pipe in a thread until its writer closes it (10 s at most, so a fault never
// hangs the suite).
class PipeReader
{
public:
    explicit PipeReader(const QString& fifo)
        : fd_(::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
        // Open before the writer comes, as a reader already waiting is.
        if (fd_ >= 0)
            ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        thread_ = std::thread([this] {
            pollfd ready{fd_, POLLIN, 0};
            if (fd_ < 0 || ::poll(&ready, 1, 10000) != 1)
                return;
            char buffer[4096];
            ssize_t n = 0;
            while ((n = ::read(fd_, buffer, sizeof buffer)) > 0)
                received_.append(buffer, n);
        });
    }
    ~PipeReader()
    {
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;

    QByteArray received()
    {
        thread_.join();
        return received_;
    }

private:
    int fd_;
    QByteArray received_;
    std::thread thread_;
};

struct stat lstatOf(const QString& path)
{
    struct stat st {
    };
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

// Run by ReplaceFile.SpecialTargetsInAPrivateDev inside its own mount namespace, whose /dev is a
// tmpfs of its own: here /dev/null and a disk's device may be written or replaced harmlessly.
TEST(ReplaceFile, DISABLED_SpecialTargetsInsideThePrivateDev)
{
    const QByteArray outer = qgetenv("KELVORA_OUTER_MOUNT_NAMESPACE");
    ASSERT_FALSE(outer.isEmpty()) << "lancé par ReplaceFile.SpecialTargetsInAPrivateDev seulement";
    ASSERT_NE(kelvora::testing::currentMountNamespace(), QString::fromLatin1(outer));
    ASSERT_EQ(lstatOf(QStringLiteral("/dev")).st_dev, lstatOf(QStringLiteral("/dev/null")).st_dev);

    QTemporaryDir dir;
    const QString here = dir.path() + QLatin1Char('/');
    // More than a pipe holds, so the reader must take it while it is written.
    const QByteArray bytes = QByteArray("{\"nom\":\"MARTIN\"}").repeated(20000);
    std::unique_ptr<PipeReader> reader;
    struct Case {
        const char* name;
        std::function<QString()> make; // the target, made as the case needs
        const char* refusal;           // nullptr: written
        std::function<void(const QString&)> check;
    };
    const auto isCharDevice = [](const QString& path) {
        const struct stat st = lstatOf(path);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
        EXPECT_EQ(st.st_rdev, makedev(1, 3));
    };
    const auto holdsBytes = [&bytes](const QString& path) {
        EXPECT_TRUE(S_ISREG(lstatOf(path).st_mode));
        EXPECT_EQ(readAll(path), bytes);
    };
    // A named pipe in the folder, with a reader waiting on it or none.
    const auto pipe = [&](const QString& name, bool read) {
        EXPECT_EQ(::mkfifo(QFile::encodeName(here + name).constData(), 0600), 0);
        if (read)
            reader = std::make_unique<PipeReader>(here + name);
        return here + name;
    };
    const Case cases[] = {
        {"/dev/null", [] { return QStringLiteral("/dev/null"); }, nullptr, isCharDevice},
        {"tube lu par un fil", [&] { return pipe(QStringLiteral("tube"), true); }, nullptr,
         [&](const QString& path) {
             EXPECT_TRUE(S_ISFIFO(lstatOf(path).st_mode));
             EXPECT_EQ(reader->received(), bytes);
         }},
        {"tube que personne ne lit", [&] { return pipe(QStringLiteral("muet"), false); },
         "aucun programme ne lit ce tube nommé",
         [](const QString& path) { EXPECT_TRUE(S_ISFIFO(lstatOf(path).st_mode)); }},
        {"lien de ce compte vers un tube lu",
         [&] {
             QFile::link(pipe(QStringLiteral("tube2"), true), here + QStringLiteral("vers-tube"));
             return here + QStringLiteral("vers-tube");
         },
         nullptr,
         [&](const QString& path) {
             EXPECT_TRUE(S_ISLNK(lstatOf(path).st_mode));
             EXPECT_EQ(reader->received(), bytes);
         }},
        {"lien d'un autre compte vers /dev/null",
         [&] {
             const QString link = here + QStringLiteral("piege");
             QFile::link(QStringLiteral("/dev/null"), link);
             EXPECT_EQ(::lchown(QFile::encodeName(link).constData(), 4321, 4321), 0);
             return link;
         },
         nullptr,
         [&](const QString& path) {
             holdsBytes(path);
             isCharDevice(QStringLiteral("/dev/null"));
         }},
        {"lien vers un fichier",
         [&] {
             writeFile(here + QStringLiteral("cible.json"), "cible");
             QFile::link(here + QStringLiteral("cible.json"), here + QStringLiteral("lien.json"));
             return here + QStringLiteral("lien.json");
         },
         nullptr,
         [&](const QString& path) {
             holdsBytes(path);
             EXPECT_EQ(readAll(here + QStringLiteral("cible.json")), QByteArray("cible"));
         }},
        {"dossier",
         [&] {
             QDir().mkpath(here + QStringLiteral("dossier.json"));
             return here + QStringLiteral("dossier.json");
         },
         "un dossier porte ce nom",
         [](const QString& path) {
             EXPECT_TRUE(S_ISDIR(lstatOf(path).st_mode));
             EXPECT_TRUE(
                 QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
         }},
        {"socket",
         [&] {
             const QByteArray name = QFile::encodeName(here + QStringLiteral("prise"));
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
             const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
             EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
             return here + QStringLiteral("prise");
         },
         "une socket (point de connexion d'un programme) porte ce nom",
         [](const QString& path) { EXPECT_TRUE(S_ISSOCK(lstatOf(path).st_mode)); }},
        {"disque",
         [] {
             EXPECT_EQ(::mknod("/dev/kelvora-disque", S_IFBLK | 0600, makedev(7, 250)), 0);
             return QStringLiteral("/dev/kelvora-disque");
         },
         "un disque ou une partition porte ce nom",
         [](const QString& path) { EXPECT_TRUE(S_ISBLK(lstatOf(path).st_mode)); }},
        {"fichier 0600 d'un autre compte",
         [&] {
             const QString path = here + QStringLiteral("prive.json");
             writeFile(path, "ancien");
             EXPECT_EQ(::chown(QFile::encodeName(path).constData(), 4321, 8765), 0);
             EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
             return path;
         },
         nullptr,
         [&](const QString& path) {
             holdsBytes(path);
             const struct stat st = lstatOf(path);
             EXPECT_EQ(st.st_mode & 07777, 0600u);
             EXPECT_EQ(st.st_uid, 4321u);
             EXPECT_EQ(st.st_gid, 8765u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = c.make();
        const auto why = io::replaceFile(path, bytes);
        EXPECT_EQ(why ? why->reason.toStdString() : std::string(),
                  c.refusal ? std::string(c.refusal) : std::string());
        c.check(path);
        reader.reset();
        for (const QString& name : entries(dir.path()))
            EXPECT_FALSE(name.contains(QLatin1String(io::kTemporaryMark))) << name.toStdString();
    }
}

TEST(ReplaceFile, SpecialTargetsInAPrivateDev)
{
    if (const QString why = kelvora::testing::privateDevUnavailable(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    QProcess inner;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KELVORA_OUTER_MOUNT_NAMESPACE"),
                       kelvora::testing::currentMountNamespace());
    inner.setProcessEnvironment(environment);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start(
        QStringLiteral("unshare"),
        kelvora::testing::privateDevArguments(
            {QString::fromLocal8Bit(self), QStringLiteral("--gtest_also_run_disabled_tests"),
             QStringLiteral("--gtest_filter=ReplaceFile.DISABLED_"
                            "SpecialTargetsInsideThePrivateDev")}));
    ASSERT_TRUE(inner.waitForFinished(60000));
    const QByteArray output = inner.readAll();
    EXPECT_EQ(inner.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    // The machine's /dev/null is as it was.
    EXPECT_TRUE(S_ISCHR(lstatOf(QStringLiteral("/dev/null")).st_mode));
}

TEST(WriteAndSync, ReportsTheFailureOfAnyPieceOfTheWrite)
{
    QTemporaryDir dir;
    io::FileHandle file;
    ASSERT_FALSE(io::createOrEmpty(dir.filePath(QStringLiteral("a.pdf")), file).has_value());
    FailingWrite<2>::limit = 100;
    const auto why = io::writeAndSync(file.fd(), QByteArray(1000, 'p'), &FailingWrite<2>::write);
    ASSERT_TRUE(why.has_value());
    EXPECT_EQ(why->error, ENOSPC);

    // Creating a file where a folder stands says so.
    QDir().mkpath(dir.filePath(QStringLiteral("dossier.pdf")));
    io::FileHandle other;
    const auto folder = io::createOrEmpty(dir.filePath(QStringLiteral("dossier.pdf")), other);
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->reason, QStringLiteral("un dossier porte ce nom"));
}

TEST(StrayTemporaries, OnlyOldTemporariesOfTheNamedFilesAreRemoved)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        int ageSeconds;
        bool removed;
    } cases[] = {
        {"attestation.pdf.kelvora-Ab12Cd", 3600, true},
        {"attestation.pdf.Xy98Zt", 3600, true},        // a save file Qt left
        {"attestation.pdf.kelvora-Ab12Ce", 10, false}, // another process may be writing it
        {"attestation.pdf", 3600, false},
        {"attestation.pdf.sauvegarde", 3600, false},
        {"attestation.pdf.kelvora-Ab12", 3600, false},
        {"autre.pdf.kelvora-Ab12Cd", 3600, false},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        writeFile(path, "x");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-c.ageSeconds),
                      QFileDevice::FileModificationTime);
    }
    io::removeStrayTemporaries(dir.path(), {QStringLiteral("attestation.pdf")});
    for (const auto& c : cases)
        EXPECT_EQ(QFile::exists(dir.filePath(QString::fromLatin1(c.name))), !c.removed) << c.name;
}

} // namespace
