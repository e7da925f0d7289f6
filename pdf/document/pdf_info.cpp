#include "pdf/document/pdf_info.h"

#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_text.h"

namespace kelvora::pdf
{

std::u16string TPdfInfo::GetText(std::u16string_view AKey) const
{
    TPdfText* text = Data()->PdfTextByName(AKey);
    return text != nullptr ? text->Value() : std::u16string();
}

void TPdfInfo::SetText(std::u16string_view AKey, std::u16string AValue)
{
    Data()->AddItem(AKey, TPdfText::CreateText(std::move(AValue)));
}

TPdfDateTime TPdfInfo::GetDate(std::u16string_view AKey) const
{
    TPdfText* text = Data()->PdfTextByName(AKey);
    if (text == nullptr)
        return {};
    try {
        return ParsePdfDate(text->Value());
    } catch (const EPdfConvertError&) {
        return {};
    }
}

void TPdfInfo::SetDate(std::u16string_view AKey, const TPdfDateTime& AValue)
{
    Data()->AddItem(AKey, TPdfText::CreateText(FormatPdfDate(AValue)));
}

} // namespace kelvora::pdf
