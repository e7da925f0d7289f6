// The file's first line, "%PDF-1.2".
#pragma once

#include "pdf/objects/pdf_memory_stream.h"

namespace kelvora::pdf
{

class TPdfHeader
{
public:
    // "%PDF-1.2 " CR LF: 11 bytes.
    void WriteSection(TPdfMemoryStream& AStream) const { AStream.Write("%PDF-1.2 \r\n"); }
};

} // namespace kelvora::pdf
