#include "pdf/document/pdf_destination.h"

#include "pdf/document/pdf_doc.h"
#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_real.h"

namespace kelvora::pdf
{

namespace
{

constexpr double kMaxZoom = 10;

} // namespace

TPdfDestination::TPdfDestination(TPdfDoc& APdfDoc, TPdfDictionary& APage)
    : FDoc(APdfDoc), FPage(APage)
{
}

void TPdfDestination::SetZoom(double AValue)
{
    if (AValue < 0)
        throw EPdfInvalidValue("Zoom property cannot set to under 0.");
    if (AValue > kMaxZoom)
        throw EPdfInvalidValue("Zoom property cannot set to over 10.");
    FZoom = AValue;
}

std::unique_ptr<TPdfArray> TPdfDestination::GetValue() const
{
    auto array = TPdfArray::CreateArray(FDoc.Xref());
    array->AddItem(static_cast<const TPdfObject&>(FPage));
    auto add_real = [&array](double v) { array->AddItem(TPdfReal::CreateReal(v)); };
    switch (FType) {
    case TPdfDestinationType::dtXYZ:
        array->AddItem(TPdfName::CreateName(u"XYZ"));
        add_real(Left());
        add_real(Top());
        add_real(FZoom);
        break;
    case TPdfDestinationType::dtFit:
        array->AddItem(TPdfName::CreateName(u"Fit"));
        break;
    case TPdfDestinationType::dtFitH:
        array->AddItem(TPdfName::CreateName(u"FitH"));
        add_real(Top());
        break;
    case TPdfDestinationType::dtFitV:
        array->AddItem(TPdfName::CreateName(u"FitV"));
        add_real(Left());
        break;
    case TPdfDestinationType::dtFitR:
        array->AddItem(TPdfName::CreateName(u"FitR"));
        add_real(Left());
        add_real(Bottom());
        add_real(Right());
        add_real(Top());
        break;
    case TPdfDestinationType::dtFitB:
        array->AddItem(TPdfName::CreateName(u"FitB"));
        break;
    case TPdfDestinationType::dtFitBH:
        array->AddItem(TPdfName::CreateName(u"FitBH"));
        add_real(Top());
        break;
    case TPdfDestinationType::dtFitBV:
        array->AddItem(TPdfName::CreateName(u"FitBV"));
        add_real(Left());
        break;
    }
    return array;
}

} // namespace kelvora::pdf
