#include "pdf/objects/pdf_boolean.h"

namespace kelvora::pdf
{

void TPdfBoolean::WriteBody(TPdfMemoryStream& AStream)
{
    AStream.Write(FValue ? "true" : "false");
}

} // namespace kelvora::pdf
