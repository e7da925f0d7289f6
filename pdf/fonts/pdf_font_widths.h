// The advance widths of the standard fonts, one table per face.
#pragma once

#include <array>
#include <cstdint>

namespace kelvora::pdf
{

// Advance widths in 1/1000 of the font size for the codes 32..255.
using TPdfWidthTable = std::array<std::uint16_t, 224>;

extern const TPdfWidthTable kFixedWidthWidths;
extern const TPdfWidthTable kArialWidths;
extern const TPdfWidthTable kArialBoldWidths;
extern const TPdfWidthTable kTimesRomanWidths;
extern const TPdfWidthTable kTimesBoldWidths;
extern const TPdfWidthTable kTimesItalicWidths;
extern const TPdfWidthTable kTimesBoldItalicWidths;

// Courier is 600 in every face, and the oblique Arial faces keep the upright advance widths.
inline const TPdfWidthTable& kFixedWidthBoldWidths = kFixedWidthWidths;
inline const TPdfWidthTable& kFixedWidthItalicWidths = kFixedWidthWidths;
inline const TPdfWidthTable& kFixedWidthBoldItalicWidths = kFixedWidthWidths;
inline const TPdfWidthTable& kArialItalicWidths = kArialWidths;
inline const TPdfWidthTable& kArialBoldItalicWidths = kArialBoldWidths;

} // namespace kelvora::pdf
