#include "reader/reader_listing.h"

#include "base/cp1252.h"

#include <cstring>

namespace kelvora::reader
{

std::optional<ReaderListing> listReaders(const ApiLecLibrary& library, const char* folder)
{
    ReaderListing listing;
    if (!library.listeLecteurs(folder, nullptr, &listing.count, &listing.error))
        return std::nullopt;
    const qint32 capacity = listing.count;
    if (capacity < 0 || capacity > kLecteursMax) {
        listing.refusedAbove = kLecteursMax;
        return listing;
    }
    listing.entries.assign(std::size_t(capacity), T_infosLecteur{});
    listing.result = int(
        *library.listeLecteurs(folder, listing.entries.empty() ? nullptr : listing.entries.data(),
                               &listing.count, &listing.error));
    if (*listing.result == 0 && (listing.count < 0 || listing.count > capacity)) {
        listing.refusedAbove = capacity;
        listing.entries.clear();
    }
    return listing;
}

QString readerName(const T_infosLecteur& entry)
{
    return fromCp1252(QByteArrayView(
        entry.nom_ressource, qsizetype(strnlen(entry.nom_ressource, sizeof entry.nom_ressource))));
}

} // namespace kelvora::reader
