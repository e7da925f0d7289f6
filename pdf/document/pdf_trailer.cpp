#include "pdf/document/pdf_trailer.h"

#include "pdf/objects/pdf_format.h"

namespace kelvora::pdf
{

TPdfTrailer::TPdfTrailer(TPdfObjectMgr* AObjectMgr)
    : FAttributes(TPdfDictionary::CreateDictionary(AObjectMgr))
{
    FAttributes->AddNumberItem(u"Size", 0);
}

TPdfTrailer::~TPdfTrailer() = default;

void TPdfTrailer::WriteSection(TPdfMemoryStream& AStream) const
{
    AStream.Write("trailer\r\n");
    FAttributes->WriteToStream(AStream);
    std::string tail = "\r\nstartxref\r\n";
    AppendInt(tail, FXrefAddress);
    tail.append("\r\n%%EOF\r\n");
    AStream.Write(tail);
}

} // namespace kelvora::pdf
