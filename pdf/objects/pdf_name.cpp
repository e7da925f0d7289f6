#include "pdf/objects/pdf_name.h"

#include "pdf/objects/pdf_encoding.h"

namespace kelvora::pdf
{

void TPdfName::WriteBody(TPdfMemoryStream& AStream)
{
    WriteName(Value(), AStream);
}

} // namespace kelvora::pdf
