#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/fonts/pdf_font.h"
#include "pdf/images/jpeg_image.h"
#include "pdf/images/pdf_image_creator.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_page_tree.h"
#include "pdf/objects/pdf_stream.h"
#include "pdf_check.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kelvora::pdf
{
namespace
{

using test::ContentsOf;
using test::IsReadablePdf;
using test::SaveToBytes;

class CanvasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        doc.NewDoc();
        doc.AddPage();
    }
    TPdfCanvas& Canvas() { return doc.Canvas(); }
    // What an action appends to the fresh page's contents.
    std::string Appended(const std::function<void(TPdfCanvas&)>& AAction)
    {
        std::size_t before = ContentsOf(doc).size();
        AAction(Canvas());
        return ContentsOf(doc).substr(before);
    }
    void AddLogo()
    {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(test::ReadFixture("color_200x100.jpg"));
        doc.AddXObject(u"logo_sante", CreatePdfImage(jpeg, u"Pdf-Jpeg"));
    }
    TPdfDoc doc;
};

TEST_F(CanvasTest, FreshPageBeginsWithTheDefaultFontSelection)
{
    EXPECT_EQ(ContentsOf(doc), "/F0 10 Tf\n");
    EXPECT_EQ(Canvas().Attribute().Font()->Name(), u"Arial");
    EXPECT_FLOAT_EQ(Canvas().Attribute().FontSize(), 10);
    EXPECT_EQ(Canvas().Attribute().HorizontalScaling(), 100);
    EXPECT_EQ(Canvas().PageWidth(), 596);
    EXPECT_EQ(Canvas().PageHeight(), 842);
}

struct TOpCase {
    const char* Label;
    std::function<void(TPdfCanvas&)> Action;
    std::string Expected;
    friend void PrintTo(const TOpCase& c, std::ostream* os) { *os << c.Label; }
};

class CanvasOperators : public CanvasTest, public ::testing::WithParamInterface<TOpCase>
{
};

TEST_P(CanvasOperators, AppendExactly)
{
    EXPECT_EQ(Appended(GetParam().Action), GetParam().Expected);
}

const std::vector<std::uint8_t> kDash32 = {3, 2};
const std::vector<std::uint8_t> kDash02 = {0, 2};

