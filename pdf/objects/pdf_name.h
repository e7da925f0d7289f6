// The name object, "/Name".
#pragma once

#include "pdf/objects/pdf_string_like.h"

#include <memory>
#include <string>

namespace kelvora::pdf
{

// A name; the value is held without its leading solidus.
class TPdfName : public TPdfStringLike<TPdfObjectClass::ocName>
{
public:
    using TPdfStringLike::TPdfStringLike;
    static std::unique_ptr<TPdfName> CreateName(std::u16string AValue)
    {
        return std::make_unique<TPdfName>(std::move(AValue));
    }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;
};

} // namespace kelvora::pdf
