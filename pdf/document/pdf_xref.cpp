#include "pdf/document/pdf_xref.h"

#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_format.h"

namespace kelvora::pdf
{

namespace
{

void AppendZeroPad(std::string& AOut, int AValue, std::size_t AWidth)
{
    // A negative offset (the free entry, or an unsaved object) is written as 0, still padded.
    std::string digits = IntToStr(AValue < 0 ? 0 : AValue);
    if (digits.size() < AWidth)
        AOut.append(AWidth - digits.size(), '0');
    AOut.append(digits);
}

} // namespace

TPdfXrefEntry::TPdfXrefEntry(std::unique_ptr<TPdfObject> AValue)
    : FEntryType(AValue ? 'n' : 'f'), FValue(std::move(AValue))
{
    if (FValue)
        FGenerationNumber = FValue->GenerationNumber();
}

std::string TPdfXrefEntry::AsString() const
{
    std::string row;
    row.reserve(20);
    AppendZeroPad(row, FByteOffset, 10);
    row.push_back(' ');
    AppendZeroPad(row, FGenerationNumber, 5);
    row.push_back(' ');
    row.push_back(FEntryType);
    return row;
}

TPdfXref::TPdfXref()
{
    auto free = std::make_unique<TPdfXrefEntry>(nullptr);
    free->SetGenerationNumber(65535);
    FXrefEntries.push_back(std::move(free));
}

TPdfXref::~TPdfXref() = default;

TPdfObject* TPdfXref::AddObject(std::unique_ptr<TPdfObject> AObject)
{
    if (!AObject || !AObject->IsDirect())
        throw EPdfInvalidOperation("AddObject --wrong object type.");
    TPdfObject* object = AObject.get();
    FXrefEntries.push_back(std::make_unique<TPdfXrefEntry>(std::move(AObject)));
    object->SetObjectNumber(ItemCount() - 1);
    return object;
}

TPdfObject* TPdfXref::GetObject(int ObjectID) const
{
    if (ObjectID < 0 || ObjectID >= ItemCount())
        return nullptr;
    return FXrefEntries[static_cast<std::size_t>(ObjectID)]->Value();
}

TPdfXrefEntry& TPdfXref::GetItem(int ObjectID) const
{
    if (ObjectID < 0 || ObjectID >= ItemCount())
        throw EPdfInvalidValue("List index out of bounds (" + IntToStr(ObjectID) + ")");
    return *FXrefEntries[static_cast<std::size_t>(ObjectID)];
}

void TPdfXref::WriteSection(TPdfMemoryStream& AStream) const
{
    std::string text = "xref\r\n0 ";
    text.reserve(16 + FXrefEntries.size() * 20);
    AppendInt(text, ItemCount());
    text.append("\r\n");
    for (const auto& entry : FXrefEntries) {
        text.append(entry->AsString());
        text.append("\r\n");
    }
    AStream.Write(text);
}

} // namespace kelvora::pdf