INSTANTIATE_TEST_SUITE_P(
    Table, CanvasOperators,
    ::testing::Values(
        TOpCase{"same_font_again", [](TPdfCanvas& c) { c.SetFont(u"Arial", 10); }, ""},
        TOpCase{"smaller_size", [](TPdfCanvas& c) { c.SetFont(u"Arial", 8); }, "/F0 8 Tf\n"},
        TOpCase{"second_font", [](TPdfCanvas& c) { c.SetFont(u"Arial-Bold", 20); },
                "/F1 20 Tf\n"},
        TOpCase{"char_space_unchanged", [](TPdfCanvas& c) { c.SetCharSpace(0); }, ""},
        TOpCase{"char_space", [](TPdfCanvas& c) { c.SetCharSpace(1.5); }, "1.5 Tc\n"},
        TOpCase{"char_space_low_bound", [](TPdfCanvas& c) { c.SetCharSpace(-30); }, "-30 Tc\n"},
        TOpCase{"char_space_high_bound", [](TPdfCanvas& c) { c.SetCharSpace(300); },
                "300 Tc\n"},
        TOpCase{"word_space", [](TPdfCanvas& c) { c.SetWordSpace(2); }, "2 Tw\n"},
        TOpCase{"scaling", [](TPdfCanvas& c) { c.SetHorizontalScaling(10); }, "10 Tz\n"},
        TOpCase{"scaling_unchanged", [](TPdfCanvas& c) { c.SetHorizontalScaling(100); }, ""},
        TOpCase{"leading", [](TPdfCanvas& c) { c.SetLeading(12.5); }, "12.5 TL\n"},
        TOpCase{"grey_stroke", [](TPdfCanvas& c) { c.SetRGBStrokeColor(0xE3E3E3); },
                "0.89 0.89 0.89 RG\n"},
        TOpCase{"black_stroke", [](TPdfCanvas& c) { c.SetRGBStrokeColor(0); }, "0 0 0 RG\n"},
        TOpCase{"negative_is_black", [](TPdfCanvas& c) { c.SetRGBStrokeColor(-255); },
                "0 0 0 RG\n"},
        TOpCase{"red_fill", [](TPdfCanvas& c) { c.SetRGBFillColor(0x0000FF); }, "1 0 0 rg\n"},
        TOpCase{"top_byte_ignored", [](TPdfCanvas& c) { c.SetRGBFillColor(0x7F00FF00); },
                "0 1 0 rg\n"},
        TOpCase{"line_width", [](TPdfCanvas& c) { c.SetLineWidth(1); }, "1 w\n"},
        TOpCase{"move_to", [](TPdfCanvas& c) { c.MoveTo(17, 760); }, "17 760 m\n"},
        TOpCase{"move_to_half", [](TPdfCanvas& c) { c.MoveTo(18, 759.5); }, "18 759.5 m\n"},
        TOpCase{"line_to", [](TPdfCanvas& c) { c.LineTo(579, 641); }, "579 641 l\n"},
        TOpCase{"text_with_parentheses", [](TPdfCanvas& c) { c.TextOut(1, 2, u"(a)"); },
                "BT\n1 2 Td\n(\\(a\\)) Tj\nET\n"},
        TOpCase{"empty_text", [](TPdfCanvas& c) { c.TextOut(1, 2, u""); },
                "BT\n1 2 Td\n() Tj\nET\n"},
        TOpCase{"accented_text",
                [](TPdfCanvas& c) { c.TextOut(57.5, 760, u"Assuré social : "); },
                "BT\n57.5 760 Td\n(Assur\xE9 social : ) Tj\nET\n"},
        TOpCase{"text_outside_first_plane",
                [](TPdfCanvas& c) { c.ShowText(u"a\U0001F600\U0001D49C(Ł)"); },
                "(a??\\(?\\)) Tj\n"},
        TOpCase{"xobject_name_encoded", [](TPdfCanvas& c) { c.ExecuteXObject(u"a b"); },
                "/a#20b Do\n"},
        TOpCase{"dash", [](TPdfCanvas& c) { c.SetDash(kDash32, 0); }, "[3 2 ] 0 d\n"},
        TOpCase{"dash_first_zero", [](TPdfCanvas& c) { c.SetDash(kDash02, 0); }, "[] 0 d\n"},
        TOpCase{"dash_empty", [](TPdfCanvas& c) { c.SetDash({}, 4); }, "[] 4 d\n"},
        TOpCase{"save_restore",
                [](TPdfCanvas& c) {
                    c.GSave();
                    c.GRestore();
                },
                "q\nQ\n"},
        TOpCase{"path_ends",
                [](TPdfCanvas& c) {
                    c.Closepath();
                    c.NewPath();
                    c.Stroke();
                    c.ClosePathStroke();
                    c.Fill();
                    c.Eofill();
                    c.FillStroke();
                    c.ClosepathFillStroke();
                    c.EofillStroke();
                    c.ClosepathEofillStroke();
                    c.Clip();
                    c.Eoclip();
                },
                "h\nn\nS\ns\nf\nf*\nB\nb\nB*\nb*\nW\nW*\n"},
        TOpCase{"concat", [](TPdfCanvas& c) { c.Concat(1, 0, 0, 1, 12.345f, -1.234f); },
                "1 0 0 1 12.35 -1.23 cm\n"},
        TOpCase{"graphics_state",
                [](TPdfCanvas& c) {
                    c.SetFlat(3);
                    c.SetLineCap(TLineCapStyle::lcRound_End);
                    c.SetLineJoin(TLineJoinStyle::ljBevelJoin);
                    c.SetMiterLimit(10);
                },
                "3 i\n1 J\n2 j\n10 M\n"},
        TOpCase{"curves",
                [](TPdfCanvas& c) {
                    c.CurveToC(1, 2, 3, 4, 5, 6);
                    c.CurveToV(1, 2, 3, 4);
                    c.CurveToY(1, 2, 3, 4);
                    c.Rectangle(10, 20, 30.5, 40);
                },
                "1 2 3 4 5 6 c\n1 2 3 4 v\n1 2 3 4 y\n10 20 30.5 40 re\n"},
        TOpCase{"text_operators",
                [](TPdfCanvas& c) {
                    c.BeginText();
                    c.SetTextRenderingMode(TTextRenderingMode::trInvisible);
                    c.SetTextRise(5);
                    c.SetTextMatrix(1, 0, 0, 1, 10, 20);
                    c.MoveTextPoint(0, -12);
                    c.MoveToNextLine();
                    c.ShowTextNextLine(u"x");
                    c.EndText();
                },
                "BT\n3 Tr\n5 Ts\n1 0 0 1 10 20 Tm\n0 -12 Td\nT*\n(x) '\nET\n"},
        TOpCase{"font_operator", [](TPdfCanvas& c) { c.SetFontAndSize(u"/F9", 7.25); },
                "/F9 7.25 Tf\n"},
        TOpCase{"xobject_operator", [](TPdfCanvas& c) { c.ExecuteXObject(u"Im1"); },
                "/Im1 Do\n"},
        TOpCase{"ellipse", [](TPdfCanvas& c) { c.Ellipse(0, 0, 40, 20); },
                "0 10 m\n0 4.5 9 0 20 0 c\n31 0 40 4.5 40 10 c\n40 15.5 31 20 20 20 c\n"
                "9 20 0 15.5 0 10 c\n"}),
    [](const auto& info) { return std::string(info.param.Label); });

