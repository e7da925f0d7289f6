#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/objects/pdf_date.h"
#include "pdf/objects/pdf_encoding.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_format.h"
#include "pdf_check.h"

#include <algorithm>
#include <clocale>
#include <gtest/gtest.h>
#include <locale>
#include <string>

namespace kelvora::pdf
{
namespace
{

struct TRealCase {
    double Value;
    const char* Expected;
    friend void PrintTo(const TRealCase& c, std::ostream* os) { *os << c.Value; }
};

class FormatRealTable : public ::testing::TestWithParam<TRealCase>
{
};

TEST_P(FormatRealTable, RoundsToTwoDecimalsWithAFullStop)
{
    EXPECT_EQ(FormatReal(GetParam().Value), GetParam().Expected);
}

// Operands as the canvas holds them: 32-bit floats, or colour quotients.
INSTANTIATE_TEST_SUITE_P(Operands, FormatRealTable,
                         ::testing::Values(TRealCase{10.0f, "10"}, TRealCase{12.345f, "12.35"},
                                           TRealCase{0.5f, "0.5"}, TRealCase{1.999f, "2"},
                                           TRealCase{0.004f, "0"}, TRealCase{2.675f, "2.67"},
                                           TRealCase{-1.234f, "-1.23"}, TRealCase{-0.006f, "-0.01"},
                                           TRealCase{-0.004f, "0"}, TRealCase{-30.0f, "-30"},
                                           TRealCase{-12.0f, "-12"}, TRealCase{57.5f, "57.5"},
                                           TRealCase{227.0 / 255, "0.89"}, TRealCase{1.0, "1"},
                                           TRealCase{-0.05f, "-0.05"}, TRealCase{759.5f, "759.5"},
                                           TRealCase{0.0, "0"}, TRealCase{842.0f, "842"}));

// Either side of 2^32 hundredths, where the digits change width, and the clamp far beyond.
INSTANTIATE_TEST_SUITE_P(Magnitudes, FormatRealTable,
                         ::testing::Values(TRealCase{42949672.95, "42949672.95"},
                                           TRealCase{42949672.96, "42949672.96"},
                                           TRealCase{-5e9, "-5000000000"},
                                           TRealCase{123456789012.5, "123456789012.5"},
                                           TRealCase{1e30, "92000000000000000"},
                                           TRealCase{-1e30, "-92000000000000000"}));

// Restores the C locale whatever the test does.
class FrenchLocale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr)
            GTEST_SKIP() << "fr_FR.UTF-8 is not installed";
        std::locale::global(std::locale("fr_FR.UTF-8"));
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
    }
};

TEST_F(FrenchLocale, NumbersKeepTheFullStop)
{
    EXPECT_EQ(FormatReal(0.5f), "0.5");
    EXPECT_EQ(FormatReal(57.5f), "57.5");
    EXPECT_EQ(FormatGeneral(2.5), "2.5");
    EXPECT_EQ(IntToStr(1234567), "1234567");
}

TEST_F(FrenchLocale, DocumentNumbersKeepTheFullStop)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.Canvas().SetLineWidth(0.5);
    doc.Canvas().TextOut(57.5, 760, u"Assuré social : ");
    doc.CreateAnnotation(TPdfAnnotationSubType::asTextNotes, MakePdfRect(1.5, 2, 3, 4.25));
    std::string bytes = test::SaveToBytes(doc);
    EXPECT_NE(bytes.find("0.5 w\nBT\n57.5 760 Td\n"), std::string::npos);
    EXPECT_NE(bytes.find("/Rect [1.5 2 3 4.25 ]"), std::string::npos);
    EXPECT_TRUE(test::IsReadablePdf(bytes, {"Assuré social :"}));
}

