#include "base/french_errors.h"

#include <cerrno>
#include <cstring>

namespace kelvora
{

namespace
{

struct SystemError {
    int error;
    FileProblem problem;
    const char* words; // UTF-8
};

// A read-only disk is a place this account cannot write to: the same advice, its own words.
// EEXIST comes from a name already taken where a folder or file was to be made.
constexpr SystemError kSystemErrors[] = {
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
};

const SystemError* findSystemError(int error)
{
    for (const SystemError& row : kSystemErrors) {
        if (row.error == error)
            return &row;
    }
    return nullptr;
}

} // namespace

FileProblem fileProblem(int systemError)
{
    const SystemError* row = findSystemError(systemError);
    return row ? row->problem : FileProblem::Other;
}

QString systemReason(int error)
{
    const SystemError* row = findSystemError(error);
    return row ? QString::fromUtf8(row->words) : QString::fromLocal8Bit(std::strerror(error));
}

QString fileProblemAdvice(FileProblem problem)
{
    switch (problem) {
    case FileProblem::AccessDenied:
        return QStringLiteral("Ce compte n'a pas le droit d'écrire à cet endroit : choisissez un "
                              "autre emplacement, ou demandez ce droit à l'administrateur du "
                              "poste.");
    case FileProblem::FolderInTheWay:
        return QStringLiteral("Un dossier porte ce nom, ou un fichier se trouve à la place d'un "
                              "dossier du chemin : choisissez un autre nom ou un autre dossier.");
    case FileProblem::DiskFull:
        return QStringLiteral("Le disque est plein : libérez de la place, ou choisissez un autre "
                              "disque.");
    case FileProblem::NotFound:
        return QStringLiteral("Le fichier ou son dossier est introuvable : vérifiez "
                              "l'emplacement.");
    case FileProblem::Other:
        break;
    }
    return {};
}

QString frenchFileError(const QString& lead, int systemError, const QString& reason)
{
    QString text = lead;
    const QString advice = fileProblemAdvice(fileProblem(systemError));
    if (!advice.isEmpty())
        text += QLatin1Char(' ') + advice;
    const QString why = !reason.isEmpty()  ? reason
                        : systemError != 0 ? QString::fromLocal8Bit(std::strerror(systemError))
                                           : QString();
    if (!why.isEmpty())
        text += QStringLiteral(" (") + why + QLatin1Char(')');
    return text;
}

} // namespace kelvora
