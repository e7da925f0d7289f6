#pragma once

#include <array>
#include <cstdint>

namespace kelvora::pdf
{

// Advance widths in 1/1000 of the font size for the codes 32..255.
using TPdfWidthTable = std::array<std::uint16_t, 224>;

extern const TPdfWidthTable kFixedWidthWidths;
extern const TPdfWidthTable kFixedWidthBoldWidths;
extern const TPdfWidthTable kFixedWidthItalicWidths;
extern const TPdfWidthTable kFixedWidthBoldItalicWidths;
extern const TPdfWidthTable kArialWidths;
extern const TPdfWidthTable kArialBoldWidths;
extern const TPdfWidthTable kArialItalicWidths;
extern const TPdfWidthTable kArialBoldItalicWidths;
extern const TPdfWidthTable kTimesRomanWidths;
extern const TPdfWidthTable kTimesBoldWidths;
extern const TPdfWidthTable kTimesItalicWidths;
extern const TPdfWidthTable kTimesBoldItalicWidths;

} // namespace kelvora::pdf
