// The certificate-like page written into memory by our writer and by libharu, in one run.
#include "certificate_page.h"
#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/images/jpeg_image.h"
#include "pdf/images/pdf_image_creator.h"
#include "pdf/objects/pdf_encoding.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <hpdf.h>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using kelvora::bench::MakeCertificatePage;
using kelvora::bench::TCertificatePage;

std::string ReadLogo()
{
    std::ifstream in(std::string(KELVORA_BENCH_FIXTURES) + "/logo.jpg", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty())
        throw std::runtime_error("bench/fixtures/logo.jpg is missing");
    return bytes;
}

std::string SaveWithKelvora(const TCertificatePage& APage, const std::string& ALogo)
{
    using namespace kelvora::pdf;
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(ALogo);
    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.AddXObject(u"logo_sante", CreatePdfImage(jpeg, u"Pdf-Jpeg"));
    TPdfCanvas& canvas = doc.Canvas();
    const float width = static_cast<float>(jpeg.Width()) * 50 / static_cast<float>(jpeg.Height());
    canvas.DrawXObject(15, static_cast<float>(canvas.PageHeight()) - 65, width, 50, u"logo_sante");
    canvas.SetLineWidth(1);
    int color = 0;
    for (const auto& line : APage.Lines) {
        if (line.Color != color) {
            canvas.SetRGBStrokeColor(line.Color);
            color = line.Color;
        }
        canvas.MoveTo(line.X1, line.Y1);
        canvas.LineTo(line.X2, line.Y2);
        canvas.Stroke();
    }
    for (const auto& text : APage.Texts) {
        canvas.SetFont(text.Font, text.Size);
        canvas.TextOut(text.X, text.Y, text.Text);
    }
    return doc.SaveToString();
}

// libharu takes single-byte text in the font's encoding; the page gives it that.
struct THaruText {
    const char* Font;
    float Size;
    float X;
    float Y;
    std::string Text;
};

std::vector<THaruText> HaruTexts(const TCertificatePage& APage)
{
    std::vector<THaruText> texts;
    for (const auto& t : APage.Texts) {
        std::string bytes;
        for (char16_t c : t.Text)
            bytes.push_back(kelvora::pdf::AnsiChar(c));
        const char* font = t.Font == u"Arial-Bold"     ? "Helvetica-Bold"
                           : t.Font == u"Arial-Italic" ? "Helvetica-Oblique"
                                                       : "Helvetica";
        texts.push_back({font, t.Size, t.X, t.Y, std::move(bytes)});
    }
    return texts;
}

// libharu reports through this callback; the error is checked after the save (no throw
// may cross its C frames).
void HaruError(HPDF_STATUS AError, HPDF_STATUS, void* AUserData)
{
    *static_cast<HPDF_STATUS*>(AUserData) = AError;
}

struct THaruFree {
    void operator()(HPDF_Doc ADoc) const { HPDF_Free(ADoc); }
};

std::string SaveWithHaru(const TCertificatePage& APage, const std::vector<THaruText>& ATexts,
                         const std::string& ALogo)
{
    HPDF_STATUS error = HPDF_OK;
    std::unique_ptr<std::remove_pointer_t<HPDF_Doc>, THaruFree> pdf(HPDF_New(HaruError, &error));
    HPDF_Doc doc = pdf.get();
    HPDF_SetCompressionMode(doc, HPDF_COMP_NONE);
    HPDF_Page page = HPDF_AddPage(doc);
    HPDF_Page_SetWidth(page, 596);
    HPDF_Page_SetHeight(page, 842);
    HPDF_Image image =
        HPDF_LoadJpegImageFromMem(doc, reinterpret_cast<const HPDF_BYTE*>(ALogo.data()),
                                  static_cast<HPDF_UINT>(ALogo.size()));
    const float width = static_cast<float>(HPDF_Image_GetWidth(image)) * 50 /
                        static_cast<float>(HPDF_Image_GetHeight(image));
    HPDF_Page_DrawImage(page, image, 15, 842 - 65, width, 50);
    HPDF_Page_SetLineWidth(page, 1);
    int color = 0;
    for (const auto& line : APage.Lines) {
        if (line.Color != color) {
            HPDF_Page_SetRGBStroke(page, static_cast<float>(line.Color & 0xFF) / 255,
                                   static_cast<float>((line.Color >> 8) & 0xFF) / 255,
                                   static_cast<float>((line.Color >> 16) & 0xFF) / 255);
            color = line.Color;
        }
        HPDF_Page_MoveTo(page, line.X1, line.Y1);
        HPDF_Page_LineTo(page, line.X2, line.Y2);
        HPDF_Page_Stroke(page);
    }
    const char* current = nullptr;
    float size = 0;
    for (const auto& t : ATexts) {
        if (t.Font != current || t.Size != size) {
            HPDF_Page_SetFontAndSize(page, HPDF_GetFont(doc, t.Font, "WinAnsiEncoding"), t.Size);
            current = t.Font;
            size = t.Size;
        }
        HPDF_Page_BeginText(page);
        HPDF_Page_TextOut(page, t.X, t.Y, t.Text.c_str());
        HPDF_Page_EndText(page);
    }
    HPDF_SaveToStream(doc);
    if (error != HPDF_OK)
        throw std::runtime_error("libharu error " + std::to_string(error));
    std::string bytes(HPDF_GetStreamSize(doc), '\0');
    HPDF_UINT32 length = static_cast<HPDF_UINT32>(bytes.size());
    HPDF_ReadFromStream(doc, reinterpret_cast<HPDF_BYTE*>(bytes.data()), &length);
    bytes.resize(length);
    return bytes;
}

void BM_CertificatePage_Kelvora(benchmark::State& AState)
{
    const TCertificatePage page = MakeCertificatePage();
    const std::string logo = ReadLogo();
    std::size_t size = 0;
    for (auto _ : AState) {
        std::string bytes = SaveWithKelvora(page, logo);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    AState.counters["bytes"] = static_cast<double>(size);
    AState.counters["texts"] = static_cast<double>(page.Texts.size());
    AState.counters["lines"] = static_cast<double>(page.Lines.size());
}

void BM_CertificatePage_Libharu(benchmark::State& AState)
{
    const TCertificatePage page = MakeCertificatePage();
    const std::vector<THaruText> texts = HaruTexts(page);
    const std::string logo = ReadLogo();
    std::size_t size = 0;
    for (auto _ : AState) {
        std::string bytes = SaveWithHaru(page, texts, logo);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    AState.counters["bytes"] = static_cast<double>(size);
}

BENCHMARK(BM_CertificatePage_Kelvora)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CertificatePage_Libharu)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
