// The document: pages, fonts and images, their numbering and the save into a byte stream.
#pragma once

#include "pdf/document/pdf_catalog.h"
#include "pdf/document/pdf_destination.h"
#include "pdf/document/pdf_dictionary_wrapper.h"
#include "pdf/document/pdf_header.h"
#include "pdf/document/pdf_info.h"
#include "pdf/document/pdf_outline.h"
#include "pdf/document/pdf_trailer.h"
#include "pdf/document/pdf_xref.h"
#include "pdf/objects/pdf_date.h"
#include "pdf/objects/pdf_rect.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::pdf
{

class TPdfArray;
class TPdfCanvas;
class TPdfDictionary;
class TPdfFont;
class TPdfStream;
class TPdfXObject;

enum class TPdfCompressionMethod { cmNone };
enum class TPdfAnnotationSubType { asTextNotes, asLink };

// One PDF document: numbering, page tree, fonts, images, and the save into a byte stream.
class TPdfDoc
{
public:
    TPdfDoc();
    TPdfDoc(const TPdfDoc&) = delete;
    TPdfDoc& operator=(const TPdfDoc&) = delete;
    ~TPdfDoc();

    // Discards any open document and begins an empty one.
    void NewDoc();
    // Destroys the open document; the canvas keeps no page of it.
    void FreeDoc();
    // Appends a page to the current pages node and points the canvas at it.
    void AddPage();
    // Numbers an image XObject and registers it under AName; the document owns it from here.
    void AddXObject(std::u16string_view AName, std::unique_ptr<TPdfXObject> AXObject);
    // Registers an XObject under AName, numbering it first.
    void RegisterXObject(std::unique_ptr<TPdfStream> AObject, std::u16string_view AName);
    // Registers an XObject already numbered in this document.
    void RegisterXObject(TPdfStream* AObject, std::u16string_view AName);
    TPdfStream* GetXObject(std::u16string_view AName) const;
    // The font of that registry name, created on first use.
    TPdfFont* GetFont(std::u16string_view FontName);
    // Writes the whole file from the start of AStream.
    void SaveToStream(std::ostream& AStream);
    // The whole file's bytes, built in one buffer (what SaveToStream writes).
    std::string SaveToString();
    // NewDoc, AddPage, then the canvas stops writing operators.
    void SetVirtualMode();
    TPdfDictionary* CreateAnnotation(TPdfAnnotationSubType AType, const TPdfRect& ARect);
    TPdfDestination* CreateDestination();

    bool HasDoc() const { return FHasDoc; }
    TPdfCanvas& Canvas() const;
    TPdfInfo& Info() const;
    TPdfCatalog& Root() const;
    TPdfOutlineRoot& OutlineRoot() const;
    std::uint16_t DefaultPageWidth() const { return FDefaultPageWidth; }
    void SetDefaultPageWidth(std::uint16_t AValue) { FDefaultPageWidth = AValue; }
    std::uint16_t DefaultPageHeight() const { return FDefaultPageHeight; }
    void SetDefaultPageHeight(std::uint16_t AValue) { FDefaultPageHeight = AValue; }
    TPdfCompressionMethod CompressionMethod() const { return FCompressionMethod; }
    void SetCompressionMethod(TPdfCompressionMethod AValue) { FCompressionMethod = AValue; }
    bool UseOutlines() const { return FUseOutlines; }
    void SetUseOutlines(bool AValue) { FUseOutlines = AValue; }

    // The object manager of the open document (null when there is none).
    TPdfXref* Xref() const { return FXref.get(); }
    // The local clock used for CreationDate and ModDate.
    void SetClock(std::function<TPdfDateTime()> AClock) { FClock = std::move(AClock); }

    // Keeps a wrapper, destination or outline entry alive until the document is freed.
    template <typename T> T& AdoptObject(std::unique_ptr<T> AObject)
    {
        T& ref = *AObject;
        FObjectList.push_back(std::move(AObject));
        return ref;
    }

private:
    void MakeCatalog();
    void MakeOutlineRoot();
    void MakeInfo();
    void MakePages();
    TPdfFont* MakeFont(std::u16string_view FontName);
    void RequireDoc(const char* AMessage) const;

    TPdfCatalog* FRoot = nullptr;
    TPdfDictionary* FCurrentPages = nullptr;
    std::unique_ptr<TPdfCanvas> FCanvas;
    std::unique_ptr<TPdfHeader> FHeader;
    std::unique_ptr<TPdfTrailer> FTrailer;
    std::unique_ptr<TPdfXref> FXref;
    TPdfInfo* FInfo = nullptr;
    bool FHasDoc = false;
    std::vector<std::unique_ptr<TPdfFont>> FFontList;
    std::vector<std::unique_ptr<TPdfOwnedObject>> FObjectList;
    TPdfOutlineRoot* FOutlineRoot = nullptr;
    std::unique_ptr<TPdfArray> FXObjectList;
    std::uint16_t FDefaultPageWidth = 596;
    std::uint16_t FDefaultPageHeight = 842;
    TPdfCompressionMethod FCompressionMethod = TPdfCompressionMethod::cmNone;
    bool FUseOutlines = false;
    std::function<TPdfDateTime()> FClock = &TPdfDateTime::Now;
};

} // namespace kelvora::pdf
