#include "pdf/objects/pdf_string.h"

#include "pdf/objects/pdf_encoding.h"

namespace kelvora::pdf
{

void TPdfString::WriteBody(TPdfMemoryStream& AStream)
{
    if (HasSurrogates(FValue)) {
        AStream.WriteByte('<');
        WriteAnsi(TextToHex(FValue), AStream);
        AStream.WriteByte('>');
    } else {
        AStream.WriteByte('(');
        WriteEscapedAnsi(FValue, AStream);
        AStream.WriteByte(')');
    }
}

} // namespace kelvora::pdf
