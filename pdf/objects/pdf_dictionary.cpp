#include "pdf/objects/pdf_dictionary.h"

#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_boolean.h"
#include "pdf/objects/pdf_encoding.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_format.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_number.h"
#include "pdf/objects/pdf_real.h"
#include "pdf/objects/pdf_string.h"
#include "pdf/objects/pdf_text.h"

#include <algorithm>

namespace kelvora::pdf
{

TPdfDictionaryElement::TPdfDictionaryElement(std::u16string AKey,
                                             std::unique_ptr<TPdfObject> AValue, bool AIsInternal)
    : FKey(std::move(AKey)), FValue(std::move(AValue)), FIsInternal(AIsInternal)
{
    if (!FValue)
        throw EPdfInvalidValue("internal error. wrong object.");
}

std::unique_ptr<TPdfDictionaryElement>
TPdfDictionaryElement::Create(std::u16string AKey, std::unique_ptr<TPdfObject> AValue)
{
    return std::make_unique<TPdfDictionaryElement>(std::move(AKey), std::move(AValue), false);
}

std::unique_ptr<TPdfDictionaryElement>
TPdfDictionaryElement::CreateAsInternal(std::u16string AKey, std::unique_ptr<TPdfObject> AValue)
{
    return std::make_unique<TPdfDictionaryElement>(std::move(AKey), std::move(AValue), true);
}

TPdfDictionary::~TPdfDictionary() = default;

void TPdfDictionary::Append(std::u16string_view AKey, std::unique_ptr<TPdfObject> AValue,
                            bool AInternal)
{
    if (!AValue)
        throw EPdfInvalidValue("internal error. wrong object.");
    auto it = std::find_if(FArray.begin(), FArray.end(),
                           [AKey](const auto& e) { return e.FKey == AKey; });
    if (it != FArray.end()) {
        // The very value already held under this key is moved, not destroyed.
        if (it->FValue.get() == AValue.get())
            (void)it->FValue.release();
        FArray.erase(it);
    }
    if (!AValue->IsDirect())
        AValue = TPdfVirtualObject::CreateVirtual(AValue->ObjectNumber());
    // Room for a usual dictionary at once, rather than growing it entry by entry.
    if (FArray.empty())
        FArray.reserve(8);
    FArray.emplace_back(std::u16string(AKey), std::move(AValue), AInternal);
}

void TPdfDictionary::AddItem(std::u16string_view AKey, std::unique_ptr<TPdfObject> AValue)
{
    Append(AKey, std::move(AValue), false);
}

void TPdfDictionary::AddItem(std::u16string_view AKey, const TPdfObject& AIndirect)
{
    if (AIndirect.IsDirect())
        throw EPdfInvalidValue("internal error. wrong object.");
    Append(AKey, TPdfVirtualObject::CreateVirtual(AIndirect.ObjectNumber()), false);
}

void TPdfDictionary::AddNumberItem(std::u16string_view AKey, std::int32_t AValue)
{
    Append(AKey, TPdfNumber::CreateNumber(AValue), false);
}

void TPdfDictionary::AddNameItem(std::u16string_view AKey, std::u16string AValue)
{
    Append(AKey, TPdfName::CreateName(std::move(AValue)), false);
}

void TPdfDictionary::AddInternalItem(std::u16string_view AKey, std::unique_ptr<TPdfObject> AValue)
{
    Append(AKey, std::move(AValue), true);
}

void TPdfDictionary::RemoveItem(std::u16string_view AKey)
{
    auto it = std::find_if(FArray.begin(), FArray.end(),
                           [AKey](const auto& e) { return e.FKey == AKey; });
    if (it != FArray.end())
        FArray.erase(it);
}

TPdfObject* TPdfDictionary::ValueByName(std::u16string_view AKey) const
{
    for (const auto& e : FArray) {
        if (e.FKey == AKey)
            return ResolveObject(e.FValue.get(), FObjectMgr);
    }
    return nullptr;
}

TPdfBoolean* TPdfDictionary::PdfBooleanByName(std::u16string_view AKey) const
{
    return PdfObjectAs<TPdfBoolean>(ValueByName(AKey));
}

TPdfNumber* TPdfDictionary::PdfNumberByName(std::u16string_view AKey) const
{
    return PdfObjectAs<TPdfNumber>(ValueByName(AKey));
}

TPdfText* TPdfDictionary::PdfTextByName(std::u16string_view AKey) const
{
    return PdfObjectAs<TPdfText>(ValueByName(AKey));
}

TPdfReal* TPdfDictionary::PdfRealByName(std::u16string_view AKey) const
{
    return PdfObjectAs<TPdfReal>(ValueByName(AKey));
}

TPdfString* TPdfDictionary::PdfStringByName(std::u16string_view AKey) const
{
    return PdfObjectAs<TPdfString>(ValueByName(AKey));
}

TPdfName* TPdfDictionary::PdfNameByName(std::u16string_view AKey) const
{
    return PdfObjectAs<TPdfName>(ValueByName(AKey));
}

TPdfDictionary* TPdfDictionary::PdfDictionaryByName(std::u16string_view AKey) const
{
    return PdfObjectAs<TPdfDictionary>(ValueByName(AKey));
}

TPdfArray* TPdfDictionary::PdfArrayByName(std::u16string_view AKey) const
{
    return PdfObjectAs<TPdfArray>(ValueByName(AKey));
}

const TPdfDictionaryElement& TPdfDictionary::GetItems(int Index) const
{
    if (Index < 0 || Index >= ItemCount())
        throw EPdfInvalidValue("List index out of bounds (" + IntToStr(Index) + ")");
    return FArray[static_cast<std::size_t>(Index)];
}

void TPdfDictionary::WriteBody(TPdfMemoryStream& AStream)
{
    AStream.Write("<<\r\n");
    for (const auto& e : FArray) {
        if (e.FIsInternal)
            continue;
        WriteName(e.FKey, AStream);
        AStream.WriteByte(' ');
        e.FValue->WriteToStream(AStream);
        AStream.Write("\r\n");
    }
    AStream.Write(">>");
}

} // namespace kelvora::pdf