struct TBadValueCase {
    const char* Label;
    std::function<void(TPdfCanvas&)> Action;
    std::string Message;
    friend void PrintTo(const TBadValueCase& c, std::ostream* os) { *os << c.Label; }
};

class CanvasBadValues : public CanvasTest, public ::testing::WithParamInterface<TBadValueCase>
{
};

TEST_P(CanvasBadValues, FailAndLeaveTheStateAndStreamAlone)
{
    std::string before = ContentsOf(doc);
    try {
        GetParam().Action(Canvas());
        FAIL() << "accepted";
    } catch (const EPdfInvalidValue& e) {
        EXPECT_EQ(e.what(), GetParam().Message);
    }
    EXPECT_EQ(ContentsOf(doc), before);
    const TPdfCanvasAttribute& a = Canvas().Attribute();
    EXPECT_FLOAT_EQ(a.CharSpace(), 0);
    EXPECT_FLOAT_EQ(a.WordSpace(), 0);
    EXPECT_FLOAT_EQ(a.Leading(), 0);
    EXPECT_EQ(a.HorizontalScaling(), 100);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CanvasBadValues,
    ::testing::Values(
        TBadValueCase{"char_space_high", [](TPdfCanvas& c) { c.SetCharSpace(300.5); },
                      "SetCharSpace --invalid char space"},
        TBadValueCase{"char_space_low", [](TPdfCanvas& c) { c.SetCharSpace(-30.5); },
                      "SetCharSpace --invalid char space"},
        TBadValueCase{"word_space", [](TPdfCanvas& c) { c.SetWordSpace(-1); },
                      "SetWordSpace --invalid word space"},
        TBadValueCase{"scaling_low", [](TPdfCanvas& c) { c.SetHorizontalScaling(9); },
                      "SetHorizontalScaling --invalid font size"},
        TBadValueCase{"scaling_high", [](TPdfCanvas& c) { c.SetHorizontalScaling(301); },
                      "SetHorizontalScaling --invalid font size"},
        TBadValueCase{"leading_low", [](TPdfCanvas& c) { c.SetLeading(-1); },
                      "SetLeading --invalid font size"},
        TBadValueCase{"leading_high", [](TPdfCanvas& c) { c.SetLeading(301); },
                      "SetLeading --invalid font size"},
        TBadValueCase{"unknown_image", [](TPdfCanvas& c) { c.DrawXObject(0, 0, 1, 1, u"nope"); },
                      "DrawXObject --XObject not found: nope"},
        TBadValueCase{"unknown_image_ex",
                      [](TPdfCanvas& c) { c.DrawXObjectEx(0, 0, 1, 1, 0, 0, 1, 1, u"nope"); },
                      "DrawXObjectEx --XObject not found: nope"}),
    [](const auto& info) { return std::string(info.param.Label); });

