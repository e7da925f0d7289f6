#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/fonts/pdf_font.h"
#include "pdf/images/jpeg_image.h"
#include "pdf/images/pdf_image_creator.h"
#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_number.h"
#include "pdf/objects/pdf_stream.h"
#include "pdf/objects/pdf_text.h"
#include "pdf_check.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace kelvora::pdf
{
namespace
{

using test::IsReadablePdf;
using test::MaskDates;
using test::PdfInfo;
using test::SaveToBytes;

std::string Body(TPdfObject& AObject)
{
    TPdfMemoryStream out;
    AObject.WriteToStream(out);
    return std::string(out.Data());
}

std::unique_ptr<TPdfImage> ColorJpeg()
{
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(test::ReadFixture("color_200x100.jpg"));
    return CreatePdfImage(jpeg, u"Pdf-Jpeg");
}

template <typename E> std::string MessageOf(const std::function<void()>& AAction)
{
    try {
        AAction();
    } catch (const E& e) {
        return e.what();
    }
    return "<no error>";
}

TEST(SmallestDocument, MatchesTheReferenceFileByteForByte)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    std::string bytes = SaveToBytes(doc);
    ASSERT_EQ(bytes.size(), 893u);
    EXPECT_EQ(MaskDates(bytes), test::ReadFixture("smallest_document.pdf"));
    const int offsets[] = {11, 66, 188, 253, 442, 521};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(doc.Xref()->GetItem(n).ByteOffset(), offsets[n - 1]);
    EXPECT_NE(bytes.find("startxref\r\n667\r\n%%EOF\r\n"), std::string::npos);
    EXPECT_TRUE(IsReadablePdf(bytes));
}

TEST(SmallestDocument, CrossReferenceRowsAreTwentyBytes)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    std::string bytes = SaveToBytes(doc);
    std::size_t xref = bytes.find("xref\r\n0 7\r\n");
    ASSERT_EQ(xref, 667u);
    std::size_t rows = xref + 11;
    std::size_t trailer = bytes.find("trailer\r\n");
    ASSERT_EQ(trailer - rows, 7u * 20);
    EXPECT_EQ(bytes.substr(rows, 20), "0000000000 65535 f\r\n");
    EXPECT_EQ(bytes.substr(rows + 20, 20), "0000000011 00000 n\r\n");
    EXPECT_EQ(bytes.substr(trailer), "trailer\r\n<<\r\n/Size 7\r\n/Root 1 0 R\r\n/Info 2 0 R\r\n>>"
                                     "\r\nstartxref\r\n667\r\n%%EOF\r\n");
}

TEST(Save, SavingTwiceRewritesTheStreamFromItsStart)
{
    int second = 0;
    TPdfDoc doc;
    doc.SetClock([&second] { return TPdfDateTime{2026, 12, 9, 14, 5, second++}; });
    doc.NewDoc();
    doc.AddPage();
    std::stringstream out;
    doc.SaveToStream(out);
    doc.SaveToStream(out);
    std::string bytes = out.str();
    EXPECT_EQ(bytes.size(), 893u);
    EXPECT_NE(bytes.find("/CreationDate (D:20261209140500)"), std::string::npos);
    EXPECT_NE(bytes.find("/ModDate (D:20261209140502)"), std::string::npos);
    EXPECT_EQ(doc.Info().ModDate(), (TPdfDateTime{2026, 12, 9, 14, 5, 2}));
    EXPECT_TRUE(IsReadablePdf(bytes));
}

TEST(Save, WritesIntoAFile)
{
    auto path = std::filesystem::temp_directory_path() / "kelvora-save-test.pdf";
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.Canvas().TextOut(50, 700, u"Fichier écrit");
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        doc.SaveToStream(file);
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    EXPECT_EQ(MaskDates(bytes), MaskDates(SaveToBytes(doc)));
    EXPECT_TRUE(IsReadablePdf(bytes, {"Fichier écrit"}));
}

class WriteFailure : public ::testing::TestWithParam<std::size_t>
{
};

