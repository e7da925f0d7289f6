// The byte string object, "(text)" in Windows-1252.
#pragma once

#include "pdf/objects/pdf_string_like.h"

#include <memory>
#include <string>

namespace kelvora::pdf
{

// A byte string: always the literal form, one Windows-1252 byte per character.
class TPdfString : public TPdfStringLike<TPdfObjectClass::ocString>
{
public:
    using TPdfStringLike::TPdfStringLike;
    static std::unique_ptr<TPdfString> CreateString(std::u16string AValue)
    {
        return std::make_unique<TPdfString>(std::move(AValue));
    }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;
};

} // namespace kelvora::pdf
