#include "pdf/objects/pdf_real.h"

#include "pdf/objects/pdf_format.h"

namespace kelvora::pdf
{

void TPdfReal::WriteBody(TPdfMemoryStream& AStream)
{
    AStream.Write(FormatGeneral(FValue));
}

} // namespace kelvora::pdf