TEST_F(CanvasTest, RejectedFontSizeLeavesTheSelectionWritten)
{
    try {
        Canvas().SetFont(u"Times-Roman", 301);
        FAIL();
    } catch (const EPdfInvalidValue& e) {
        EXPECT_STREQ(e.what(), "SetCharSpace --invalid font size");
    }
    EXPECT_EQ(ContentsOf(doc), "/F0 10 Tf\n/F1 301 Tf\n");
    EXPECT_EQ(Canvas().Attribute().Font()->Name(), u"Times-Roman");
    EXPECT_FLOAT_EQ(Canvas().Attribute().FontSize(), 10);
}

TEST_F(CanvasTest, FontsEnterThePageResourcesOnce)
{
    Canvas().SetFont(u"Arial", 8);
    Canvas().SetFont(u"Arial-Bold", 20);
    Canvas().SetFont(u"Arial", 10);
    TPdfDictionary* fonts = PageResource(Canvas().Page(), u"Font");
    ASSERT_EQ(fonts->ItemCount(), 2);
    EXPECT_EQ(fonts->GetItems(0).Key(), u"F0");
    EXPECT_EQ(fonts->GetItems(1).Key(), u"F1");
}

TEST_F(CanvasTest, ImageDrawnTwiceHasOneResourceEntry)
{
    AddLogo();
    std::string written = Appended([](TPdfCanvas& c) {
        c.DrawXObject(15, 777, 100, 50, u"logo_sante");
        c.DrawXObject(15, 700, 100, 50, u"logo_sante");
    });
    EXPECT_EQ(written, "q\n100 0 0 50 15 777 cm\n/logo_sante Do\nQ\n"
                       "q\n100 0 0 50 15 700 cm\n/logo_sante Do\nQ\n");
    EXPECT_EQ(PageResource(Canvas().Page(), u"XObject")->ItemCount(), 1);
    EXPECT_EQ(Appended([](TPdfCanvas& c) {
                  c.DrawXObjectEx(0, 0, 200, 100, 10, 10, 50, 50, u"logo_sante");
              }),
              "q\n10 10 50 50 re\nW\nn\n200 0 0 100 0 0 cm\n/logo_sante Do\nQ\n");
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc)));
}

