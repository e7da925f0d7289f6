#include "pdf/objects/pdf_null.h"

namespace kelvora::pdf
{

void TPdfNull::WriteBody(TPdfMemoryStream& AStream)
{
    AStream.Write("null");
}

} // namespace kelvora::pdf
