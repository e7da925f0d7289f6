// The document catalog: pages, page layout and mode, viewer preferences, open action.
#pragma once

#include "pdf/document/pdf_dictionary_wrapper.h"

#include <cstdint>

namespace kelvora::pdf
{

class TPdfDestination;

enum class TPdfPageLayout { plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };
enum class TPdfPageMode { pmUseNone, pmUseOutlines, pmUseThumbs, pmFullScreen };
enum class TPdfViewerPreference : std::uint8_t {
    vpHideToolbar = 1,
    vpHideMenubar = 2,
    vpHideWindowUI = 4,
    vpFitWindow = 8,
    vpCenterWindow = 16,
};
// A set of viewer preferences, one bit per member.
using TPdfViewerPreferences = std::uint8_t;

inline TPdfViewerPreferences operator|(TPdfViewerPreference A, TPdfViewerPreference B)
{
    return static_cast<TPdfViewerPreferences>(static_cast<std::uint8_t>(A) |
                                              static_cast<std::uint8_t>(B));
}

class TPdfCatalog : public TPdfDictionaryWrapper
{
public:
    // Fails with "GetPages --page object is null.." when the catalog has none.
    TPdfDictionary& Pages() const;
    // Accepts only a dictionary whose Type is Pages.
    void SetPages(TPdfDictionary* APages);

    TPdfPageLayout PageLayout() const;
    void SetPageLayout(TPdfPageLayout AValue);
    TPdfPageMode PageMode() const;
    void SetPageMode(TPdfPageMode AValue);
    void SetNonFullScreenPageMode(TPdfPageMode AValue);
    void SetViewerPreference(TPdfViewerPreferences AValue);

    TPdfDestination* OpenAction() const { return FOpenAction; }
    void SetOpenAction(TPdfDestination* AValue) { FOpenAction = AValue; }
    // Writes the open action into the catalog, or removes it when there is none.
    void SaveOpenAction();

private:
    TPdfDictionary& ViewerPreferences();
    TPdfDestination* FOpenAction = nullptr;
};

} // namespace kelvora::pdf
