// The stream object: its attributes dictionary and its data.
#pragma once

#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_object.h"

#include <memory>

namespace kelvora::pdf
{

// A stream object: attributes dictionary (Length, Filter first) and data, never compressed.
class TPdfStream : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocStream;
    explicit TPdfStream(TPdfObjectMgr* AObjectMgr);
    ~TPdfStream() override;
    static std::unique_ptr<TPdfStream> CreateStream(TPdfObjectMgr* AObjectMgr)
    {
        return std::make_unique<TPdfStream>(AObjectMgr);
    }

    TPdfDictionary& Attributes() const { return *FAttributes; }
    TPdfMemoryStream& Stream() { return FStream; }
    const TPdfMemoryStream& Stream() const { return FStream; }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    std::unique_ptr<TPdfDictionary> FAttributes;
    TPdfMemoryStream FStream;
};

} // namespace kelvora::pdf
