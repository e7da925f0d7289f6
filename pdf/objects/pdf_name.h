#pragma once

#include "pdf/objects/pdf_object.h"

#include <memory>
#include <string>

namespace kelvora::pdf
{

// A name; the value is held without its leading solidus.
class TPdfName : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocName;
    TPdfName() : TPdfObject(kObjectClass) {}
    explicit TPdfName(std::u16string AValue) : TPdfObject(kObjectClass), FValue(std::move(AValue))
    {
    }
    static std::unique_ptr<TPdfName> CreateName(std::u16string AValue)
    {
        return std::make_unique<TPdfName>(std::move(AValue));
    }

    const std::u16string& Value() const { return FValue; }
    void SetValue(std::u16string AValue) { FValue = std::move(AValue); }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    std::u16string FValue;
};

} // namespace kelvora::pdf
