// The real number object.
#pragma once

#include "pdf/objects/pdf_object.h"

#include <memory>

namespace kelvora::pdf
{

class TPdfReal : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocReal;
    TPdfReal() : TPdfObject(kObjectClass) {}
    explicit TPdfReal(double AValue) : TPdfObject(kObjectClass), FValue(AValue) {}
    static std::unique_ptr<TPdfReal> CreateReal(double AValue)
    {
        return std::make_unique<TPdfReal>(AValue);
    }

    double Value() const { return FValue; }
    void SetValue(double AValue) { FValue = AValue; }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    double FValue = 0;
};

} // namespace kelvora::pdf
