#include "pdf/document/pdf_outline.h"

#include "pdf/document/pdf_destination.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/document/pdf_xref.h"
#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_text.h"

namespace kelvora::pdf
{

TPdfOutlineEntry::TPdfOutlineEntry(TPdfDoc& ADoc, TPdfOutlineEntry* AParent)
    : FDoc(ADoc), FParent(AParent)
{
}

TPdfOutlineEntry& TPdfOutlineEntry::AddChild()
{
    auto child = std::make_unique<TPdfOutlineEntry>(FDoc, this);
    TPdfDictionary* dict = FDoc.Xref()->Add(TPdfDictionary::CreateDictionary(FDoc.Xref()));
    child->SetData(dict);
    // Viewers need the way back up the tree.
    dict->AddItem(u"Parent", *Data());
    child->FPrev = FLast;
    if (FLast != nullptr)
        FLast->FNext = child.get();
    if (FFirst == nullptr)
        FFirst = child.get();
    FLast = child.get();
    return FDoc.AdoptObject(std::move(child));
}

TPdfOutlineEntry& TPdfOutlineEntry::AddChild(TPdfDestination* ADest, std::u16string ATitle)
{
    TPdfOutlineEntry& child = AddChild();
    child.SetDest(ADest);
    child.SetTitle(std::move(ATitle));
    return child;
}

int TPdfOutlineEntry::VisibleDescendants() const
{
    int count = 0;
    for (const TPdfOutlineEntry* c = FFirst; c != nullptr; c = c->FNext) {
        ++count;
        if (c->FOpened)
            count += c->VisibleDescendants();
    }
    return count;
}

void TPdfOutlineEntry::SaveLinks()
{
    TPdfDictionary& dict = *Data();
    if (FFirst != nullptr) {
        dict.AddItem(u"First", *FFirst->Data());
        dict.AddItem(u"Last", *FLast->Data());
    }
    for (TPdfOutlineEntry* c = FFirst; c != nullptr; c = c->FNext)
        c->Save();
}

void TPdfOutlineEntry::Save()
{
    TPdfDictionary& dict = *Data();
    int count = VisibleDescendants();
    dict.AddNumberItem(u"Count", FOpened ? count : -count);
    dict.AddItem(u"Title", TPdfText::CreateText(FTitle));
    if (FDest != nullptr)
        dict.AddItem(u"Dest", FDest->GetValue());
    SaveLinks();
    if (FPrev != nullptr)
        dict.AddItem(u"Prev", *FPrev->Data());
    if (FNext != nullptr)
        dict.AddItem(u"Next", *FNext->Data());
}

TPdfOutlineRoot::TPdfOutlineRoot(TPdfDoc& ADoc) : TPdfOutlineEntry(ADoc, nullptr)
{
    SetOpened(true);
}

void TPdfOutlineRoot::Save()
{
    Data()->AddNumberItem(u"Count", VisibleDescendants());
    SaveLinks();
}

} // namespace kelvora::pdf
