#include "pdf/objects/pdf_string.h"

#include "pdf/objects/pdf_encoding.h"

namespace kelvora::pdf
{

void TPdfString::WriteBody(TPdfMemoryStream& AStream)
{
    WriteStringOperand(Value(), AStream);
}

} // namespace kelvora::pdf
