#include "pdf/document/pdf_doc.h"

#include "pdf/canvas/pdf_canvas.h"
#include "pdf/fonts/pdf_standard_fonts.h"
#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_encoding.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_number.h"
#include "pdf/objects/pdf_page_tree.h"
#include "pdf/objects/pdf_real.h"
#include "pdf/objects/pdf_stream.h"
#include "pdf/objects/pdf_text.h"
#include "pdf/objects/pdf_xobject.h"

#include <ostream>

namespace kelvora::pdf
{

namespace
{

constexpr std::size_t kContentsRoom = 4096;

std::u16string XObjectName(const TPdfStream& AObject)
{
    TPdfName* name = AObject.Attributes().PdfNameByName(u"Name");
    return name != nullptr ? name->Value() : std::u16string();
}

} // namespace

TPdfDoc::TPdfDoc() : FCanvas(std::make_unique<TPdfCanvas>(this)) {}

TPdfDoc::~TPdfDoc()
{
    FreeDoc();
}

void TPdfDoc::RequireDoc(const char* AMessage) const
{
    if (!FHasDoc)
        throw EPdfInvalidOperation(AMessage);
}

TPdfCanvas& TPdfDoc::Canvas() const
{
    RequireDoc("GetCanvas --Document is null");
    return *FCanvas;
}

TPdfInfo& TPdfDoc::Info() const
{
    if (!FHasDoc || FInfo == nullptr)
        throw EPdfInvalidOperation("GetInfo --this method can not use this state..");
    return *FInfo;
}

TPdfCatalog& TPdfDoc::Root() const
{
    if (!FHasDoc || FRoot == nullptr)
        throw EPdfInvalidOperation("GetRoot --this method can not use this state..");
    return *FRoot;
}

TPdfOutlineRoot& TPdfDoc::OutlineRoot() const
{
    RequireDoc("GetOutlineRoot --document is null..");
    if (FOutlineRoot == nullptr)
        throw EPdfInvalidOperation("GetOutlineRoot --not use outline mode..");
    return *FOutlineRoot;
}

void TPdfDoc::NewDoc()
{
    FreeDoc();
    FXref = std::make_unique<TPdfXref>();
    FHeader = std::make_unique<TPdfHeader>();
    FTrailer = std::make_unique<TPdfTrailer>(FXref.get());
    FXObjectList = TPdfArray::CreateArray(FXref.get());
    MakeCatalog();
    if (FUseOutlines)
        MakeOutlineRoot();
    MakeInfo();
    FInfo->SetCreationDate(FClock());
    MakePages();
    FHasDoc = true;
}

void TPdfDoc::MakeCatalog()
{
    TPdfDictionary* dict = FXref->Add(TPdfDictionary::CreateDictionary(FXref.get()));
    dict->AddNameItem(u"Type", u"Catalog");
    FTrailer->Attributes().AddItem(u"Root", *dict);
    auto root = std::make_unique<TPdfCatalog>();
    root->SetData(dict);
    FRoot = &AdoptObject(std::move(root));
}

void TPdfDoc::MakeOutlineRoot()
{
    TPdfDictionary* dict = FXref->Add(TPdfDictionary::CreateDictionary(FXref.get()));
    dict->AddNameItem(u"Type", u"Outlines");
    FRoot->Data()->AddItem(u"Outlines", *dict);
    auto root = std::make_unique<TPdfOutlineRoot>(*this);
    root->SetData(dict);
    FOutlineRoot = &AdoptObject(std::move(root));
}

void TPdfDoc::MakeInfo()
{
    TPdfDictionary* dict = FXref->Add(TPdfDictionary::CreateDictionary(FXref.get()));
    dict->AddItem(u"Producer", TPdfText::CreateText(u"KelvoPdf version 0.9"));
    FTrailer->Attributes().AddItem(u"Info", *dict);
    auto info = std::make_unique<TPdfInfo>();
    info->SetData(dict);
    FInfo = &AdoptObject(std::move(info));
}

void TPdfDoc::MakePages()
{
    TPdfDictionary* dict = FXref->Add(TPdfDictionary::CreateDictionary(FXref.get()));
    dict->AddNameItem(u"Type", u"Pages");
    dict->AddItem(u"Kids", TPdfArray::CreateArray(FXref.get()));
    dict->AddNumberItem(u"Count", 0);
    FRoot->SetPages(dict);
    FCurrentPages = dict;
}

void TPdfDoc::FreeDoc()
{
    FCanvas->ClearPage();
    FXObjectList.reset();
    while (!FFontList.empty())
        FFontList.pop_back();
    while (!FObjectList.empty())
        FObjectList.pop_back();
    FXref.reset();
    FHeader.reset();
    FTrailer.reset();
    FInfo = nullptr;
    FRoot = nullptr;
    FOutlineRoot = nullptr;
    FCurrentPages = nullptr;
    FHasDoc = false;
}

void TPdfDoc::AddPage()
{
    if (FCurrentPages == nullptr)
        throw EPdfInvalidOperation("AddPage --current pages null.");
    TPdfDictionary* page = FXref->Add(TPdfDictionary::CreateDictionary(FXref.get()));
    AppendKid(*FCurrentPages, *page);
    page->AddNameItem(u"Type", u"Page");
    page->AddItem(u"Parent", *FCurrentPages);
    page->AddItem(u"MediaBox", TPdfArray::CreateNumArray(
                                   FXref.get(), {0, 0, FDefaultPageWidth, FDefaultPageHeight}));
    auto resources = TPdfDictionary::CreateDictionary(FXref.get());
    resources->AddItem(u"Font", TPdfDictionary::CreateDictionary(FXref.get()));
    resources->AddItem(u"XObject", TPdfDictionary::CreateDictionary(FXref.get()));
    auto procset = TPdfArray::CreateArray(FXref.get());
    procset->AddItem(TPdfName::CreateName(u"PDF"));
    procset->AddItem(TPdfName::CreateName(u"Text"));
    procset->AddItem(TPdfName::CreateName(u"ImageC"));
    resources->AddItem(u"ProcSet", std::move(procset));
    page->AddItem(u"Resources", std::move(resources));
    TPdfStream* contents = FXref->Add(TPdfStream::CreateStream(FXref.get()));
    // A certificate page's operators take about 4 KB: room for them at once, not by doubling.
    contents->Stream().Reserve(kContentsRoom);
    page->AddItem(u"Contents", *contents);
    FCanvas->SetPage(page);
}

TPdfFont* TPdfDoc::GetFont(std::u16string_view FontName)
{
    RequireDoc("GetFont --document is null.");
    for (const auto& font : FFontList) {
        if (font->Name() == FontName)
            return font.get();
    }
    return MakeFont(FontName);
}

TPdfFont* TPdfDoc::MakeFont(std::u16string_view FontName)
{
    TPdfFontClass font_class = FindFontClass(FontName);
    std::unique_ptr<TPdfFont> font = font_class(*FXref, std::u16string(FontName));
    std::u16string resource = u"F" + Utf8ToUtf16(std::to_string(FFontList.size()));
    font->Data()->AddNameItem(u"Name", std::move(resource));
    FFontList.push_back(std::move(font));
    return FFontList.back().get();
}

void TPdfDoc::AddXObject(std::u16string_view AName, std::unique_ptr<TPdfXObject> AXObject)
{
    if (GetXObject(AName) != nullptr)
        throw EPdfError("AddImage --the image named " + Utf16ToUtf8(AName) +
                        " is already exists..");
    if (!AXObject || TypeNameOf(AXObject->Attributes()) != u"XObject" ||
        AXObject->Attributes().PdfNameByName(u"Subtype") == nullptr ||
        AXObject->Attributes().PdfNameByName(u"Subtype")->Value() != u"Image")
        throw EPdfError("AddImage --the image is not valid TPdfImage..");
    RegisterXObject(std::unique_ptr<TPdfStream>(std::move(AXObject)), AName);
}

void TPdfDoc::RegisterXObject(std::unique_ptr<TPdfStream> AObject, std::u16string_view AName)
{
    if (!AObject)
        throw EPdfInvalidValue("RegisterXObject --AObject is null");
    if (TypeNameOf(AObject->Attributes()) != u"XObject")
        throw EPdfInvalidValue("RegisterXObject --not XObject");
    RequireDoc("RegisterXObject --document is null.");
    TPdfStream* object = FXref->Add(std::move(AObject));
    RegisterXObject(object, AName);
}

void TPdfDoc::RegisterXObject(TPdfStream* AObject, std::u16string_view AName)
{
    if (AObject == nullptr)
        throw EPdfInvalidValue("RegisterXObject --AObject is null");
    if (TypeNameOf(AObject->Attributes()) != u"XObject")
        throw EPdfInvalidValue("RegisterXObject --not XObject");
    RequireDoc("RegisterXObject --document is null.");
    // Only objects of this document's table can be referred to from its pages.
    if (AObject->ObjectType() != TPdfObjectType::otIndirectObject ||
        FXref->GetObject(AObject->ObjectNumber()) != AObject)
        throw EPdfInvalidOperation("AddObject --wrong object type.");
    if (AObject->Attributes().ValueByName(u"Name") != nullptr)
        return;
    if (GetXObject(AName) != nullptr)
        throw EPdfInvalidValue("RegisterXObject --dupulicate name: " + Utf16ToUtf8(AName));
    FXObjectList->AddItem(*AObject);
    AObject->Attributes().AddNameItem(u"Name", std::u16string(AName));
}

TPdfStream* TPdfDoc::GetXObject(std::u16string_view AName) const
{
    if (!FXObjectList)
        return nullptr;
    for (int i = 0; i < FXObjectList->ItemCount(); ++i) {
        auto* object = PdfObjectAs<TPdfStream>(FXObjectList->GetItems(i));
        if (object != nullptr && XObjectName(*object) == AName)
            return object;
    }
    return nullptr;
}

void TPdfDoc::SaveToStream(std::ostream& AStream)
{
    const std::string bytes = SaveToString();
    // Offsets count from the start of the stream, so the file must begin there.
    AStream.seekp(0);
    if (!AStream)
        throw EPdfWriteError("SaveToStream --cannot position the stream at its start.");
    AStream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    AStream.flush();
    if (!AStream)
        throw EPdfWriteError("SaveToStream --failed to write the document.");
}

std::string TPdfDoc::SaveToString()
{
    RequireDoc("SaveToStream --there is no document to save.");
    FCanvas->Page();
    FInfo->SetModDate(FClock());
    FRoot->SaveOpenAction();
    if (FOutlineRoot != nullptr)
        FOutlineRoot->Save();

    // One buffer for the whole file: the streams' data and room for the rest, so it is not
    // grown (and copied) while it is written.
    std::size_t streams = 0;
    for (int i = 1; i < FXref->ItemCount(); ++i) {
        if (auto* stream = PdfObjectAs<TPdfStream>(FXref->GetItem(i).Value()))
            streams += stream->Stream().Size();
    }
    TPdfMemoryStream file;
    file.Reserve(streams + 4096 + static_cast<std::size_t>(FXref->ItemCount()) * 256);
    FHeader->WriteSection(file);
    for (int i = 1; i < FXref->ItemCount(); ++i) {
        TPdfXrefEntry& entry = FXref->GetItem(i);
        entry.SetByteOffset(static_cast<int>(file.Position()));
        entry.Value()->WriteValueToStream(file);
    }
    FTrailer->SetXrefAddress(static_cast<int>(file.Position()));
    FXref->WriteSection(file);
    // Size keeps its place, first in the trailer.
    if (TPdfNumber* size = FTrailer->Attributes().PdfNumberByName(u"Size"))
        size->SetValue(FXref->ItemCount());
    else
        FTrailer->Attributes().AddNumberItem(u"Size", FXref->ItemCount());
    FTrailer->WriteSection(file);
    return file.Release();
}

void TPdfDoc::SetVirtualMode()
{
    NewDoc();
    AddPage();
    FCanvas->SetIsVirtual(true);
}

TPdfDictionary* TPdfDoc::CreateAnnotation(TPdfAnnotationSubType AType, const TPdfRect& ARect)
{
    RequireDoc("AddAnotation --document is null.");
    TPdfDictionary& page = FCanvas->Page();
    TPdfDictionary* annot = FXref->Add(TPdfDictionary::CreateDictionary(FXref.get()));
    annot->AddNameItem(u"Type", u"Annot");
    annot->AddNameItem(u"Subtype", AType == TPdfAnnotationSubType::asTextNotes ? u"Text" : u"Link");
    auto rect = TPdfArray::CreateArray(FXref.get());
    rect->AddItem(TPdfReal::CreateReal(ARect.Left));
    rect->AddItem(TPdfReal::CreateReal(ARect.Top));
    rect->AddItem(TPdfReal::CreateReal(ARect.Right));
    rect->AddItem(TPdfReal::CreateReal(ARect.Bottom));
    annot->AddItem(u"Rect", std::move(rect));
    TPdfArray* annots = page.PdfArrayByName(u"Annots");
    if (annots == nullptr) {
        page.AddItem(u"Annots", TPdfArray::CreateArray(FXref.get()));
        annots = page.PdfArrayByName(u"Annots");
    }
    annots->AddItem(*annot);
    return annot;
}

TPdfDestination* TPdfDoc::CreateDestination()
{
    if (!FHasDoc)
        throw EPdfInvalidOperation("TPdfDestination --cannot destination object.");
    return &AdoptObject(std::make_unique<TPdfDestination>(*this, FCanvas->Page()));
}

} // namespace kelvora::pdf