TEST_P(WriteFailure, IsReportedAsAnError)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    test::TFailingStreamBuf buf(GetParam());
    std::ostream out(&buf);
    EXPECT_EQ(MessageOf<EPdfWriteError>([&] { doc.SaveToStream(out); }),
              "SaveToStream --failed to write the document.");
    EXPECT_EQ(buf.Written().size(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Limits, WriteFailure, ::testing::Values(0u, 11u, 500u, 892u));

TEST(Save, AStreamThatAcceptsEverythingGetsTheWholeFile)
{
    TPdfDoc doc;
    doc.SetClock([] { return TPdfDateTime{2024, 1, 15, 14, 30, 5}; });
    doc.NewDoc();
    doc.AddPage();
    test::TFailingStreamBuf buf(1 << 20);
    std::ostream out(&buf);
    doc.SaveToStream(out);
    EXPECT_EQ(buf.Written(), SaveToBytes(doc));
}

TEST(Save, AStreamThatFailedToOpenIsAnError)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    std::ofstream file("/nonexistent-folder/attestation.pdf", std::ios::binary);
    EXPECT_THROW(doc.SaveToStream(file), EPdfWriteError);
}

struct TStateCase {
    const char* Label;
    std::function<void(TPdfDoc&)> Prepare;
    std::function<void(TPdfDoc&)> Act;
    std::string Message;
    friend void PrintTo(const TStateCase& c, std::ostream* os) { *os << c.Label; }
};

class StateErrors : public ::testing::TestWithParam<TStateCase>
{
};

TEST_P(StateErrors, NameTheOperationAndTheReason)
{
    TPdfDoc doc;
    GetParam().Prepare(doc);
    EXPECT_EQ(MessageOf<EPdfInvalidOperation>([&] { GetParam().Act(doc); }), GetParam().Message);
}

const auto kNothing = [](TPdfDoc&) {};
const auto kNewDoc = [](TPdfDoc& d) { d.NewDoc(); };
const auto kFreed = [](TPdfDoc& d) {
    d.NewDoc();
    d.AddPage();
    d.FreeDoc();
};

INSTANTIATE_TEST_SUITE_P(
    Operations, StateErrors,
    ::testing::Values(TStateCase{"save_before_newdoc", kNothing, [](TPdfDoc& d) { SaveToBytes(d); },
                                 "SaveToStream --there is no document to save."},
                      TStateCase{"save_without_page", kNewDoc, [](TPdfDoc& d) { SaveToBytes(d); },
                                 "GetPage --the Page is nil"},
                      TStateCase{"canvas", kNothing, [](TPdfDoc& d) { d.Canvas(); },
                                 "GetCanvas --Document is null"},
                      TStateCase{"info", kNothing, [](TPdfDoc& d) { d.Info(); },
                                 "GetInfo --this method can not use this state.."},
                      TStateCase{"root", kNothing, [](TPdfDoc& d) { d.Root(); },
                                 "GetRoot --this method can not use this state.."},
                      TStateCase{"outline_root", kNothing, [](TPdfDoc& d) { d.OutlineRoot(); },
                                 "GetOutlineRoot --document is null.."},
                      TStateCase{"outline_root_unused", kNewDoc,
                                 [](TPdfDoc& d) { d.OutlineRoot(); },
                                 "GetOutlineRoot --not use outline mode.."},
                      TStateCase{"font", kNothing, [](TPdfDoc& d) { d.GetFont(u"Arial"); },
                                 "GetFont --document is null."},
                      TStateCase{"add_page", kNothing, [](TPdfDoc& d) { d.AddPage(); },
                                 "AddPage --current pages null."},
                      TStateCase{"add_page_after_free", kFreed, [](TPdfDoc& d) { d.AddPage(); },
                                 "AddPage --current pages null."},
                      TStateCase{"canvas_after_free", kFreed, [](TPdfDoc& d) { d.Canvas(); },
                                 "GetCanvas --Document is null"},
                      TStateCase{"annotation", kNothing,
                                 [](TPdfDoc& d) {
                                     d.CreateAnnotation(TPdfAnnotationSubType::asLink,
                                                        MakePdfRect(0, 0, 1, 1));
                                 },
                                 "AddAnotation --document is null."},
                      TStateCase{"destination", kNothing, [](TPdfDoc& d) { d.CreateDestination(); },
                                 "TPdfDestination --cannot destination object."}),
    [](const auto& info) { return std::string(info.param.Label); });

