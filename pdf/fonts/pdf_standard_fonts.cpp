#include "pdf/fonts/pdf_standard_fonts.h"

#include "pdf/objects/pdf_encoding.h"
#include "pdf/objects/pdf_errors.h"

#include <utility>

namespace kelvora::pdf
{

#define KELVORA_PDF_DEFINE_FONT(Class, BaseFont, Widths)                                           \
    Class::Class(TPdfObjectMgr& AXref, std::u16string AName)                                       \
        : TPdfType1Font(AXref, std::move(AName), BaseFont, Widths)                                 \
    {                                                                                              \
    }

KELVORA_PDF_DEFINE_FONT(TPdfFixedWidth, u"Courier", kFixedWidthWidths)
KELVORA_PDF_DEFINE_FONT(TPdfFixedWidthBold, u"Courier-Bold", kFixedWidthBoldWidths)
KELVORA_PDF_DEFINE_FONT(TPdfFixedWidthItalic, u"Courier-Oblique", kFixedWidthItalicWidths)
KELVORA_PDF_DEFINE_FONT(TPdfFixedWidthBoldItalic, u"Courier-BoldOblique",
                        kFixedWidthBoldItalicWidths)
KELVORA_PDF_DEFINE_FONT(TPdfArial, u"Helvetica", kArialWidths)
KELVORA_PDF_DEFINE_FONT(TPdfArialBold, u"Helvetica-Bold", kArialBoldWidths)
KELVORA_PDF_DEFINE_FONT(TPdfArialItalic, u"Helvetica-Oblique", kArialItalicWidths)
KELVORA_PDF_DEFINE_FONT(TPdfArialBoldItalic, u"Helvetica-BoldOblique", kArialBoldItalicWidths)
KELVORA_PDF_DEFINE_FONT(TPdfTimesRoman, u"Times-Roman", kTimesRomanWidths)
KELVORA_PDF_DEFINE_FONT(TPdfTimesBold, u"Times-Bold", kTimesBoldWidths)
KELVORA_PDF_DEFINE_FONT(TPdfTimesItalic, u"Times-Italic", kTimesItalicWidths)
KELVORA_PDF_DEFINE_FONT(TPdfTimesBoldItalic, u"Times-BoldItalic", kTimesBoldItalicWidths)

#undef KELVORA_PDF_DEFINE_FONT

namespace
{

template <typename T>
std::unique_ptr<TPdfFont> Construct(TPdfObjectMgr& AXref, std::u16string AName)
{
    return std::make_unique<T>(AXref, std::move(AName));
}

struct TFontRegistration {
    std::u16string_view Name;
    TPdfFontClass Class;
};

// The font registry: fixed at first use, never changed afterwards.
const std::vector<TFontRegistration>& FontRegistry()
{
    static const std::vector<TFontRegistration> registry = {
        {u"FixedWidth", &Construct<TPdfFixedWidth>},
        {u"FixedWidth-Bold", &Construct<TPdfFixedWidthBold>},
        {u"FixedWidth-Italic", &Construct<TPdfFixedWidthItalic>},
        {u"FixedWidth-BoldItalic", &Construct<TPdfFixedWidthBoldItalic>},
        {u"Arial", &Construct<TPdfArial>},
        {u"Arial-Bold", &Construct<TPdfArialBold>},
        {u"Arial-Italic", &Construct<TPdfArialItalic>},
        {u"Arial-BoldItalic", &Construct<TPdfArialBoldItalic>},
        {u"Times-Roman", &Construct<TPdfTimesRoman>},
        {u"Times-Bold", &Construct<TPdfTimesBold>},
        {u"Times-Italic", &Construct<TPdfTimesItalic>},
        {u"Times-BoldItalic", &Construct<TPdfTimesBoldItalic>},
    };
    return registry;
}

} // namespace

TPdfFontClass FindFontClass(std::u16string_view AName)
{
    for (const auto& r : FontRegistry()) {
        if (r.Name == AName)
            return r.Class;
    }
    throw EPdfClassNotFound("Classe " + Utf16ToUtf8(AName) + " non trouvée");
}

std::vector<std::u16string> RegisteredFontNames()
{
    std::vector<std::u16string> names;
    for (const auto& r : FontRegistry())
        names.emplace_back(r.Name);
    return names;
}

} // namespace kelvora::pdf