TEST_F(CanvasTest, TextWidthFollowsTheFontAndSpacing)
{
    EXPECT_FLOAT_EQ(Canvas().TextWidth(u"AB"), 13.34f);
    EXPECT_FLOAT_EQ(Canvas().TextWidth(u""), 0);
    Canvas().SetCharSpace(1);
    EXPECT_FLOAT_EQ(Canvas().TextWidth(u""), -1);
    EXPECT_FLOAT_EQ(Canvas().TextWidth(u"AB"), 14.34f);
    Canvas().SetCharSpace(0);
    Canvas().SetWordSpace(3);
    // The word space is not added after a final space.
    EXPECT_FLOAT_EQ(Canvas().TextWidth(u"A A "), 6.67f * 2 + 2.78f * 2 + 3);
    Canvas().SetWordSpace(0);
    Canvas().SetHorizontalScaling(50);
    EXPECT_FLOAT_EQ(Canvas().TextWidth(u"AB"), 6.67f);
    Canvas().SetHorizontalScaling(100);
    // Control characters measure nothing and take no character spacing.
    Canvas().SetCharSpace(2);
    EXPECT_FLOAT_EQ(Canvas().TextWidth(u"\tA"), 6.67f);
    Canvas().SetCharSpace(0);
    EXPECT_FLOAT_EQ(Canvas().TextWidth(u"\u20ac"), 5.56f) << "the euro measures as its byte";
    EXPECT_EQ(Canvas().MeasureText(u"AAAA", 20), 2);
    EXPECT_EQ(Canvas().MeasureText(u"AAAA", 26.7f), 4);
    EXPECT_EQ(Canvas().MeasureText(u"", 5), 0);
}

struct TWrittenWidthCase {
    const char16_t* Text;
    const char16_t* Written; // what reaches the file, one character per byte
    friend void PrintTo(const TWrittenWidthCase& c, std::ostream* os)
    {
        *os << test::CaseName(c.Text);
    }
};

class WidthOfWrittenText : public CanvasTest,
                           public ::testing::WithParamInterface<TWrittenWidthCase>
{
};

// A text measures exactly as the bytes it is written as: one '?' per character the code
// page lacks, whatever its plane, and a surrogate pair takes one character spacing.
TEST_P(WidthOfWrittenText, MatchesTheBytesShown)
{
    const TWrittenWidthCase& c = GetParam();
    Canvas().SetCharSpace(1);
    EXPECT_EQ(Appended([&](TPdfCanvas& k) { k.ShowText(c.Text); }),
              Appended([&](TPdfCanvas& k) { k.ShowText(c.Written); }));
    EXPECT_FLOAT_EQ(Canvas().TextWidth(c.Text), Canvas().TextWidth(c.Written));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WidthOfWrittenText,
    ::testing::Values(TWrittenWidthCase{u"a\U0001F600b", u"a?b"},
                      TWrittenWidthCase{u"\U0001D49C\U0001D49C", u"??"},
                      TWrittenWidthCase{u"\u0141\u0081", u"??"},
                      TWrittenWidthCase{u"\xD83Dx", u"?x"}, TWrittenWidthCase{u"\xDE00", u"?"},
                      TWrittenWidthCase{u"\u20ac\u0153\U00010000", u"\u20ac\u0153?"}));

// One character outside the code page used to turn the whole line into hex digits that the
// font reads byte by byte.
TEST_F(CanvasTest, CharactersOutsideTheCodePageExtractAsOneQuestionMarkEach)
{
    Canvas().TextOut(20, 700, u"BÉRANGER Zoé \U0001F600 Łukasz \U0001D49C fin");
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc), {"BÉRANGER Zoé ? ?ukasz ? fin"}));
}

TEST_F(CanvasTest, MeasureTextNeverCutsASurrogatePair)
{
    const float one = Canvas().TextWidth(u"?");
    EXPECT_EQ(Canvas().MeasureText(u"\U0001F600\U0001F600", one * 1.5f), 2);
    EXPECT_EQ(Canvas().MeasureText(u"\U0001F600\U0001F600", one * 2), 4);
}

struct TWordCase {
    const char16_t* Text;
    std::vector<std::u16string> Words;
    friend void PrintTo(const TWordCase& c, std::ostream* os) { *os << test::CaseName(c.Text); }
};

class NextWord : public ::testing::TestWithParam<TWordCase>
{
};

