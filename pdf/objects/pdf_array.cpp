#include "pdf/objects/pdf_array.h"

#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_format.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_number.h"

#include <algorithm>
#include <string>

namespace kelvora::pdf
{

TPdfObject* ResolveObject(TPdfObject* AObject, const TPdfObjectMgr* AObjectMgr)
{
    if (AObject == nullptr || AObject->ObjectType() != TPdfObjectType::otVirtualObject)
        return AObject;
    return AObjectMgr != nullptr ? AObjectMgr->GetObject(AObject->ObjectNumber()) : nullptr;
}

std::unique_ptr<TPdfArray> TPdfArray::CreateNumArray(TPdfObjectMgr* AObjectMgr,
                                                     std::span<const std::int32_t> AArray)
{
    auto array = CreateArray(AObjectMgr);
    array->FArray.reserve(AArray.size());
    for (std::int32_t v : AArray)
        array->FArray.push_back(TPdfNumber::CreateNumber(v));
    return array;
}

void TPdfArray::AddItem(std::unique_ptr<TPdfObject> AItem)
{
    if (!AItem)
        throw EPdfInvalidValue("internal error. wrong object.");
    for (const auto& item : FArray) {
        if (item.get() == AItem.get()) {
            // Already held: keep the single owner we have.
            (void)AItem.release();
            return;
        }
    }
    if (!AItem->IsDirect())
        FArray.push_back(TPdfVirtualObject::CreateVirtual(AItem->ObjectNumber()));
    else
        FArray.push_back(std::move(AItem));
}

void TPdfArray::AddItem(const TPdfObject& AIndirect)
{
    if (AIndirect.IsDirect())
        throw EPdfInvalidValue("internal error. wrong object.");
    FArray.push_back(TPdfVirtualObject::CreateVirtual(AIndirect.ObjectNumber()));
}

TPdfObject* TPdfArray::GetItems(int Index) const
{
    if (Index < 0 || Index >= ItemCount())
        throw EPdfInvalidValue("List index out of bounds (" + IntToStr(Index) + ")");
    return ResolveObject(FArray[static_cast<std::size_t>(Index)].get(), FObjectMgr);
}

TPdfName* TPdfArray::FindName(std::u16string_view AName) const
{
    for (const auto& item : FArray) {
        auto* name = PdfObjectAs<TPdfName>(ResolveObject(item.get(), FObjectMgr));
        if (name != nullptr && name->Value() == AName)
            return name;
    }
    return nullptr;
}

bool TPdfArray::RemoveName(std::u16string_view AName)
{
    TPdfName* name = FindName(AName);
    if (name == nullptr)
        return false;
    auto it = std::find_if(FArray.begin(), FArray.end(),
                           [name](const auto& item) { return item.get() == name; });
    // A name reached through a reference belongs to its manager; drop only our placeholder.
    if (it == FArray.end()) {
        it = std::find_if(FArray.begin(), FArray.end(), [&](const auto& item) {
            return ResolveObject(item.get(), FObjectMgr) == name;
        });
    }
    FArray.erase(it);
    return true;
}

void TPdfArray::WriteBody(TPdfMemoryStream& AStream)
{
    AStream.WriteByte('[');
    for (const auto& item : FArray) {
        item->WriteToStream(AStream);
        AStream.WriteByte(' ');
    }
    AStream.WriteByte(']');
}

} // namespace kelvora::pdf
