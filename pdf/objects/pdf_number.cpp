#include "pdf/objects/pdf_number.h"

#include "pdf/objects/pdf_format.h"

namespace kelvora::pdf
{

void TPdfNumber::WriteBody(TPdfMemoryStream& AStream)
{
    WriteInt(FValue, AStream);
}

} // namespace kelvora::pdf
