// The one table of system errors: the problem each one is, which leads the advice, and its
// French words, which a failure carries as its reason.
#include "base/french_errors.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace
{

using kelvora::FileProblem;

TEST(SystemErrors, EachErrorHasItsProblemAndItsWords)
{
    struct Case {
        int error;
        FileProblem problem;
        const char* words; // nullptr: the system's own text
    };
    const Case cases[] = {
        {ENOSPC, FileProblem::DiskFull, "disque plein"},
        {EDQUOT, FileProblem::DiskFull, "disque plein"},
        {EACCES, FileProblem::AccessDenied, "accès refusé"},
        {EPERM, FileProblem::AccessDenied, "accès refusé"},
        {EROFS, FileProblem::AccessDenied, "disque en lecture seule"},
        {EISDIR, FileProblem::FolderInTheWay, "un dossier porte ce nom"},
        {ENOTDIR, FileProblem::FolderInTheWay, "un fichier se trouve à la place d'un dossier"},
        {EEXIST, FileProblem::FolderInTheWay, "un fichier ou un dossier porte déjà ce nom"},
        {ENOENT, FileProblem::NotFound, "dossier ou fichier introuvable"},
        {EIO, FileProblem::Other, "erreur d'entrée-sortie du disque"},
        {EBUSY, FileProblem::Other, "fichier occupé"},
        {ETXTBSY, FileProblem::Other, "fichier occupé"},
        {ENAMETOOLONG, FileProblem::Other, "nom de fichier trop long"},
        {EINVAL, FileProblem::Other, nullptr},
        {EMFILE, FileProblem::Other, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(kelvora::fileProblem(c.error), c.problem);
        EXPECT_EQ(kelvora::systemReason(c.error),
                  c.words ? QString::fromUtf8(c.words)
                          : QString::fromLocal8Bit(std::strerror(c.error)));
        // Every problem but Other leads with what to do.
        EXPECT_EQ(kelvora::fileProblemAdvice(c.problem).isEmpty(), c.problem == FileProblem::Other);
    }
}

} // namespace
