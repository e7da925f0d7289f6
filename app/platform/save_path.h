// The path a save dialog proposes: always absolute, in a folder that exists, so that accepting
// it as it is writes where the user was shown.
#pragma once

#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <pwd.h>
#include <unistd.h>

namespace kelvora
{

// `fileName` in `documents` when that folder exists, else in `home`, else in the account's home
// from the password database (for a session without HOME), else at the root. A name that is
// already absolute is kept.
inline QString proposedSavePath(const QString& fileName, const QString& documents,
                                const QString& home)
{
    if (QFileInfo(fileName).isAbsolute())
        return fileName;
    QStringList folders{documents, home};
    if (const passwd* account = ::getpwuid(::getuid()); account != nullptr && account->pw_dir)
        folders.append(QFile::decodeName(account->pw_dir));
    for (const QString& folder : folders) {
        // A relative folder would be taken from wherever the program was started.
        if (!folder.isEmpty() && QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir())
            return QDir(QDir::cleanPath(folder)).filePath(fileName);
    }
    return QDir::root().filePath(fileName);
}

// The same for this session: the platform's documents folder, then $HOME.
inline QString proposedSavePath(Platform& platform, const QString& fileName)
{
    return proposedSavePath(fileName, platform.documentsFolder(), qEnvironmentVariable("HOME"));
}

} // namespace kelvora