TEST_P(NextWord, KeepsTrailingSpaceOrLineBreak)
{
    std::u16string text = GetParam().Text;
    std::size_t index = 0;
    std::vector<std::u16string> words;
    for (std::u16string w; !(w = TPdfCanvas::GetNextWord(text, index)).empty();)
        words.push_back(w);
    EXPECT_EQ(words, GetParam().Words);
    EXPECT_EQ(TPdfCanvas::GetNextWord(text, index), u"");
}

INSTANTIATE_TEST_SUITE_P(Texts, NextWord,
                         ::testing::Values(TWordCase{u"", {}}, TWordCase{u"a", {u"a"}},
                                           TWordCase{u"ab cd", {u"ab ", u"cd"}},
                                           TWordCase{u"ab\r\ncd ", {u"ab\r\n", u"cd "}},
                                           TWordCase{u"a\nb", {u"a\nb"}},
                                           TWordCase{u"  x", {u" ", u" ", u"x"}}));

TEST_F(CanvasTest, TextRectAlignsInsideTheBox)
{
    const TPdfRect box = MakePdfRect(100, 700, 200, 680);
    EXPECT_EQ(Appended([&](TPdfCanvas& c) {
                  c.TextRect(box, u"AB", TPdfAlignment::paLeftJustify, false);
              }),
              "BT\n100 691.5 Td\n(AB) Tj\nET\n");
    // 100 - round(13.34) = 87 and round((100 - 13.34) / 2) = 43.
    EXPECT_EQ(Appended([&](TPdfCanvas& c) {
                  c.TextRect(box, u"AB", TPdfAlignment::paRightJustify, false);
              }),
              "BT\n187 691.5 Td\n(AB) Tj\nET\n");
    EXPECT_EQ(
        Appended([&](TPdfCanvas& c) { c.TextRect(box, u"AB", TPdfAlignment::paCenter, true); }),
        "q\n100 700 m\n100 680 l\n200 680 l\n200 700 l\nh\nW\nn\n"
        "BT\n143 691.5 Td\n(AB) Tj\nET\nQ\n");
}

TEST_F(CanvasTest, MultilineTextRectWrapsAndStopsAtTheBottom)
{
    Canvas().SetLeading(12);
    // "AAA " is 22.79 points wide: two words fit in 50 points, the third wraps.
    std::string written = Appended([](TPdfCanvas& c) {
        c.MultilineTextRect(MakePdfRect(10, 100, 60, 0), u"AAA AAA AAA\r\nB", true);
    });
    EXPECT_EQ(written, "BT\n10 91.5 Td\n(AAA AAA ) Tj\nT*\n(AAA) Tj\nT*\n(B) Tj\nET\n");
    written = Appended([](TPdfCanvas& c) {
        c.MultilineTextRect(MakePdfRect(10, 100, 60, 80), u"one\r\ntwo\r\nthree", false);
    });
    EXPECT_EQ(written, "BT\n10 91.5 Td\n(one) Tj\nT*\nET\n");
    written = Appended([](TPdfCanvas& c) {
        c.MultilineTextRect(MakePdfRect(10, 100, 30, 0), u"AAAAAAAA", false);
    });
    EXPECT_EQ(written, "BT\n10 91.5 Td\n(AA) Tj\nET\n") << "cut to the width";
}

TEST_F(CanvasTest, PageSizeReadsAndWritesTheMediaBox)
{
    Canvas().SetPageWidth(612);
    Canvas().SetPageHeight(792);
    EXPECT_EQ(Canvas().PageWidth(), 612);
    EXPECT_EQ(Canvas().PageHeight(), 792);
    Canvas().Page().RemoveItem(u"MediaBox");
    EXPECT_EQ(Canvas().PageWidth(), 596);
    try {
        Canvas().SetPageWidth(100);
        FAIL();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Can not chenge width of this page..");
    }
}

