#include "pdf/document/pdf_catalog.h"

#include "pdf/document/pdf_destination.h"
#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_boolean.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_page_tree.h"

#include <array>
#include <string_view>

namespace kelvora::pdf
{

namespace
{

constexpr std::array<std::u16string_view, 4> kLayoutNames = {u"SinglePage", u"OneColumn",
                                                             u"TwoColumnLeft", u"TwoColumnRight"};
constexpr std::array<std::u16string_view, 4> kModeNames = {u"UseNone", u"UseOutlines", u"UseThumbs",
                                                           u"FullScreen"};

// An existing name entry changes in place; a new one is appended.
void SetNameInPlace(TPdfDictionary& ADict, std::u16string_view AKey, std::u16string_view AValue)
{
    if (TPdfName* name = ADict.PdfNameByName(AKey))
        name->SetValue(std::u16string(AValue));
    else
        ADict.AddNameItem(AKey, std::u16string(AValue));
}

} // namespace

TPdfDictionary& TPdfCatalog::Pages() const
{
    TPdfDictionary* pages = Data()->PdfDictionaryByName(u"Pages");
    if (pages == nullptr)
        throw EPdfInvalidOperation("GetPages --page object is null..");
    return *pages;
}

void TPdfCatalog::SetPages(TPdfDictionary* APages)
{
    if (APages != nullptr && TypeNameOf(*APages) == u"Pages")
        Data()->AddItem(u"Pages", *APages);
}

TPdfPageLayout TPdfCatalog::PageLayout() const
{
    if (TPdfName* name = Data()->PdfNameByName(u"PageLayout")) {
        for (std::size_t i = 0; i < kLayoutNames.size(); ++i) {
            if (kLayoutNames[i] == name->Value())
                return static_cast<TPdfPageLayout>(i);
        }
    }
    return TPdfPageLayout::plSinglePage;
}

void TPdfCatalog::SetPageLayout(TPdfPageLayout AValue)
{
    SetNameInPlace(*Data(), u"PageLayout", kLayoutNames[static_cast<std::size_t>(AValue)]);
}

TPdfPageMode TPdfCatalog::PageMode() const
{
    if (TPdfName* name = Data()->PdfNameByName(u"PageMode")) {
        for (std::size_t i = 0; i < kModeNames.size(); ++i) {
            if (kModeNames[i] == name->Value())
                return static_cast<TPdfPageMode>(i);
        }
    }
    return TPdfPageMode::pmUseNone;
}

void TPdfCatalog::SetPageMode(TPdfPageMode AValue)
{
    SetNameInPlace(*Data(), u"PageMode", kModeNames[static_cast<std::size_t>(AValue)]);
}

TPdfDictionary& TPdfCatalog::ViewerPreferences()
{
    TPdfDictionary* prefs = Data()->PdfDictionaryByName(u"ViewerPreferences");
    if (prefs == nullptr) {
        Data()->AddItem(u"ViewerPreferences",
                        TPdfDictionary::CreateDictionary(Data()->ObjectMgr()));
        prefs = Data()->PdfDictionaryByName(u"ViewerPreferences");
    }
    return *prefs;
}

void TPdfCatalog::SetNonFullScreenPageMode(TPdfPageMode AValue)
{
    TPdfDictionary& prefs = ViewerPreferences();
    if (AValue == TPdfPageMode::pmUseOutlines || AValue == TPdfPageMode::pmUseThumbs)
        SetNameInPlace(prefs, u"NonFullScreenPageMode",
                       kModeNames[static_cast<std::size_t>(AValue)]);
    else
        prefs.RemoveItem(u"NonFullScreenPageMode");
}

void TPdfCatalog::SetViewerPreference(TPdfViewerPreferences AValue)
{
    static constexpr std::array<std::pair<TPdfViewerPreference, std::u16string_view>, 5> keys = {{
        {TPdfViewerPreference::vpHideToolbar, u"HideToolbar"},
        {TPdfViewerPreference::vpHideMenubar, u"HideMenubar"},
        {TPdfViewerPreference::vpHideWindowUI, u"HideWindowUI"},
        {TPdfViewerPreference::vpFitWindow, u"FitWindow"},
        {TPdfViewerPreference::vpCenterWindow, u"CenterWindow"},
    }};
    TPdfDictionary* prefs = Data()->PdfDictionaryByName(u"ViewerPreferences");
    if (prefs == nullptr && AValue == 0)
        return;
    if (prefs == nullptr)
        prefs = &ViewerPreferences();
    for (const auto& [member, key] : keys) {
        if ((AValue & static_cast<std::uint8_t>(member)) != 0)
            prefs->AddItem(key, TPdfBoolean::CreateBoolean(true));
        else
            prefs->RemoveItem(key);
    }
}

void TPdfCatalog::SaveOpenAction()
{
    if (FOpenAction != nullptr)
        Data()->AddItem(u"OpenAction", FOpenAction->GetValue());
    else
        Data()->RemoveItem(u"OpenAction");
}

} // namespace kelvora::pdf
