// The text state of a canvas: font, size, spacing, leading and horizontal scaling.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvora::pdf
{

class TPdfFont;

// The text state of a canvas: font, size and spacing, each validated on assignment.
class TPdfCanvasAttribute
{
public:
    float WordSpace() const { return FWordSpace; }
    void SetWordSpace(float Value);
    float CharSpace() const { return FCharSpace; }
    void SetCharSpace(float Value);
    float FontSize() const { return FFontSize; }
    void SetFontSize(float Value);
    float Leading() const { return FLeading; }
    void SetLeading(float Value);
    std::uint16_t HorizontalScaling() const { return FHorizontalScaling; }
    void SetHorizontalScaling(std::uint16_t Value);
    TPdfFont* Font() const { return FFont; }
    void SetFont(TPdfFont* Value) { FFont = Value; }

    // Width of the text in points with the current font, size and spacing.
    float TextWidth(std::u16string_view Text) const;
    // How many leading characters fit in AWidth points.
    int MeasureText(std::u16string_view Text, float AWidth) const;

private:
    float CharWidth(std::u16string_view Text, std::size_t APos) const;

    float FWordSpace = 0;
    float FCharSpace = 0;
    float FFontSize = 0;
    TPdfFont* FFont = nullptr;
    float FLeading = 0;
    std::uint16_t FHorizontalScaling = 0;
};

} // namespace kelvora::pdf
