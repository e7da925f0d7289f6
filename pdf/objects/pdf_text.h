#pragma once

#include "pdf/objects/pdf_object.h"

#include <memory>
#include <string>

namespace kelvora::pdf
{

// Human-readable text (document information): literal when plain ASCII, else UTF-16BE hex.
class TPdfText : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocText;
    TPdfText() : TPdfObject(kObjectClass) {}
    explicit TPdfText(std::u16string AValue) : TPdfObject(kObjectClass), FValue(std::move(AValue))
    {
    }
    static std::unique_ptr<TPdfText> CreateText(std::u16string AValue)
    {
        return std::make_unique<TPdfText>(std::move(AValue));
    }

    const std::u16string& Value() const { return FValue; }
    void SetValue(std::u16string AValue) { FValue = std::move(AValue); }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    std::u16string FValue;
};

} // namespace kelvora::pdf