TEST(Pages, SecondPageTakesTheNextNumbersAndReusesTheFont)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.AddPage();
    TPdfDictionary& pages = doc.Root().Pages();
    EXPECT_EQ(Body(*pages.ValueByName(u"Kids")), "[4 0 R 7 0 R ]");
    EXPECT_EQ(pages.PdfNumberByName(u"Count")->Value(), 2);
    EXPECT_EQ(doc.Canvas().Contents()->ObjectNumber(), 8);
    EXPECT_EQ(doc.Xref()->ItemCount(), 9) << "no second font object";
    EXPECT_EQ(test::ContentsOf(doc), "/F0 10 Tf\n");
    doc.Canvas().TextOut(20, 800, u"Page deux");
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc), {"Page deux"}));
}

TEST(Pages, NewDocDiscardsTheOpenDocumentAndNumbersFromOne)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.GetFont(u"Times-Roman");
    doc.NewDoc();
    EXPECT_EQ(doc.Xref()->ItemCount(), 4);
    EXPECT_EQ(doc.Root().Data()->ObjectNumber(), 1);
    EXPECT_THROW(doc.Canvas().Page(), EPdfInvalidOperation);
    doc.AddPage();
    EXPECT_EQ(doc.GetFont(u"Arial")->Data()->ObjectNumber(), 6);
    EXPECT_EQ(MaskDates(SaveToBytes(doc)), test::ReadFixture("smallest_document.pdf"));
}

TEST(Fonts, SameNameGivesTheSameFontAndANewNameTheNextResource)
{
    TPdfDoc doc;
    doc.NewDoc();
    TPdfFont* a = doc.GetFont(u"Arial");
    int count = doc.Xref()->ItemCount();
    EXPECT_EQ(doc.GetFont(u"Arial"), a);
    EXPECT_EQ(doc.Xref()->ItemCount(), count);
    TPdfFont* b = doc.GetFont(u"Arial-Bold");
    EXPECT_EQ(b->Data()->PdfNameByName(u"Name")->Value(), u"F1");
    EXPECT_EQ(MessageOf<EPdfClassNotFound>([&] { doc.GetFont(u"Comic"); }),
              "Classe Comic non trouvée");
    EXPECT_EQ(doc.Xref()->ItemCount(), count + 1);
}

TEST(XObjects, RegisteredImageIsNumberedNamedLastAndFindable)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.AddXObject(u"logo_sante", ColorJpeg());
    TPdfStream* image = doc.GetXObject(u"logo_sante");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->ObjectNumber(), 7);
    const TPdfDictionary& attrs = image->Attributes();
    EXPECT_EQ(attrs.GetItems(attrs.ItemCount() - 1).Key(), u"Name");
    EXPECT_EQ(doc.GetXObject(u"other"), nullptr);
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc)));
}

TEST(XObjects, SecondImageUnderTheSameNameFailsAndTheFirstStays)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.AddXObject(u"logo_sante", ColorJpeg());
    TPdfStream* first = doc.GetXObject(u"logo_sante");
    EXPECT_EQ(MessageOf<EPdfError>([&] { doc.AddXObject(u"logo_sante", ColorJpeg()); }),
              "AddImage --the image named logo_sante is already exists..");
    EXPECT_EQ(doc.GetXObject(u"logo_sante"), first);
    doc.Canvas().DrawXObject(15, 777, 100, 50, u"logo_sante");
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc)));
}

