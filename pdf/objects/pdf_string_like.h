// The part the name, the byte string and the text objects share: one UTF-16 value.
#pragma once

#include "pdf/objects/pdf_object.h"

#include <string>
#include <utility>

namespace kelvora::pdf
{

// An object that holds a text value; the class says how it is written.
template <TPdfObjectClass Class> class TPdfStringLike : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = Class;
    TPdfStringLike() : TPdfObject(kObjectClass) {}
    explicit TPdfStringLike(std::u16string AValue)
        : TPdfObject(kObjectClass), FValue(std::move(AValue))
    {
    }

    const std::u16string& Value() const { return FValue; }
    void SetValue(std::u16string AValue) { FValue = std::move(AValue); }

private:
    std::u16string FValue;
};

} // namespace kelvora::pdf
