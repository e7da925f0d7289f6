#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/fonts/pdf_font_widths.h"
#include "pdf/fonts/pdf_standard_fonts.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_name.h"
#include "pdf_check.h"

#include <gtest/gtest.h>
#include <string>

namespace kelvora::pdf
{
namespace
{

struct TWidthCase {
    const char16_t* Font;
    char16_t Code;
    int Width;
    friend void PrintTo(const TWidthCase& c, std::ostream* os)
    {
        *os << test::CaseName(c.Font) << '-' << test::CaseName(std::u16string(1, c.Code));
    }
};

class WidthRows : public ::testing::TestWithParam<TWidthCase>
{
};

TEST_P(WidthRows, MatchTheStandardMetrics)
{
    TPdfDoc doc;
    doc.NewDoc();
    std::u16string text(1, GetParam().Code);
    EXPECT_EQ(doc.GetFont(GetParam().Font)->GetCharWidth(text, 0), GetParam().Width);
}

// The telling rows, the zero codes and the fixed-width families.
INSTANTIATE_TEST_SUITE_P(
    Table, WidthRows,
    ::testing::Values(
        TWidthCase{u"Arial", 32, 278}, TWidthCase{u"Arial", u'0', 556},
        TWidthCase{u"Arial", u'A', 667}, TWidthCase{u"Arial", u'W', 944},
        TWidthCase{u"Arial", u'a', 556}, TWidthCase{u"Arial", u'€', 556},
        TWidthCase{u"Arial", 176, 400}, TWidthCase{u"Arial", 233, 556},
        TWidthCase{u"Arial", 160, 0}, TWidthCase{u"Arial", 173, 0}, TWidthCase{u"Arial", 9, 0},
        TWidthCase{u"Arial", 127, 0},
        // A character the code page lacks is written, and measured, as '?'.
        TWidthCase{u"Arial", 0x81, 556}, TWidthCase{u"Arial", 0x141, 556},
        TWidthCase{u"Times-Roman", 0x9D, 444}, TWidthCase{u"Arial-Bold", 32, 278},
        TWidthCase{u"Arial-Bold", u'A', 722}, TWidthCase{u"Arial-Bold", u'W', 944},
        TWidthCase{u"Arial-Bold", 233, 556}, TWidthCase{u"Arial-Bold", 160, 0},
        TWidthCase{u"Arial-Italic", u'A', 667}, TWidthCase{u"Arial-BoldItalic", u'A', 722},
        TWidthCase{u"Times-Roman", 32, 250}, TWidthCase{u"Times-Roman", u'0', 500},
        TWidthCase{u"Times-Roman", u'A', 722}, TWidthCase{u"Times-Roman", u'W', 944},
        TWidthCase{u"Times-Roman", u'a', 444}, TWidthCase{u"Times-Roman", u'€', 500},
        TWidthCase{u"Times-Roman", 176, 400}, TWidthCase{u"Times-Roman", 233, 444},
        TWidthCase{u"Times-Bold", u'A', 722}, TWidthCase{u"Times-Bold", u'W', 1000},
        TWidthCase{u"Times-Bold", u'a', 500}, TWidthCase{u"Times-Bold", 233, 444},
        TWidthCase{u"Times-Italic", u'A', 611}, TWidthCase{u"Times-Italic", u'W', 833},
        TWidthCase{u"Times-Italic", u'a', 500}, TWidthCase{u"Times-Italic", 173, 0},
        TWidthCase{u"Times-BoldItalic", u'A', 667}, TWidthCase{u"Times-BoldItalic", u'W', 889},
        TWidthCase{u"Times-BoldItalic", 176, 400}, TWidthCase{u"FixedWidth", u'A', 600},
        TWidthCase{u"FixedWidth", 160, 600}, TWidthCase{u"FixedWidth-Bold", 255, 600},
        TWidthCase{u"FixedWidth-Italic", 32, 600}, TWidthCase{u"FixedWidth-BoldItalic", 127, 600},
        TWidthCase{u"FixedWidth", 31, 0}));

// No character is written as these bytes any more (U+0081 becomes '?'), so the table is read
// directly: the codes WinAnsiEncoding leaves empty have no width.
TEST(Widths, UnassignedWinAnsiCodesAreZeroInEveryProportionalTable)
{
    for (const TPdfWidthTable* table :
         {&kArialWidths, &kArialBoldWidths, &kTimesRomanWidths, &kTimesBoldWidths,
          &kTimesItalicWidths, &kTimesBoldItalicWidths}) {
        for (int code : {127, 129, 141, 143, 144, 157})
            EXPECT_EQ((*table)[static_cast<std::size_t>(code - 32)], 0) << code;
    }
}

TEST(Widths, ObliqueFacesShareTheUprightTables)
{
    TPdfDoc doc;
    doc.NewDoc();
    for (auto [upright, oblique] :
         {std::pair{u"Arial", u"Arial-Italic"}, std::pair{u"Arial-Bold", u"Arial-BoldItalic"}}) {
        TPdfFont* a = doc.GetFont(upright);
        TPdfFont* b = doc.GetFont(oblique);
        for (char16_t c = 0; c < 256; ++c) {
            std::u16string s(1, c);
            ASSERT_EQ(a->GetCharWidth(s, 0), b->GetCharWidth(s, 0)) << int(c);
        }
    }
}

struct TBaseFontCase {
    const char16_t* Name;
    const char16_t* BaseFont;
    friend void PrintTo(const TBaseFontCase& c, std::ostream* os) { *os << test::CaseName(c.Name); }
};

class BaseFonts : public ::testing::TestWithParam<TBaseFontCase>
{
};

TEST_P(BaseFonts, RegistryNameGivesItsStandardFont)
{
    TPdfDoc doc;
    doc.NewDoc();
    TPdfFont* font = doc.GetFont(GetParam().Name);
    EXPECT_EQ(font->Name(), GetParam().Name);
    EXPECT_EQ(font->Data()->PdfNameByName(u"BaseFont")->Value(), GetParam().BaseFont);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, BaseFonts,
    ::testing::Values(TBaseFontCase{u"FixedWidth", u"Courier"},
                      TBaseFontCase{u"FixedWidth-Bold", u"Courier-Bold"},
                      TBaseFontCase{u"FixedWidth-Italic", u"Courier-Oblique"},
                      TBaseFontCase{u"FixedWidth-BoldItalic", u"Courier-BoldOblique"},
                      TBaseFontCase{u"Arial", u"Helvetica"},
                      TBaseFontCase{u"Arial-Bold", u"Helvetica-Bold"},
                      TBaseFontCase{u"Arial-Italic", u"Helvetica-Oblique"},
                      TBaseFontCase{u"Arial-BoldItalic", u"Helvetica-BoldOblique"},
                      TBaseFontCase{u"Times-Roman", u"Times-Roman"},
                      TBaseFontCase{u"Times-Bold", u"Times-Bold"},
                      TBaseFontCase{u"Times-Italic", u"Times-Italic"},
                      TBaseFontCase{u"Times-BoldItalic", u"Times-BoldItalic"}));

TEST(FontDictionaries, FirstUseOrderNamesThemAndNoWidthsAreWritten)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    TPdfCanvas& canvas = doc.Canvas();
    canvas.SetFont(u"Arial-Bold", 12);
    canvas.SetFont(u"Arial-Italic", 8);
    EXPECT_EQ(doc.GetFont(u"Arial-Italic")->Data()->PdfNameByName(u"Name")->Value(), u"F2");
    int y = 800;
    for (const auto& name : RegisteredFontNames()) {
        canvas.SetFont(name, 11);
        canvas.TextOut(40, static_cast<float>(y -= 20), name + u" : déjà vu à l'été");
    }
    std::string bytes = test::SaveToBytes(doc);
    EXPECT_NE(bytes.find("/Type /Font\r\n/Subtype /Type1\r\n/Encoding /WinAnsiEncoding\r\n"
                         "/FirstChar 32\r\n/LastChar 255\r\n/BaseFont /Helvetica-Bold\r\n"
                         "/Name /F1\r\n>>"),
              std::string::npos);
    EXPECT_EQ(bytes.find("Widths"), std::string::npos);
    EXPECT_EQ(bytes.find("MissingWidth"), std::string::npos);
    EXPECT_EQ(bytes.find("FontFile"), std::string::npos);
    EXPECT_TRUE(test::IsReadablePdf(bytes, {"Arial : déjà vu à l'été",
                                            "FixedWidth-BoldItalic : déjà vu à l'été",
                                            "Times-Italic : déjà vu à l'été"}));
}

TEST(FontRegistry, UnknownNameIsRefusedAndCreatesNothing)
{
    EXPECT_EQ(RegisteredFontNames().size(), 12u);
    try {
        FindFontClass(u"Helvetica");
        FAIL();
    } catch (const EPdfClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Classe Helvetica non trouvée");
    }
    EXPECT_THROW(FindFontClass(u"arial"), EPdfClassNotFound) << "names are case-sensitive";
}

} // namespace
} // namespace kelvora::pdf