TEST(XObjects, OnlyImageXObjectsAreAccepted)
{
    TPdfDoc doc;
    doc.NewDoc();
    auto not_image = std::make_unique<TPdfXObject>(nullptr);
    not_image->Attributes().AddNameItem(u"Type", u"XObject");
    not_image->Attributes().AddNameItem(u"Subtype", u"Form");
    EXPECT_EQ(MessageOf<EPdfError>([&] { doc.AddXObject(u"f", std::move(not_image)); }),
              "AddImage --the image is not valid TPdfImage..");
    EXPECT_EQ(MessageOf<EPdfError>([&] { doc.AddXObject(u"f", nullptr); }),
              "AddImage --the image is not valid TPdfImage..");

    auto plain = TPdfStream::CreateStream(nullptr);
    EXPECT_EQ(MessageOf<EPdfInvalidValue>([&] { doc.RegisterXObject(std::move(plain), u"x"); }),
              "RegisterXObject --not XObject");
    EXPECT_EQ(MessageOf<EPdfInvalidValue>(
                  [&] { doc.RegisterXObject(static_cast<TPdfStream*>(nullptr), u"x"); }),
              "RegisterXObject --AObject is null");
}

TEST(XObjects, RegisterRefusesADuplicateNameAndIgnoresARegisteredObject)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddXObject(u"a", ColorJpeg());
    auto form = std::make_unique<TPdfXObject>(doc.Xref());
    form->Attributes().AddNameItem(u"Type", u"XObject");
    EXPECT_EQ(MessageOf<EPdfInvalidValue>([&] { doc.RegisterXObject(std::move(form), u"a"); }),
              "RegisterXObject --dupulicate name: a");
    TPdfStream* a = doc.GetXObject(u"a");
    doc.RegisterXObject(a, u"b");
    EXPECT_EQ(doc.GetXObject(u"b"), nullptr);
}

TEST(Info, PropertiesReplaceTheirEntryAndReadBack)
{
    TPdfDoc doc;
    doc.NewDoc();
    TPdfInfo& info = doc.Info();
    EXPECT_EQ(info.Title(), u"");
    EXPECT_TRUE(info.ModDate().IsZero());
    info.SetTitle(u"Attestation de droits");
    info.SetAuthor(u"Kelvora");
    info.SetSubject(u"Sécurité sociale");
    info.SetKeywords(u"vitale");
    info.SetCreator(u"Kelvora 1.09");
    info.SetTitle(u"Attestation de droits Régime Obligatoire");
    EXPECT_EQ(info.Title(), u"Attestation de droits Régime Obligatoire");
    EXPECT_EQ(info.Author(), u"Kelvora");
    const TPdfDictionary& dict = *info.Data();
    EXPECT_EQ(dict.GetItems(dict.ItemCount() - 1).Key(), u"Title");
    dict.PdfTextByName(u"CreationDate")->SetValue(u"D:garbage");
    EXPECT_TRUE(info.CreationDate().IsZero());
    doc.AddPage();
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc)));
}

// Readers take information strings as PDFDocEncoding or UTF-16BE, never as Windows-1252.
TEST(Info, TextsOutsideAsciiReadBackWholeInAReader)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.Info().SetTitle(u"Attestation Régime 5 € œ Łódź \U0001D49C");
    doc.Info().SetAuthor(u"Kelvora (PS)");
    const std::string info = PdfInfo(SaveToBytes(doc));
    EXPECT_NE(info.find("Title:           Attestation Régime 5 € œ Łódź \U0001D49C\n"),
              std::string::npos)
        << info;
    EXPECT_NE(info.find("Author:          Kelvora (PS)\n"), std::string::npos) << info;
}

