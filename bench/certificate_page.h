#pragma once

#include <string>
#include <vector>

namespace kelvora::bench
{

// One text of the page: font registry name, size, position and text.
struct TPageText {
    std::u16string Font;
    float Size;
    float X;
    float Y;
    std::u16string Text;
};

// One stroked one-point line, with its stroke colour (0x00BBGGRR).
struct TPageLine {
    float X1;
    float Y1;
    float X2;
    float Y2;
    int Color;
};

// A page shaped like the certificate: a logo, framed tables and about forty texts.
struct TCertificatePage {
    std::vector<TPageText> Texts;
    std::vector<TPageLine> Lines;
};

TCertificatePage MakeCertificatePage();

} // namespace kelvora::bench
