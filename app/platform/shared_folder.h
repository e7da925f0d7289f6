// Whether this account may use the practice's shared data folder. On Linux the folder belongs to
// the group kelvora; an account outside it must be told so before the store is opened, since
// every later failure would only say that a file cannot be opened.
#pragma once

#include <QString>

namespace kelvora
{

enum class SharedFolderAccess {
    Missing, // no such folder: the start goes on and the store's own messages apply
    Denied,  // the folder is there but this account cannot read, write or enter it
    Usable,
};

SharedFolderAccess sharedFolderAccess(const QString& folder);

// The one French message for an account outside the group, naming the folder.
QString sharedFolderDeniedMessage(const QString& folder);

} // namespace kelvora
