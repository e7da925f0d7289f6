#include "pdf/objects/pdf_text.h"

#include "pdf/objects/pdf_encoding.h"

namespace kelvora::pdf
{

void TPdfText::WriteBody(TPdfMemoryStream& AStream)
{
    if (HasSurrogates(FValue)) {
        AStream.WriteByte('<');
        WriteAnsi(UnicodeTextPrefix(), AStream);
        WriteAnsi(TextToUtf16Hex(FValue), AStream);
        AStream.WriteByte('>');
    } else {
        AStream.WriteByte('(');
        WriteEscapedAnsi(FValue, AStream);
        AStream.WriteByte(')');
    }
}

} // namespace kelvora::pdf
