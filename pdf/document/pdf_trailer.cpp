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
    AStream.Write("\r\nstartxref\r\n");
    WriteInt(FXrefAddress, AStream);
    AStream.Write("\r\n%%EOF\r\n");
}

} // namespace kelvora::pdf
