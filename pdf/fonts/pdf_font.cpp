#include "pdf/fonts/pdf_font.h"

#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_encoding.h"
#include "pdf/objects/pdf_number.h"

namespace kelvora::pdf
{

TPdfFont::TPdfFont(TPdfObjectMgr& AXref, std::u16string AName)
    : FXref(AXref), FName(std::move(AName))
{
}

int TPdfFont::GetCharWidth(std::u16string_view, std::size_t) const
{
    return 0;
}

TPdfType1Font::TPdfType1Font(TPdfObjectMgr& AXref, std::u16string AName,
                             std::u16string_view ABaseFont, const TPdfWidthTable& AWidths)
    : TPdfFont(AXref, std::move(AName))
{
    TPdfDictionary* dict = AXref.Add(TPdfDictionary::CreateDictionary(&AXref));
    dict->AddNameItem(u"Type", u"Font");
    dict->AddNameItem(u"Subtype", u"Type1");
    dict->AddNameItem(u"Encoding", u"WinAnsiEncoding");
    dict->AddNumberItem(u"FirstChar", 32);
    dict->AddNumberItem(u"LastChar", 255);
    dict->AddNameItem(u"BaseFont", std::u16string(ABaseFont));
    // The widths go straight into the table the canvas measures with: a Widths array of
    // 224 numbers would only be built to be read back, and is never written.
    TPdfFont::SetData(dict);
    FFirstChar = 32;
    FLastChar = 255;
    for (std::size_t i = 0; i < 224; ++i)
        FArray[FFirstChar + i] = static_cast<std::uint16_t>(AWidths[i]);
}

void TPdfType1Font::SetData(TPdfDictionary* Value)
{
    TPdfFont::SetData(Value);
    FArray.fill(0);
    FFirstChar = 0;
    FLastChar = 0;
    if (Value == nullptr)
        return;
    if (TPdfNumber* missing = Value->PdfNumberByName(u"MissingWidth"))
        FArray.fill(static_cast<std::uint16_t>(missing->Value()));
    if (TPdfNumber* first = Value->PdfNumberByName(u"FirstChar"))
        FFirstChar = static_cast<std::uint8_t>(first->Value() & 0xFF);
    if (TPdfNumber* last = Value->PdfNumberByName(u"LastChar"))
        FLastChar = static_cast<std::uint8_t>(last->Value() & 0xFF);
    if (TPdfArray* widths = Value->PdfArrayByName(u"Widths")) {
        for (int k = 0; k < widths->ItemCount() && FFirstChar + k < 256; ++k) {
            if (auto* w = PdfObjectAs<TPdfNumber>(widths->GetItems(k)))
                FArray[static_cast<std::size_t>(FFirstChar + k)] =
                    static_cast<std::uint16_t>(w->Value());
        }
    }
}

int TPdfType1Font::GetCharWidth(std::u16string_view AText, std::size_t APos) const
{
    if (APos >= AText.size())
        return 0;
    // Measure the byte the character is written as (€ as 0x80, Ł as ?); the second half of a
    // surrogate pair writes nothing, its first half already measured the '?'.
    const std::optional<char> byte = AnsiByteAt(AText, APos);
    return byte ? FArray[static_cast<unsigned char>(*byte)] : 0;
}

} // namespace kelvora::pdf
