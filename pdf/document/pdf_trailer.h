// The file's trailer: its dictionary and the address of the cross-reference table.
#pragma once

#include "pdf/objects/pdf_dictionary.h"

#include <memory>

namespace kelvora::pdf
{

class TPdfTrailer
{
public:
    explicit TPdfTrailer(TPdfObjectMgr* AObjectMgr);
    ~TPdfTrailer();

    TPdfDictionary& Attributes() const { return *FAttributes; }
    int XrefAddress() const { return FXrefAddress; }
    void SetXrefAddress(int AValue) { FXrefAddress = AValue; }
    void WriteSection(TPdfMemoryStream& AStream) const;

private:
    std::unique_ptr<TPdfDictionary> FAttributes;
    int FXrefAddress = 0;
};

} // namespace kelvora::pdf
