// The outline tree (bookmarks): its root and its entries.
#pragma once

#include "pdf/document/pdf_dictionary_wrapper.h"

#include <string>

namespace kelvora::pdf
{

class TPdfDestination;
class TPdfDoc;

// One entry of the outline tree; entries are owned by the document.
class TPdfOutlineEntry : public TPdfDictionaryWrapper
{
public:
    TPdfOutlineEntry(TPdfDoc& ADoc, TPdfOutlineEntry* AParent);

    // Appends a numbered child at the end of this entry's children.
    TPdfOutlineEntry& AddChild();
    TPdfOutlineEntry& AddChild(TPdfDestination* ADest, std::u16string ATitle);

    TPdfOutlineEntry* Parent() const { return FParent; }
    TPdfOutlineEntry* Next() const { return FNext; }
    TPdfOutlineEntry* Prev() const { return FPrev; }
    TPdfOutlineEntry* First() const { return FFirst; }
    TPdfOutlineEntry* Last() const { return FLast; }
    TPdfDestination* Dest() const { return FDest; }
    void SetDest(TPdfDestination* AValue) { FDest = AValue; }
    const std::u16string& Title() const { return FTitle; }
    void SetTitle(std::u16string AValue) { FTitle = std::move(AValue); }
    bool Opened() const { return FOpened; }
    void SetOpened(bool AValue) { FOpened = AValue; }

    // Writes Count, Title, Dest and the links of this entry and of all below it.
    virtual void Save();

protected:
    // Number of descendants shown when this entry and its open children are expanded.
    int VisibleDescendants() const;
    void SaveLinks();
    TPdfDoc& Doc() const { return FDoc; }

private:
    TPdfDoc& FDoc;
    TPdfOutlineEntry* FParent;
    TPdfOutlineEntry* FNext = nullptr;
    TPdfOutlineEntry* FPrev = nullptr;
    TPdfOutlineEntry* FFirst = nullptr;
    TPdfOutlineEntry* FLast = nullptr;
    TPdfDestination* FDest = nullptr;
    std::u16string FTitle;
    bool FOpened = false;
};

// The outline dictionary (Type /Outlines) the catalog refers to.
class TPdfOutlineRoot : public TPdfOutlineEntry
{
public:
    explicit TPdfOutlineRoot(TPdfDoc& ADoc);
    void Save() override;
};

} // namespace kelvora::pdf
