#include "pdf/canvas/pdf_canvas.h"

#include "pdf/document/pdf_doc.h"
#include "pdf/fonts/pdf_font.h"
#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_encoding.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_format.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_number.h"
#include "pdf/objects/pdf_page_tree.h"
#include "pdf/objects/pdf_real.h"
#include "pdf/objects/pdf_stream.h"

#include <algorithm>
#include <cmath>

namespace kelvora::pdf
{

namespace
{

// Builds one operator line on the stack: operands separated by single spaces, then the
// operator and LF.
class TOperator
{
public:
    TOperator& Real(double AValue)
    {
        Separate();
        FEnd = PutReal(FEnd, AValue);
        return *this;
    }
    TOperator& Int(std::int64_t AValue)
    {
        Separate();
        FEnd = PutInt(FEnd, AValue);
        return *this;
    }
    // The red, green and blue of a 0x00BBGGRR colour, each from 0 to 1.
    TOperator& Color(TPdfColor AValue)
    {
        auto v = static_cast<std::uint32_t>(AValue > 0 ? AValue : 0);
        return Real(static_cast<double>(v & 0xFF) / 255)
            .Real(static_cast<double>((v >> 8) & 0xFF) / 255)
            .Real(static_cast<double>((v >> 16) & 0xFF) / 255);
    }
    std::string_view End(std::string_view AOperator)
    {
        Separate();
        FEnd = std::copy(AOperator.begin(), AOperator.end(), FEnd);
        *FEnd++ = '\n';
        return {FText, static_cast<std::size_t>(FEnd - FText)};
    }

private:
    void Separate()
    {
        if (FEnd != FText)
            *FEnd++ = ' ';
    }
    // Six operands at most, each with its space, and an operator of two letters.
    char FText[6 * (kMaxNumberChars + 1) + 4];
    char* FEnd = FText;
};

TPdfDictionary& EnsureResource(TPdfDictionary& APage, std::u16string_view AKey)
{
    if (TPdfDictionary* dict = PageResource(APage, AKey))
        return *dict;
    // Pages made elsewhere may lack the dictionaries; a reference needs a home.
    TPdfDictionary* resources = APage.PdfDictionaryByName(u"Resources");
    if (resources == nullptr) {
        APage.AddItem(u"Resources", TPdfDictionary::CreateDictionary(APage.ObjectMgr()));
        resources = APage.PdfDictionaryByName(u"Resources");
    }
    resources->AddItem(AKey, TPdfDictionary::CreateDictionary(APage.ObjectMgr()));
    return *resources->PdfDictionaryByName(AKey);
}

std::u16string ResourceName(const TPdfDictionary& ADict)
{
    TPdfName* name = ADict.PdfNameByName(u"Name");
    return name != nullptr ? name->Value() : std::u16string();
}

} // namespace

TPdfCanvas::TPdfCanvas(TPdfDoc* APdfDoc)
    : FPdfDoc(APdfDoc), FAttr(std::make_unique<TPdfCanvasAttribute>())
{
}

TPdfCanvas::~TPdfCanvas() = default;

void TPdfCanvas::AppendContent(std::string_view AOperator)
{
    if (FIsVirtual || FContents == nullptr)
        return;
    FContents->Stream().Write(AOperator);
}

TPdfDictionary& TPdfCanvas::Page() const
{
    if (FPage == nullptr)
        throw EPdfInvalidOperation("GetPage --the Page is nil");
    return *FPage;
}

TPdfDoc& TPdfCanvas::Doc() const
{
    if (FPdfDoc == nullptr)
        throw EPdfInvalidOperation("ERROR: GetDoc documant is nil.");
    return *FPdfDoc;
}

int TPdfCanvas::PageWidth() const
{
    TPdfArray* box = Page().PdfArrayByName(u"MediaBox");
    if (box == nullptr)
        return Doc().DefaultPageWidth();
    auto* n = PdfObjectAs<TPdfNumber>(box->GetItems(2));
    return n != nullptr ? n->Value() : Doc().DefaultPageWidth();
}

int TPdfCanvas::PageHeight() const
{
    TPdfArray* box = Page().PdfArrayByName(u"MediaBox");
    if (box == nullptr)
        return Doc().DefaultPageHeight();
    auto* n = PdfObjectAs<TPdfNumber>(box->GetItems(3));
    return n != nullptr ? n->Value() : Doc().DefaultPageHeight();
}

void TPdfCanvas::SetPageWidth(int AValue)
{
    TPdfArray* box = Page().PdfArrayByName(u"MediaBox");
    auto* n = box != nullptr ? PdfObjectAs<TPdfNumber>(box->GetItems(2)) : nullptr;
    if (n == nullptr)
        throw EPdfInvalidOperation("Can not chenge width of this page..");
    n->SetValue(AValue);
}

void TPdfCanvas::SetPageHeight(int AValue)
{
    TPdfArray* box = Page().PdfArrayByName(u"MediaBox");
    auto* n = box != nullptr ? PdfObjectAs<TPdfNumber>(box->GetItems(3)) : nullptr;
    if (n == nullptr)
        throw EPdfInvalidOperation("Can not chenge width of this page..");
    n->SetValue(AValue);
}

void TPdfCanvas::StoreState()
{
    if (FAttr->Font() == nullptr)
        return;
    FPage->AddInternalItem(u"_Font", TPdfName::CreateName(FAttr->Font()->Name()));
    FPage->AddInternalItem(u"_Font_Size", TPdfReal::CreateReal(FAttr->FontSize()));
    FPage->AddInternalItem(u"_Word_Space", TPdfReal::CreateReal(FAttr->WordSpace()));
    FPage->AddInternalItem(u"_Char_Space", TPdfReal::CreateReal(FAttr->CharSpace()));
    FPage->AddInternalItem(u"_HScalling", TPdfNumber::CreateNumber(FAttr->HorizontalScaling()));
    FPage->AddInternalItem(u"_Leading", TPdfReal::CreateReal(FAttr->Leading()));
}

void TPdfCanvas::RestoreState(const TPdfDictionary& APage)
{
    auto real = [&APage](std::u16string_view key) {
        TPdfReal* r = APage.PdfRealByName(key);
        return r != nullptr ? static_cast<float>(r->Value()) : 0.0f;
    };
    FAttr->SetFont(Doc().GetFont(APage.PdfNameByName(u"_Font")->Value()));
    FAttr->SetFontSize(real(u"_Font_Size"));
    FAttr->SetWordSpace(real(u"_Word_Space"));
    FAttr->SetCharSpace(real(u"_Char_Space"));
    TPdfNumber* scaling = APage.PdfNumberByName(u"_HScalling");
    FAttr->SetHorizontalScaling(
        static_cast<std::uint16_t>(scaling != nullptr ? scaling->Value() : 100));
    FAttr->SetLeading(real(u"_Leading"));
}

void TPdfCanvas::SetPage(TPdfDictionary* APage)
{
    if (FPage != nullptr)
        StoreState();
    FPage = APage;
    FContents =
        APage != nullptr ? PdfObjectAs<TPdfStream>(APage->ValueByName(u"Contents")) : nullptr;
    if (APage == nullptr)
        return;
    if (APage->PdfNameByName(u"_Font") != nullptr) {
        RestoreState(*APage);
        return;
    }
    FAttr->SetFont(nullptr);
    SetFont(u"Arial", 10);
    FAttr->SetCharSpace(0);
    FAttr->SetWordSpace(0);
    FAttr->SetHorizontalScaling(100);
    FAttr->SetLeading(0);
}

void TPdfCanvas::ClearPage()
{
    FPage = nullptr;
    FContents = nullptr;
    FAttr->SetFont(nullptr);
}

void TPdfCanvas::SetCharSpace(float charSpace)
{
    if (charSpace == FAttr->CharSpace())
        return;
    FAttr->SetCharSpace(charSpace);
    AppendContent(TOperator().Real(charSpace).End("Tc"));
}

void TPdfCanvas::SetWordSpace(float wordSpace)
{
    if (wordSpace == FAttr->WordSpace())
        return;
    FAttr->SetWordSpace(wordSpace);
    AppendContent(TOperator().Real(wordSpace).End("Tw"));
}

void TPdfCanvas::SetHorizontalScaling(std::uint16_t hScaling)
{
    if (hScaling == FAttr->HorizontalScaling())
        return;
    FAttr->SetHorizontalScaling(hScaling);
    AppendContent(TOperator().Int(hScaling).End("Tz"));
}

void TPdfCanvas::SetLeading(float leading)
{
    if (leading == FAttr->Leading())
        return;
    FAttr->SetLeading(leading);
    AppendContent(TOperator().Real(leading).End("TL"));
}

void TPdfCanvas::SetFont(std::u16string_view AName, float ASize)
{
    TPdfFont* font = Doc().GetFont(AName);
    if (font == FAttr->Font() && ASize == FAttr->FontSize())
        return;
    TPdfDictionary& resources = EnsureResource(Page(), u"Font");
    std::u16string resource = ResourceName(*font->Data());
    if (resources.ValueByName(resource) == nullptr)
        resources.AddItem(resource, *font->Data());
    if (FContents != nullptr)
        SetFontAndSize(u"/" + resource, ASize);
    FAttr->SetFont(font);
    FAttr->SetFontSize(ASize);
}

void TPdfCanvas::GSave()
{
    AppendContent("q\n");
}

void TPdfCanvas::GRestore()
{
    AppendContent("Q\n");
}

void TPdfCanvas::Concat(float a, float b, float c, float d, float e, float f)
{
    AppendContent(TOperator().Real(a).Real(b).Real(c).Real(d).Real(e).Real(f).End("cm"));
}

void TPdfCanvas::SetFlat(std::uint8_t flatness)
{
    AppendContent(TOperator().Int(flatness).End("i"));
}

void TPdfCanvas::SetLineCap(TLineCapStyle linecap)
{
    AppendContent(TOperator().Int(static_cast<int>(linecap)).End("J"));
}

void TPdfCanvas::SetDash(std::span<const std::uint8_t> aarray, std::uint8_t phase)
{
    std::string text = "[";
    if (!aarray.empty() && aarray[0] != 0) {
        for (std::uint8_t v : aarray) {
            AppendInt(text, v);
            text.push_back(' ');
        }
    }
    text.append("] ");
    AppendInt(text, phase);
    text.append(" d\n");
    AppendContent(text);
}

void TPdfCanvas::SetLineJoin(TLineJoinStyle linejoin)
{
    AppendContent(TOperator().Int(static_cast<int>(linejoin)).End("j"));
}

void TPdfCanvas::SetLineWidth(float linewidth)
{
    AppendContent(TOperator().Real(linewidth).End("w"));
}

void TPdfCanvas::SetMiterLimit(std::uint8_t miterlimit)
{
    AppendContent(TOperator().Int(miterlimit).End("M"));
}

void TPdfCanvas::MoveTo(float x, float y)
{
    AppendContent(TOperator().Real(x).Real(y).End("m"));
}

void TPdfCanvas::LineTo(float x, float y)
{
    AppendContent(TOperator().Real(x).Real(y).End("l"));
}

void TPdfCanvas::CurveToC(float x1, float y1, float x2, float y2, float x3, float y3)
{
    AppendContent(TOperator().Real(x1).Real(y1).Real(x2).Real(y2).Real(x3).Real(y3).End("c"));
}

void TPdfCanvas::CurveToV(float x2, float y2, float x3, float y3)
{
    AppendContent(TOperator().Real(x2).Real(y2).Real(x3).Real(y3).End("v"));
}

void TPdfCanvas::CurveToY(float x1, float y1, float x3, float y3)
{
    AppendContent(TOperator().Real(x1).Real(y1).Real(x3).Real(y3).End("y"));
}

void TPdfCanvas::Rectangle(float x, float y, float width, float height)
{
    AppendContent(TOperator().Real(x).Real(y).Real(width).Real(height).End("re"));
}

void TPdfCanvas::Closepath()
{
    AppendContent("h\n");
}

void TPdfCanvas::NewPath()
{
    AppendContent("n\n");
}

void TPdfCanvas::Stroke()
{
    AppendContent("S\n");
}

void TPdfCanvas::ClosePathStroke()
{
    AppendContent("s\n");
}

void TPdfCanvas::Fill()
{
    AppendContent("f\n");
}

void TPdfCanvas::Eofill()
{
    AppendContent("f*\n");
}

void TPdfCanvas::FillStroke()
{
    AppendContent("B\n");
}

void TPdfCanvas::ClosepathFillStroke()
{
    AppendContent("b\n");
}

void TPdfCanvas::EofillStroke()
{
    AppendContent("B*\n");
}

void TPdfCanvas::ClosepathEofillStroke()
{
    AppendContent("b*\n");
}

void TPdfCanvas::Clip()
{
    AppendContent("W\n");
}

void TPdfCanvas::Eoclip()
{
    AppendContent("W*\n");
}

void TPdfCanvas::SetFontAndSize(std::u16string_view fontname, float size)
{
    if (FIsVirtual || FContents == nullptr)
        return;
    TPdfMemoryStream& out = FContents->Stream();
    WriteAnsi(fontname, out);
    out.WriteByte(' ');
    out.Write(TOperator().Real(size).End("Tf"));
}

void TPdfCanvas::SetTextRenderingMode(TTextRenderingMode mode)
{
    AppendContent(TOperator().Int(static_cast<int>(mode)).End("Tr"));
}

void TPdfCanvas::SetTextRise(std::uint16_t rise)
{
    AppendContent(TOperator().Int(rise).End("Ts"));
}

void TPdfCanvas::BeginText()
{
    AppendContent("BT\n");
}

void TPdfCanvas::EndText()
{
    AppendContent("ET\n");
}

void TPdfCanvas::MoveTextPoint(float tx, float ty)
{
    AppendContent(TOperator().Real(tx).Real(ty).End("Td"));
}

void TPdfCanvas::SetTextMatrix(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                               std::uint16_t x, std::uint16_t y)
{
    AppendContent(TOperator().Int(a).Int(b).Int(c).Int(d).Int(x).Int(y).End("Tm"));
}

void TPdfCanvas::MoveToNextLine()
{
    AppendContent("T*\n");
}

void TPdfCanvas::WriteTextOperand(std::u16string_view s, std::string_view AOperator)
{
    if (FIsVirtual || FContents == nullptr)
        return;
    TPdfMemoryStream& out = FContents->Stream();
    WriteStringOperand(s, out);
    out.Write(AOperator);
}

void TPdfCanvas::ShowText(std::u16string_view s)
{
    WriteTextOperand(s, " Tj\n");
}

void TPdfCanvas::ShowTextNextLine(std::u16string_view s)
{
    WriteTextOperand(s, " '\n");
}

void TPdfCanvas::ExecuteXObject(std::u16string_view xObject)
{
    if (FIsVirtual || FContents == nullptr)
        return;
    TPdfMemoryStream& out = FContents->Stream();
    // Encoded as the resource key is, so a name with a space still finds its image.
    WriteName(xObject, out);
    out.Write(" Do\n");
}

void TPdfCanvas::SetRGBFillColor(TPdfColor Value)
{
    AppendContent(TOperator().Color(Value).End("rg"));
}

void TPdfCanvas::SetRGBStrokeColor(TPdfColor Value)
{
    AppendContent(TOperator().Color(Value).End("RG"));
}

void TPdfCanvas::TextOut(float X, float Y, std::u16string_view Text)
{
    BeginText();
    MoveTextPoint(X, Y);
    ShowText(Text);
    EndText();
}

void TPdfCanvas::TextRect(const TPdfRect& ARect, std::u16string_view Text, TPdfAlignment Alignment,
                          bool Clipping)
{
    float w = TextWidth(Text);
    float box = ARect.Right - ARect.Left;
    float offset = 0;
    if (Alignment == TPdfAlignment::paRightJustify)
        offset = box - std::nearbyint(w);
    else if (Alignment == TPdfAlignment::paCenter)
        offset = std::nearbyint((box - w) / 2);
    if (Clipping) {
        GSave();
        MoveTo(ARect.Left, ARect.Top);
        LineTo(ARect.Left, ARect.Bottom);
        LineTo(ARect.Right, ARect.Bottom);
        LineTo(ARect.Right, ARect.Top);
        Closepath();
        Clip();
        NewPath();
    }
    BeginText();
    MoveTextPoint(ARect.Left + offset, ARect.Top - 0.85f * FAttr->FontSize());
    ShowText(Text);
    EndText();
    if (Clipping)
        GRestore();
}

void TPdfCanvas::MultilineTextRect(TPdfRect ARect, std::u16string_view Text, bool WordWrap)
{
    const float box = ARect.Right - ARect.Left;
    BeginText();
    MoveTextPoint(ARect.Left, ARect.Top - 0.85f * FAttr->FontSize());
    std::u16string line;
    float x = ARect.Left;
    std::size_t index = 0;
    // Shows an ended line and moves down; false once the rectangle is full.
    auto end_line = [&]() {
        ShowText(
            std::u16string_view(line).substr(0, static_cast<std::size_t>(MeasureText(line, box))));
        MoveToNextLine();
        ARect.Top -= FAttr->Leading();
        line.clear();
        x = ARect.Left;
        return !(ARect.Bottom + FAttr->FontSize() > ARect.Top);
    };
    bool full = false;
    while (!full) {
        std::u16string word = GetNextWord(Text, index);
        if (word.empty())
            break;
        float width = TextWidth(word);
        if (word.back() == u' ')
            width += FAttr->WordSpace();
        if (WordWrap && !line.empty() && x + width > ARect.Right && !end_line()) {
            full = true;
            break;
        }
        line += word;
        x += width;
        if (line.ends_with(u"\r\n")) {
            // Dropping the break can only shorten the line: erase, never resize, which could grow.
            line.erase(line.size() - 2);
            full = !end_line();
        }
    }
    if (!full)
        ShowText(
            std::u16string_view(line).substr(0, static_cast<std::size_t>(MeasureText(line, box))));
    EndText();
}

TPdfStream& TPdfCanvas::PrepareXObject(std::u16string_view AXObjectName, const char* AOperation)
{
    TPdfStream* object = Doc().GetXObject(AXObjectName);
    if (object == nullptr)
        throw EPdfInvalidValue(std::string(AOperation) +
                               " --XObject not found: " + Utf16ToUtf8(AXObjectName));
    TPdfDictionary& resources = EnsureResource(Page(), u"XObject");
    if (resources.ValueByName(AXObjectName) == nullptr)
        resources.AddItem(AXObjectName, *object);
    return *object;
}

void TPdfCanvas::DrawXObject(float X, float Y, float AWidth, float AHeight,
                             std::u16string_view AXObjectName)
{
    TPdfStream& object = PrepareXObject(AXObjectName, "DrawXObject");
    GSave();
    Concat(AWidth, 0, 0, AHeight, X, Y);
    ExecuteXObject(ResourceName(object.Attributes()));
    GRestore();
}

void TPdfCanvas::DrawXObjectEx(float X, float Y, float AWidth, float AHeight, float ClipX,
                               float ClipY, float ClipWidth, float ClipHeight,
                               std::u16string_view AXObjectName)
{
    TPdfStream& object = PrepareXObject(AXObjectName, "DrawXObjectEx");
    GSave();
    Rectangle(ClipX, ClipY, ClipWidth, ClipHeight);
    Clip();
    NewPath();
    Concat(AWidth, 0, 0, AHeight, X, Y);
    ExecuteXObject(ResourceName(object.Attributes()));
    GRestore();
}

void TPdfCanvas::Ellipse(float x, float y, float width, float height)
{
    float cx = x + width / 2;
    float cy = y + height / 2;
    float kx = width / 2 * 11 / 20;
    float ky = height / 2 * 11 / 20;
    MoveTo(x, cy);
    CurveToC(x, cy - ky, cx - kx, y, cx, y);
    CurveToC(cx + kx, y, x + width, cy - ky, x + width, cy);
    CurveToC(x + width, cy + ky, cx + kx, y + height, cx, y + height);
    CurveToC(cx - kx, y + height, x, cy + ky, x, cy);
}

float TPdfCanvas::TextWidth(std::u16string_view Text) const
{
    return FAttr->TextWidth(Text);
}

int TPdfCanvas::MeasureText(std::u16string_view Text, float AWidth) const
{
    return FAttr->MeasureText(Text, AWidth);
}

std::u16string TPdfCanvas::GetNextWord(std::u16string_view S, std::size_t& AIndex)
{
    if (AIndex >= S.size())
        return {};
    std::size_t i = AIndex;
    while (i + 1 < S.size() && S[i] != u' ' && !(S[i] == u'\n' && i > 0 && S[i - 1] == u'\r'))
        ++i;
    std::u16string word(S.substr(AIndex, i - AIndex + 1));
    AIndex = i + 1;
    return word;
}

} // namespace kelvora::pdf
