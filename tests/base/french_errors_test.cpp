// The one table of system errors: the problem each one is, which leads the advice, and its
// French words, which a failure carries as its reason; the common file errors said in French,
// what to do first and the system's reason after it.
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
        {EPIPE, FileProblem::Other, "le programme qui lisait s'est arrêté"},
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

TEST(FrenchFileErrors, CommonCausesLeadWithWhatToDo)
{
    struct Case {
        int error;
        const char* advice; // the beginning of the advice; empty: none
    };
    const Case cases[] = {
        {EACCES, "Ce compte n'a pas le droit d'écrire à cet endroit"},
        {EROFS, "Ce compte n'a pas le droit d'écrire à cet endroit"},
        {EISDIR, "Un dossier porte ce nom"},
        {ENOTDIR, "Un dossier porte ce nom"},
        {ENOSPC, "Le disque est plein"},
        {ENOENT, "Le fichier ou son dossier est introuvable"},
        {EIO, ""},
    };
    const QString lead = QStringLiteral("Le diagnostic n'a pas été enregistré.");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const QString text = kelvora::frenchFileError(lead, c.error);
        const QString reason = QString::fromLocal8Bit(std::strerror(c.error));
        const QString advice = QString::fromUtf8(c.advice);
        EXPECT_TRUE(text.startsWith(advice.isEmpty() ? lead + QStringLiteral(" (")
                                                     : lead + QLatin1Char(' ') + advice))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral(" (") + reason + QLatin1Char(')')))
            << text.toStdString();
    }
    // A reason given by the caller replaces the system's text.
    EXPECT_EQ(kelvora::frenchFileError(lead, ENOSPC, QStringLiteral("disque plein")),
              lead + QStringLiteral(" Le disque est plein : libérez de la place, ou choisissez un "
                                    "autre disque. (disque plein)"));
}

} // namespace
