// Files written so that what is reported written is on the disk, and the reasons in French.
#include "support/full_disk.h"
#include "base/durable_file.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

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
        {"attestation.pdf.Xy98Zt", 3600, true}, // a save file Qt left
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
