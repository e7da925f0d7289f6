#pragma once

#include "pdf/objects/pdf_object.h"

#include <memory>
#include <string>

namespace kelvora::pdf
{

// A byte string: always the literal form, one Windows-1252 byte per character.
class TPdfString : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocString;
    TPdfString() : TPdfObject(kObjectClass) {}
    explicit TPdfString(std::u16string AValue) : TPdfObject(kObjectClass), FValue(std::move(AValue))
    {
    }
    static std::unique_ptr<TPdfString> CreateString(std::u16string AValue)
    {
        return std::make_unique<TPdfString>(std::move(AValue));
    }

    const std::u16string& Value() const { return FValue; }
    void SetValue(std::u16string AValue) { FValue = std::move(AValue); }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    std::u16string FValue;
};

} // namespace kelvora::pdf
