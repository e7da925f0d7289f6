#include "pdf/objects/pdf_text.h"

#include "pdf/objects/pdf_encoding.h"

namespace kelvora::pdf
{

void TPdfText::WriteBody(TPdfMemoryStream& AStream)
{
    WriteTextString(Value(), AStream);
}

} // namespace kelvora::pdf
