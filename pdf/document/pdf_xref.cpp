#include "pdf/document/pdf_xref.h"

#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_format.h"

#include <algorithm>

namespace kelvora::pdf
{

namespace
{

// Room for a row: two numbers of at most ten digits, their spaces, the type and CR LF.
constexpr std::size_t kRowChars = 32;

char* PutZeroPadded(char* AOut, int AValue, std::size_t AWidth)
{
    // A negative offset (the free entry, or an unsaved object) is written as 0, still padded.
    char digits[kMaxNumberChars];
    char* end = PutInt(digits, AValue < 0 ? 0 : AValue);
    const auto count = static_cast<std::size_t>(end - digits);
    if (count < AWidth)
        AOut = std::fill_n(AOut, AWidth - count, '0');
    return std::copy(digits, end, AOut);
}

} // namespace

TPdfXrefEntry::TPdfXrefEntry(std::unique_ptr<TPdfObject> AValue)
    : FEntryType(AValue ? 'n' : 'f'), FValue(std::move(AValue))
{
    if (FValue)
        FGenerationNumber = FValue->GenerationNumber();
}

char* TPdfXrefEntry::PutRow(char* AOut) const
{
    AOut = PutZeroPadded(AOut, FByteOffset, 10);
    *AOut++ = ' ';
    AOut = PutZeroPadded(AOut, FGenerationNumber, 5);
    *AOut++ = ' ';
    *AOut++ = FEntryType;
    return AOut;
}

std::string TPdfXrefEntry::AsString() const
{
    char row[kRowChars];
    return std::string(row, PutRow(row));
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
    AStream.Write("xref\r\n0 ");
    WriteInt(ItemCount(), AStream);
    AStream.Write("\r\n");
    for (const auto& entry : FXrefEntries) {
        char row[kRowChars];
        char* end = entry->PutRow(row);
        *end++ = '\r';
        *end++ = '\n';
        AStream.Write(row, static_cast<std::size_t>(end - row));
    }
}

} // namespace kelvora::pdf
