// A rectangle in page coordinates, and the alignment of text within a width.
#pragma once

namespace kelvora::pdf
{

struct TPdfRect {
    float Left = 0;
    float Top = 0;
    float Right = 0;
    float Bottom = 0;
};

inline TPdfRect MakePdfRect(float Left, float Top, float Right, float Bottom)
{
    return TPdfRect{Left, Top, Right, Bottom};
}

enum class TPdfAlignment { paLeftJustify, paRightJustify, paCenter };

} // namespace kelvora::pdf
