#include "base/french_errors.h"

#include <cerrno>
#include <cstring>

namespace kelvora
{

FileProblem fileProblem(int systemError)
{
    switch (systemError) {
    case EACCES:
    case EPERM:
    case EROFS:
        return FileProblem::AccessDenied;
    case EISDIR:
    case ENOTDIR:
    case EEXIST:
        return FileProblem::FolderInTheWay;
    case ENOSPC:
    case EDQUOT:
        return FileProblem::DiskFull;
    case ENOENT:
        return FileProblem::NotFound;
    default:
        return FileProblem::Other;
    }
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
