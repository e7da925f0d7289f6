// The null object.
#pragma once

#include "pdf/objects/pdf_object.h"

namespace kelvora::pdf
{

class TPdfNull : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocNull;
    TPdfNull() : TPdfObject(kObjectClass) {}

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;
};

} // namespace kelvora::pdf
