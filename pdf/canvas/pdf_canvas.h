// The canvas: paths, text and images drawn on the current page as content-stream operators.
#pragma once

#include "pdf/canvas/pdf_canvas_attribute.h"
#include "pdf/canvas/pdf_canvas_types.h"
#include "pdf/objects/pdf_rect.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kelvora::pdf
{

class TPdfDictionary;
class TPdfDoc;
class TPdfStream;

// Draws on the current page by appending content-stream operators to its Contents.
class TPdfCanvas
{
public:
    explicit TPdfCanvas(TPdfDoc* APdfDoc);
    TPdfCanvas(const TPdfCanvas&) = delete;
    TPdfCanvas& operator=(const TPdfCanvas&) = delete;
    ~TPdfCanvas();

    // Makes APage current, saving the text state of the page it leaves.
    void SetPage(TPdfDictionary* APage);
    // Forgets the current page without saving anything (its document is gone).
    void ClearPage();
    TPdfDictionary& Page() const;
    int PageWidth() const;
    void SetPageWidth(int AValue);
    int PageHeight() const;
    void SetPageHeight(int AValue);
    TPdfDoc& Doc() const;
    TPdfCanvasAttribute& Attribute() const { return *FAttr; }
    TPdfStream* Contents() const { return FContents; }
    bool IsVirtual() const { return FIsVirtual; }
    void SetIsVirtual(bool AValue) { FIsVirtual = AValue; }

    // Text state: nothing is written when the value does not change.
    void SetCharSpace(float charSpace);
    void SetWordSpace(float wordSpace);
    void SetHorizontalScaling(std::uint16_t hScaling);
    void SetLeading(float leading);
    void SetFont(std::u16string_view AName, float ASize);

    // Plain operators.
    void GSave();
    void GRestore();
    void Concat(float a, float b, float c, float d, float e, float f);
    void SetFlat(std::uint8_t flatness);
    void SetLineCap(TLineCapStyle linecap);
    void SetDash(std::span<const std::uint8_t> aarray, std::uint8_t phase);
    void SetLineJoin(TLineJoinStyle linejoin);
    void SetLineWidth(float linewidth);
    void SetMiterLimit(std::uint8_t miterlimit);
    void MoveTo(float x, float y);
    void LineTo(float x, float y);
    void CurveToC(float x1, float y1, float x2, float y2, float x3, float y3);
    void CurveToV(float x2, float y2, float x3, float y3);
    void CurveToY(float x1, float y1, float x3, float y3);
    void Rectangle(float x, float y, float width, float height);
    void Closepath();
    void NewPath();
    void Stroke();
    void ClosePathStroke();
    void Fill();
    void Eofill();
    void FillStroke();
    void ClosepathFillStroke();
    void EofillStroke();
    void ClosepathEofillStroke();
    void Clip();
    void Eoclip();
    void SetFontAndSize(std::u16string_view fontname, float size);
    void SetTextRenderingMode(TTextRenderingMode mode);
    void SetTextRise(std::uint16_t rise);
    void BeginText();
    void EndText();
    void MoveTextPoint(float tx, float ty);
    void SetTextMatrix(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                       std::uint16_t x, std::uint16_t y);
    void MoveToNextLine();
    void ShowText(std::u16string_view s);
    void ShowTextNextLine(std::u16string_view s);
    void ExecuteXObject(std::u16string_view xObject);
    void SetRGBFillColor(TPdfColor Value);
    void SetRGBStrokeColor(TPdfColor Value);

    // Composite operations.
    void TextOut(float X, float Y, std::u16string_view Text);
    void TextRect(const TPdfRect& ARect, std::u16string_view Text, TPdfAlignment Alignment,
                  bool Clipping);
    void MultilineTextRect(TPdfRect ARect, std::u16string_view Text, bool WordWrap);
    void DrawXObject(float X, float Y, float AWidth, float AHeight,
                     std::u16string_view AXObjectName);
    void DrawXObjectEx(float X, float Y, float AWidth, float AHeight, float ClipX, float ClipY,
                       float ClipWidth, float ClipHeight, std::u16string_view AXObjectName);
    void Ellipse(float x, float y, float width, float height);

    // Measuring with the current text state.
    float TextWidth(std::u16string_view Text) const;
    int MeasureText(std::u16string_view Text, float AWidth) const;
    // The next word from the 0-based AIndex, with its trailing space or CR LF; advances AIndex.
    static std::u16string GetNextWord(std::u16string_view S, std::size_t& AIndex);

private:
    void AppendContent(std::string_view AOperator);
    void WriteTextOperand(std::u16string_view s, std::string_view AOperator);
    // Looks the image up and enters it in the page's XObject resources.
    TPdfStream& PrepareXObject(std::u16string_view AXObjectName, const char* AOperation);
    void StoreState();
    void RestoreState(const TPdfDictionary& APage);

    TPdfStream* FContents = nullptr;
    TPdfDictionary* FPage = nullptr;
    TPdfDoc* FPdfDoc;
    std::unique_ptr<TPdfCanvasAttribute> FAttr;
    bool FIsVirtual = false;
};

} // namespace kelvora::pdf
