// The standard fonts: one class per face, and the registry that finds them by name.
#pragma once

#include "pdf/fonts/pdf_font.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::pdf
{

#define KELVORA_PDF_STANDARD_FONT(Class)                                                           \
    class Class : public TPdfType1Font                                                             \
    {                                                                                              \
    public:                                                                                        \
        Class(TPdfObjectMgr& AXref, std::u16string AName);                                         \
    };

KELVORA_PDF_STANDARD_FONT(TPdfFixedWidth)
KELVORA_PDF_STANDARD_FONT(TPdfFixedWidthBold)
KELVORA_PDF_STANDARD_FONT(TPdfFixedWidthItalic)
KELVORA_PDF_STANDARD_FONT(TPdfFixedWidthBoldItalic)
KELVORA_PDF_STANDARD_FONT(TPdfArial)
KELVORA_PDF_STANDARD_FONT(TPdfArialBold)
KELVORA_PDF_STANDARD_FONT(TPdfArialItalic)
KELVORA_PDF_STANDARD_FONT(TPdfArialBoldItalic)
KELVORA_PDF_STANDARD_FONT(TPdfTimesRoman)
KELVORA_PDF_STANDARD_FONT(TPdfTimesBold)
KELVORA_PDF_STANDARD_FONT(TPdfTimesItalic)
KELVORA_PDF_STANDARD_FONT(TPdfTimesBoldItalic)

#undef KELVORA_PDF_STANDARD_FONT

// The "virtual constructor" of a font class, as the registry holds it.
using TPdfFontClass = std::unique_ptr<TPdfFont> (*)(TPdfObjectMgr& AXref, std::u16string AName);

// The font class registered under AName; EPdfClassNotFound "Classe %s non trouvée" otherwise.
TPdfFontClass FindFontClass(std::u16string_view AName);
// Registry names in registration order.
std::vector<std::u16string> RegisteredFontNames();

} // namespace kelvora::pdf
