// The text object for human-readable strings: literal when plain ASCII, else UTF-16BE.
#pragma once

#include "pdf/objects/pdf_string_like.h"

#include <memory>
#include <string>

namespace kelvora::pdf
{

// Human-readable text (document information): literal when plain ASCII, else UTF-16BE hex.
class TPdfText : public TPdfStringLike<TPdfObjectClass::ocText>
{
public:
    using TPdfStringLike::TPdfStringLike;
    static std::unique_ptr<TPdfText> CreateText(std::u16string AValue)
    {
        return std::make_unique<TPdfText>(std::move(AValue));
    }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;
};

} // namespace kelvora::pdf