TEST(Outlines, DestinationsAnnotationsAndViewerSettingsMakeAValidFile)
{
    TPdfDoc doc;
    doc.SetUseOutlines(true);
    doc.NewDoc();
    EXPECT_EQ(doc.OutlineRoot().Data()->ObjectNumber(), 2);
    doc.AddPage();
    doc.Canvas().TextOut(50, 780, u"Chapitre un : sommaire");
    TPdfDestination* dest = doc.CreateDestination();
    dest->SetTop(780);
    TPdfOutlineEntry& chapter = doc.OutlineRoot().AddChild(dest, u"Chapitre été");
    chapter.SetOpened(true);
    TPdfDestination* fit = doc.CreateDestination();
    fit->SetDestinationType(TPdfDestinationType::dtFitR);
    fit->SetRight(300);
    fit->SetTop(400);
    chapter.AddChild(fit, u"Section");
    doc.OutlineRoot().AddChild(nullptr, u"Annexe");
    doc.CreateAnnotation(TPdfAnnotationSubType::asTextNotes, MakePdfRect(10, 10, 60, 60));
    doc.CreateAnnotation(TPdfAnnotationSubType::asLink, MakePdfRect(10, 70, 60, 90));
    doc.Root().SetOpenAction(dest);
    doc.Root().SetPageLayout(TPdfPageLayout::plOneColumn);
    doc.Root().SetPageMode(TPdfPageMode::pmUseOutlines);
    doc.Root().SetPageMode(TPdfPageMode::pmUseThumbs);
    doc.Root().SetNonFullScreenPageMode(TPdfPageMode::pmUseOutlines);
    doc.Root().SetViewerPreference(TPdfViewerPreference::vpHideToolbar |
                                   TPdfViewerPreference::vpFitWindow);
    EXPECT_EQ(doc.Root().PageLayout(), TPdfPageLayout::plOneColumn);
    EXPECT_EQ(doc.Root().PageMode(), TPdfPageMode::pmUseThumbs);

    std::string bytes = SaveToBytes(doc);
    EXPECT_NE(bytes.find("/Outlines 2 0 R"), std::string::npos);
    EXPECT_NE(bytes.find("/OpenAction [5 0 R /XYZ 0 780 1 ]"), std::string::npos);
    EXPECT_NE(bytes.find("/Dest [5 0 R /FitR 0 0 300 400 ]"), std::string::npos);
    EXPECT_NE(bytes.find("/Count 3"), std::string::npos) << "root: two entries and one open child";
    EXPECT_NE(bytes.find("/Annots [11 0 R 12 0 R ]"), std::string::npos);
    EXPECT_NE(bytes.find("/Subtype /Text\r\n/Rect [10 10 60 60 ]"), std::string::npos);
    EXPECT_NE(bytes.find("/HideToolbar true\r\n/FitWindow true"), std::string::npos);
    EXPECT_TRUE(IsReadablePdf(bytes, {"Chapitre un : sommaire"}));

    doc.Root().SetOpenAction(nullptr);
    EXPECT_EQ(SaveToBytes(doc).find("/OpenAction"), std::string::npos);
}

TEST(Outlines, ZoomStaysBetweenZeroAndTen)
{
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    TPdfDestination* dest = doc.CreateDestination();
    EXPECT_DOUBLE_EQ(dest->Zoom(), 1);
    dest->SetZoom(0);
    dest->SetZoom(10);
    EXPECT_EQ(MessageOf<EPdfInvalidValue>([&] { dest->SetZoom(-0.1); }),
              "Zoom property cannot set to under 0.");
    EXPECT_EQ(MessageOf<EPdfInvalidValue>([&] { dest->SetZoom(10.5); }),
              "Zoom property cannot set to over 10.");
    EXPECT_DOUBLE_EQ(dest->Zoom(), 10);
}

TEST(VirtualMode, WritesNoOperatorsButKeepsTheTextState)
{
    TPdfDoc doc;
    doc.SetVirtualMode();
    TPdfCanvas& canvas = doc.Canvas();
    canvas.SetFont(u"Arial-Bold", 20);
    canvas.TextOut(10, 10, u"invisible");
    canvas.SetLeading(12);
    EXPECT_EQ(test::ContentsOf(doc), "/F0 10 Tf\n");
    EXPECT_FLOAT_EQ(canvas.Attribute().FontSize(), 20);
    EXPECT_FLOAT_EQ(canvas.Attribute().Leading(), 12);
    EXPECT_TRUE(IsReadablePdf(SaveToBytes(doc)));
}

} // namespace
} // namespace kelvora::pdf