TEST(FormatGeneral, FifteenSignificantDigitsWithoutTrailingZeros)
{
    EXPECT_EQ(FormatGeneral(2.5), "2.5");
    EXPECT_EQ(FormatGeneral(3.0), "3");
    EXPECT_EQ(FormatGeneral(0.1), "0.1");
    EXPECT_EQ(FormatGeneral(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatGeneral(0.00001), "0.00001");
    EXPECT_EQ(FormatGeneral(-0.0000001), "-0.0000001");
    EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
}

TEST(PdfDate, FormatAndParseRoundTrip)
{
    TPdfDateTime d{2024, 1, 15, 14, 30, 5};
    EXPECT_EQ(FormatPdfDate(d), u"D:20240115143005");
    EXPECT_EQ(ParsePdfDate(u"D:20240115143005"), d);
    EXPECT_EQ(ParsePdfDate(u"D:20240229000000"), (TPdfDateTime{2024, 2, 29, 0, 0, 0}));
}

class PdfDateRejects : public ::testing::TestWithParam<const char16_t*>
{
};

TEST_P(PdfDateRejects, MalformedText)
{
    EXPECT_THROW(ParsePdfDate(GetParam()), EPdfConvertError);
}

INSTANTIATE_TEST_SUITE_P(Texts, PdfDateRejects,
                         ::testing::Values(u"D:2024", u"", u"D:202401151430050",
                                           u"D:2024011514300X", u"D:20241315143005",
                                           u"D:20230229143005", u"D:20240115243005",
                                           u"D:20240115146005", u"D:20240100143005",
                                           u"D:-0240115143005"));

struct TAnsiCase {
    char16_t Char;
    unsigned char Byte;
    friend void PrintTo(const TAnsiCase& c, std::ostream* os)
    {
        *os << test::CaseName(std::u16string(1, c.Char));
    }
};

class AnsiTable : public ::testing::TestWithParam<TAnsiCase>
{
};

TEST_P(AnsiTable, ConvertsToWindows1252)
{
    TPdfMemoryStream out;
    WriteAnsi(std::u16string(1, GetParam().Char), out);
    ASSERT_EQ(out.Size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(out.Data()[0]), GetParam().Byte);
}

INSTANTIATE_TEST_SUITE_P(Characters, AnsiTable,
                         ::testing::Values(TAnsiCase{u'A', 'A'}, TAnsiCase{u'é', 0xE9},
                                           TAnsiCase{u'°', 0xB0}, TAnsiCase{u'ÿ', 0xFF},
                                           TAnsiCase{u'\u00A0', 0xA0}, TAnsiCase{u'€', 0x80},
                                           TAnsiCase{u'Œ', 0x8C}, TAnsiCase{u'œ', 0x9C},
                                           TAnsiCase{u'’', 0x92}, TAnsiCase{u'Ÿ', 0x9F},
                                           TAnsiCase{u'\u0100', '?'}, TAnsiCase{u'\u0081', '?'},
                                           TAnsiCase{u'\u4E2D', '?'}, TAnsiCase{0xD83D, '?'}));

TEST(Escaping, EightCharactersTakeABackslash)
{
    EXPECT_EQ(EscapeLiteral(u"()\\\r\n\t\b\f"), u"\\(\\)\\\\\\r\\n\\t\\b\\f");
    EXPECT_EQ(EscapeLiteral(u"é/%<>"), u"é/%<>");
    TPdfMemoryStream out;
    WriteEscapedAnsi(u"a(b)\\x", out);
    EXPECT_EQ(out.Data(), "a\\(b\\)\\\\x");
}

// Long texts are written in runs; a pair split across two runs is still one '?'.
TEST(Escaping, LongTextsWriteAsTheirShortPieces)
{
    std::u16string text;
    for (int i = 0; i < 20; ++i)
        text += u"(Régime) œ\\ €\tA#/ ";
    // Pairs across the 42nd and 64th characters and the 128th.
    for (std::size_t at : {41, 63, 127})
        text.replace(at, 2, u"\U0001F600");
    ASSERT_GT(text.size(), 256u);

    TPdfMemoryStream escaped;
    WriteEscapedAnsi(text, escaped);
    TPdfMemoryStream reference;
    WriteAnsi(EscapeLiteral(text), reference);
    EXPECT_EQ(escaped.Data(), reference.Data());

    TPdfMemoryStream name;
    WriteName(text, name);
    std::string expected = "/";
    for (char16_t c : EncodeName(text))
        expected.push_back(static_cast<char>(c));
    EXPECT_EQ(name.Data(), expected);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '?'), 3);
}

TEST(HexForms, CodeUnitsInUpperCase)
{
    EXPECT_FALSE(HasSurrogates(u"Régime œ €"));
    EXPECT_TRUE(HasSurrogates(u"\U0001F600"));
    EXPECT_EQ(TextToHex(u"A\u00e9\u0100\u20ac"), u"41E910020AC");
    EXPECT_EQ(TextToUtf16Hex(u"A\u20ac"), u"004120AC");
    EXPECT_EQ(UnicodeTextPrefix(), u"FEFF001B656E001B");
    EXPECT_EQ(EncodeName(u"A B/#é"), u"A#20B#2F#23#E9");
}

TEST(Utf8, RoundTripsThroughUtf16)
{
    const std::string text = "Assuré social \xF0\x9F\x98\x80 €";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");
}

} // namespace
} // namespace kelvora::pdf
