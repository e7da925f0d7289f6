// Raw bytes, written as they are where the object is used.
#pragma once

#include "pdf/objects/pdf_object.h"

#include <memory>

namespace kelvora::pdf
{

// Raw bytes written unchanged where the object is used.
class TPdfBinary : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocBinary;
    TPdfBinary() : TPdfObject(kObjectClass) {}
    static std::unique_ptr<TPdfBinary> Create() { return std::make_unique<TPdfBinary>(); }

    TPdfMemoryStream& Stream() { return FStream; }
    const TPdfMemoryStream& Stream() const { return FStream; }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    TPdfMemoryStream FStream;
};

} // namespace kelvora::pdf
