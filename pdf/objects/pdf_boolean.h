// The boolean object, "true" or "false".
#pragma once

#include "pdf/objects/pdf_object.h"

#include <memory>

namespace kelvora::pdf
{

class TPdfBoolean : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocBoolean;
    TPdfBoolean() : TPdfObject(kObjectClass) {}
    explicit TPdfBoolean(bool AValue) : TPdfObject(kObjectClass), FValue(AValue) {}
    static std::unique_ptr<TPdfBoolean> CreateBoolean(bool AValue)
    {
        return std::make_unique<TPdfBoolean>(AValue);
    }

    bool Value() const { return FValue; }
    void SetValue(bool AValue) { FValue = AValue; }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    bool FValue = false;
};

} // namespace kelvora::pdf
