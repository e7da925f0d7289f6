// The integer number object.
#pragma once

#include "pdf/objects/pdf_object.h"

#include <cstdint>
#include <memory>

namespace kelvora::pdf
{

class TPdfNumber : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocNumber;
    TPdfNumber() : TPdfObject(kObjectClass) {}
    explicit TPdfNumber(std::int32_t AValue) : TPdfObject(kObjectClass), FValue(AValue) {}
    static std::unique_ptr<TPdfNumber> CreateNumber(std::int32_t AValue)
    {
        return std::make_unique<TPdfNumber>(AValue);
    }

    std::int32_t Value() const { return FValue; }
    void SetValue(std::int32_t AValue) { FValue = AValue; }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    std::int32_t FValue = 0;
};

} // namespace kelvora::pdf
