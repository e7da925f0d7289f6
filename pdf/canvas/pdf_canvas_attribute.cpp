#include "pdf/canvas/pdf_canvas_attribute.h"

#include "pdf/fonts/pdf_font.h"
#include "pdf/objects/pdf_errors.h"

namespace kelvora::pdf
{

void TPdfCanvasAttribute::SetWordSpace(float Value)
{
    if (Value < 0)
        throw EPdfInvalidValue("SetWordSpace --invalid word space");
    FWordSpace = Value;
}

void TPdfCanvasAttribute::SetCharSpace(float Value)
{
    if (Value < -30 || Value > 300)
        throw EPdfInvalidValue("SetCharSpace --invalid char space");
    FCharSpace = Value;
}

void TPdfCanvasAttribute::SetFontSize(float Value)
{
    if (Value < 0 || Value > 300)
        throw EPdfInvalidValue("SetCharSpace --invalid font size");
    FFontSize = Value;
}

void TPdfCanvasAttribute::SetLeading(float Value)
{
    if (Value < 0 || Value > 300)
        throw EPdfInvalidValue("SetLeading --invalid font size");
    FLeading = Value;
}

void TPdfCanvasAttribute::SetHorizontalScaling(std::uint16_t Value)
{
    if (Value < 10 || Value > 300)
        throw EPdfInvalidValue("SetHorizontalScaling --invalid font size");
    FHorizontalScaling = Value;
}

float TPdfCanvasAttribute::CharWidth(std::u16string_view Text, std::size_t APos) const
{
    int w = FFont != nullptr ? FFont->GetCharWidth(Text, APos) : 0;
    float cw = static_cast<float>(w) * FFontSize / 1000;
    if (FHorizontalScaling != 100)
        cw = static_cast<float>(FHorizontalScaling) * cw / 100;
    cw = cw > 0 ? cw + FCharSpace : 0;
    if (Text[APos] == u' ' && FWordSpace > 0 && APos + 1 != Text.size())
        cw += FWordSpace;
    return cw;
}

float TPdfCanvasAttribute::TextWidth(std::u16string_view Text) const
{
    float sum = 0;
    for (std::size_t i = 0; i < Text.size(); ++i)
        sum += CharWidth(Text, i);
    return sum - FCharSpace;
}

int TPdfCanvasAttribute::MeasureText(std::u16string_view Text, float AWidth) const
{
    float sum = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        sum += CharWidth(Text, i);
        if (sum > AWidth)
            return static_cast<int>(i);
    }
    return static_cast<int>(Text.size());
}

} // namespace kelvora::pdf
