// A font: its registry name and widths, and the standard Type 1 font with its width table.
#pragma once

#include "pdf/document/pdf_dictionary_wrapper.h"
#include "pdf/fonts/pdf_font_widths.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvora::pdf
{

class TPdfObjectMgr;

class TPdfFont : public TPdfDictionaryWrapper
{
public:
    TPdfFont(TPdfObjectMgr& AXref, std::u16string AName);

    // The registry name the font was created under.
    const std::u16string& Name() const { return FName; }
    // Width of the character at the 0-based APos of AText, in 1/1000 of the font size.
    virtual int GetCharWidth(std::u16string_view AText, std::size_t APos) const;

protected:
    TPdfObjectMgr& Xref() const { return FXref; }

private:
    TPdfObjectMgr& FXref;
    std::u16string FName;
};

// A standard Type 1 font: a font dictionary without font program, and its width table.
class TPdfType1Font : public TPdfFont
{
public:
    void SetData(TPdfDictionary* Value) override;
    int GetCharWidth(std::u16string_view AText, std::size_t APos) const override;

protected:
    // Builds and numbers the dictionary at once, so fonts take numbers in order of first use.
    TPdfType1Font(TPdfObjectMgr& AXref, std::u16string AName, std::u16string_view ABaseFont,
                  const TPdfWidthTable& AWidths);

private:
    std::uint8_t FFirstChar = 0;
    std::uint8_t FLastChar = 0;
    std::array<std::uint16_t, 256> FArray{};
};

} // namespace kelvora::pdf
