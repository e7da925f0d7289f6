#include "pdf/objects/pdf_object.h"

#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_format.h"

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
    std::string ref;
    AppendInt(ref, FObjectNumber);
    ref.push_back(' ');
    AppendInt(ref, FGenerationNumber);
    ref.append(" R");
    AStream.Write(ref);
}

void TPdfObject::WriteValueToStream(TPdfMemoryStream& AStream)
{
    if (FObjectType != TPdfObjectType::otIndirectObject)
        throw EPdfInvalidOperation("internal error wrong object type");
    std::string head;
    AppendInt(head, FObjectNumber);
    head.push_back(' ');
    AppendInt(head, FGenerationNumber);
    head.append(" obj\r\n");
    AStream.Write(head);
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
