#include "platform/shared_folder.h"

#include <QFile>

#include <cerrno>
#include <unistd.h>

namespace kelvora
{

SharedFolderAccess sharedFolderAccess(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::access(path.constData(), R_OK | W_OK | X_OK) == 0)
        return SharedFolderAccess::Usable;
    // A parent that cannot be entered (EACCES) hides the folder: that is a rights problem too.
    if (errno == ENOENT || errno == ENOTDIR)
        return SharedFolderAccess::Missing;
    return SharedFolderAccess::Denied;
}

QString sharedFolderDeniedMessage(const QString& folder)
{
    return QStringLiteral("Kelvora ne peut pas utiliser son dossier de données %1 : ce compte "
                          "n'a pas le droit d'y lire et d'y écrire.\n\n"
                          "Seuls les membres du groupe « kelvora » utilisent Kelvora. Demandez à "
                          "un administrateur de cet ordinateur de vous ajouter au groupe kelvora "
                          "(par exemple : adduser NOM kelvora), puis fermez votre session et "
                          "ouvrez-en une nouvelle.")
        .arg(folder);
}

} // namespace kelvora
