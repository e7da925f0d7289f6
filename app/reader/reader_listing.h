// The card library's listing of the connected readers, asked the one way it is asked: the
// count first, then that many entries. Used by the reading run and by the « Gestion » page.
#pragma once

#include "binding/apilec_library.h"

#include <QString>
#include <optional>
#include <vector>

namespace kelvora::reader
{

// No machine has more readers: a larger count from the library is refused as an error.
inline constexpr qint32 kLecteursMax = 256;

struct ReaderListing {
    // The second call's result; none when the first count was already refused.
    std::optional<int> result;
    quint16 error = 0;
    // The count the library gave last.
    qint32 count = 0;
    // A count the array cannot hold is refused, never cut to size: the bound it broke
    // (kLecteursMax for the first count, the first count for the second).
    std::optional<qint32> refusedAbove;
    // `count` entries when nothing was refused.
    std::vector<T_infosLecteur> entries;
};

// None when the library lacks the function.
std::optional<ReaderListing> listReaders(const ApiLecLibrary& library, const char* folder);

// A reader's name up to its first zero byte, never past its 256 bytes.
QString readerName(const T_infosLecteur& entry);

} // namespace kelvora::reader