TEST(CanvasWithoutPage, FailsOnEverythingThatNeedsThePage)
{
    TPdfDoc doc;
    TPdfCanvas canvas(&doc);
    EXPECT_THROW(canvas.Page(), EPdfInvalidOperation);
    EXPECT_THROW((void)canvas.PageWidth(), EPdfInvalidOperation);
    canvas.MoveTo(1, 1);
    canvas.SetCharSpace(2);
    EXPECT_FLOAT_EQ(canvas.Attribute().CharSpace(), 2) << "state changes, nothing is written";
    TPdfCanvas orphan(nullptr);
    try {
        orphan.Doc();
        FAIL();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "ERROR: GetDoc documant is nil.");
    }
}

TEST_F(CanvasTest, ReturningToAPageRestoresItsTextState)
{
    TPdfDictionary* first = &Canvas().Page();
    Canvas().SetFont(u"Times-Bold", 14);
    Canvas().SetLeading(16);
    Canvas().SetHorizontalScaling(80);
    doc.AddPage();
    EXPECT_EQ(Canvas().Attribute().Font()->Name(), u"Arial");
    EXPECT_EQ(ContentsOf(doc), "/F0 10 Tf\n");
    std::string second_contents = ContentsOf(doc);
    Canvas().SetPage(first);
    EXPECT_EQ(Canvas().Attribute().Font()->Name(), u"Times-Bold");
    EXPECT_FLOAT_EQ(Canvas().Attribute().FontSize(), 14);
    EXPECT_FLOAT_EQ(Canvas().Attribute().Leading(), 16);
    EXPECT_EQ(Canvas().Attribute().HorizontalScaling(), 80);
    EXPECT_EQ(ContentsOf(doc), "/F0 10 Tf\n/F1 14 Tf\n16 TL\n80 Tz\n");
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc)));
}

TEST_F(CanvasTest, PageWithEveryOperationIsAValidFile)
{
    AddLogo();
    TPdfCanvas& c = Canvas();
    c.SetFont(u"Times-Roman", 12);
    c.SetCharSpace(0.5);
    c.SetWordSpace(1);
    c.SetHorizontalScaling(90);
    c.SetLeading(14);
    c.TextOut(40, 800, u"Opérations : « tout » à 100 € — ça marche");
    c.SetCharSpace(0);
    c.SetWordSpace(0);
    c.SetHorizontalScaling(100);
    c.GSave();
    c.Concat(1, 0, 0, 1, 5, 5);
    c.SetFlat(1);
    c.SetLineCap(TLineCapStyle::lcProjectingSquareEnd);
    const std::uint8_t dash[] = {4, 2};
    c.SetDash(dash, 1);
    c.SetLineJoin(TLineJoinStyle::ljRoundJoin);
    c.SetLineWidth(2.5);
    c.SetMiterLimit(4);
    c.SetRGBStrokeColor(0xFF0000);
    c.SetRGBFillColor(0x00FFFF);
    c.MoveTo(40, 700);
    c.LineTo(200, 700);
    c.CurveToC(220, 710, 230, 690, 250, 700);
    c.CurveToV(260, 720, 270, 700);
    c.CurveToY(280, 690, 290, 700);
    c.Stroke();
    c.Rectangle(40, 600, 50, 50);
    c.Fill();
    c.Rectangle(100, 600, 50, 50);
    c.Eofill();
    c.Rectangle(160, 600, 50, 50);
    c.FillStroke();
    c.Rectangle(220, 600, 50, 50);
    c.ClosepathFillStroke();
    c.Rectangle(280, 600, 50, 50);
    c.EofillStroke();
    c.Rectangle(340, 600, 50, 50);
    c.ClosepathEofillStroke();
    c.MoveTo(400, 600);
    c.LineTo(450, 650);
    c.Closepath();
    c.ClosePathStroke();
    c.Ellipse(460, 600, 80, 40);
    c.Stroke();
    c.GRestore();
    c.GSave();
    c.Rectangle(40, 500, 100, 50);
    c.Clip();
    c.NewPath();
    c.Rectangle(60, 500, 100, 50);
    c.Eoclip();
    c.NewPath();
    c.GRestore();
    c.SetFont(u"FixedWidth", 9);
    c.BeginText();
    c.SetTextRenderingMode(TTextRenderingMode::trFill);
    c.SetTextRise(0);
    c.SetTextMatrix(1, 0, 0, 1, 40, 450);
    c.ShowText(u"Ligne une");
    c.MoveTextPoint(0, -14);
    c.ShowText(u"Ligne deux");
    c.MoveToNextLine();
    c.ShowTextNextLine(u"Ligne quatre");
    c.EndText();
    c.SetFontAndSize(u"/F0", 10);
    c.TextRect(MakePdfRect(40, 380, 300, 360), u"Texte centré", TPdfAlignment::paCenter, true);
    c.MultilineTextRect(MakePdfRect(40, 340, 200, 200),
                        u"Plusieurs mots qui passent à la ligne\r\ntout seuls", true);
    c.DrawXObject(300, 450, 100, 50, u"logo_sante");
    c.DrawXObjectEx(300, 380, 100, 50, 300, 380, 50, 25, u"logo_sante");
    c.GSave();
    c.ExecuteXObject(u"logo_sante");
    c.GRestore();
    EXPECT_TRUE(
        IsReadablePdf(SaveToBytes(doc), {"Opérations : « tout » à 100 € — ça marche", "Ligne une",
                                         "Ligne quatre", "Texte centré", "Plusieurs"}));
}

