#include "pdf/objects/pdf_object.h"

#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_format.h"

#include <algorithm>

namespace kelvora::pdf
{

void TPdfObject::SetObjectNumber(int Value)
{
    FObjectNumber = Value;
    FObjectType = Value > 0 ? TPdfObjectType::otIndirectObject : TPdfObjectType::otDirectObject;
}

void TPdfObject::WriteToStream(TPdfMemoryStream& AStream)
{
    if (FObjectType == TPdfObjectType::otDirectObject) {
        WriteBody(AStream);
        return;
    }
    char ref[2 * kMaxNumberChars + 3];
    char* end = PutInt(ref, FObjectNumber);
    *end++ = ' ';
    end = PutInt(end, FGenerationNumber);
    *end++ = ' ';
    *end++ = 'R';
    AStream.Write(ref, static_cast<std::size_t>(end - ref));
}

void TPdfObject::WriteValueToStream(TPdfMemoryStream& AStream)
{
    if (FObjectType != TPdfObjectType::otIndirectObject)
        throw EPdfInvalidOperation("internal error wrong object type");
    char head[2 * kMaxNumberChars + 7];
    char* end = PutInt(head, FObjectNumber);
    *end++ = ' ';
    end = PutInt(end, FGenerationNumber);
    end = std::copy_n(" obj\r\n", 6, end);
    AStream.Write(head, static_cast<std::size_t>(end - head));
    WriteBody(AStream);
    AStream.Write("\r\nendobj\r\n");
}

void TPdfObject::WriteBody(TPdfMemoryStream&) {}

TPdfVirtualObject::TPdfVirtualObject(int AObjectId) : TPdfObject(kObjectClass)
{
    SetObjectNumber(AObjectId);
    SetObjectType(TPdfObjectType::otVirtualObject);
}

} // namespace kelvora::pdf
