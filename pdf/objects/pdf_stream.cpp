#include "pdf/objects/pdf_stream.h"

#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_number.h"

#include <limits>

namespace kelvora::pdf
{

TPdfStream::TPdfStream(TPdfObjectMgr* AObjectMgr)
    : TPdfObject(kObjectClass), FAttributes(TPdfDictionary::CreateDictionary(AObjectMgr))
{
    FAttributes->AddNumberItem(u"Length", 0);
    FAttributes->AddItem(u"Filter", TPdfArray::CreateArray(AObjectMgr));
}

TPdfStream::~TPdfStream() = default;

void TPdfStream::WriteBody(TPdfMemoryStream& AStream)
{
    TPdfNumber* length = FAttributes->PdfNumberByName(u"Length");
    // Nothing is ever compressed, so a FlateDecode filter must never be declared.
    if (TPdfArray* filter = FAttributes->PdfArrayByName(u"Filter"))
        filter->RemoveName(u"FlateDecode");
    std::string_view data = FStream.Data();
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EPdfInvalidValue("stream data too large");
    if (length != nullptr)
        length->SetValue(static_cast<std::int32_t>(data.size()));
    FAttributes->WriteToStream(AStream);
    AStream.Write("\r\nstream\r\n");
    AStream.Write(data);
    AStream.Write("\nendstream");
}

} // namespace kelvora::pdf
