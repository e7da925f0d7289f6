#include "pdf/objects/pdf_binary.h"

namespace kelvora::pdf
{

void TPdfBinary::WriteBody(TPdfMemoryStream& AStream)
{
    AStream.Write(FStream.Data());
}

} // namespace kelvora::pdf