// The drawing sequence of the certificate's first lines, through the public API.
TEST_F(CanvasTest, CertificateHeadWritesTheExpectedOperators)
{
    AddLogo();
    TPdfCanvas& c = Canvas();
    const float begin = 17;
    const float br = 17;
    const float h = 50;
    const float size1 = static_cast<float>(c.PageHeight()) - h - 15;
    c.DrawXObject(15, size1, 100, h, u"logo_sante");
    float more = size1 - br;
    c.SetFont(u"Arial", 10);
    c.TextOut(begin + 40.5f, more, u"Assuré social : ");
    more -= br;
    c.TextOut(begin, more, u"N° de Sécurité Sociale : ");
    more -= 2 * br;
    c.SetFont(u"Arial-Bold", 20);
    c.TextOut(begin, more, u"Attestation de droits Régime Obligatoire");
    c.SetLineWidth(1);
    c.MoveTo(begin, 641);
    c.LineTo(begin + 562, 641);
    c.Stroke();
    c.SetRGBStrokeColor(0xE3E3E3);
    c.MoveTo(begin + 1, 640);
    c.LineTo(begin + 561, 640);
    c.Stroke();
    c.SetFont(u"Arial-Italic", 8);
    c.TextOut(30, 532, u"Droits ouverts jusqu'au 31/12/2026");
    EXPECT_EQ(ContentsOf(doc), "/F0 10 Tf\n"
                               "q\n100 0 0 50 15 777 cm\n/logo_sante Do\nQ\n"
                               "BT\n57.5 760 Td\n(Assur\xE9 social : ) Tj\nET\n"
                               "BT\n17 743 Td\n(N\xB0 de S\xE9\x63urit\xE9 Sociale : ) Tj\nET\n"
                               "/F1 20 Tf\nBT\n17 709 Td\n"
                               "(Attestation de droits R\xE9gime Obligatoire) Tj\nET\n"
                               "1 w\n17 641 m\n579 641 l\nS\n"
                               "0.89 0.89 0.89 RG\n18 640 m\n578 640 l\nS\n"
                               "/F2 8 Tf\nBT\n30 532 Td\n(Droits ouverts jusqu'au 31/12/2026) Tj\n"
                               "ET\n");
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc),
                              {"Assuré social :", "N° de Sécurité Sociale :",
                               "Attestation de droits Régime Obligatoire", "31/12/2026"}));
}

} // namespace
} // namespace kelvora::pdf
