// A destination: a page and how a viewer fits it, as links and outline entries use it.
#pragma once

#include "pdf/document/pdf_dictionary_wrapper.h"

#include <array>
#include <memory>

namespace kelvora::pdf
{

class TPdfArray;
class TPdfDictionary;
class TPdfDoc;

enum class TPdfDestinationType { dtXYZ, dtFit, dtFitH, dtFitV, dtFitR, dtFitB, dtFitBH, dtFitBV };

// A view of a page: the page, a fit type and its values; owned by the document.
class TPdfDestination : public TPdfOwnedObject
{
public:
    TPdfDestination(TPdfDoc& APdfDoc, TPdfDictionary& APage);

    TPdfDestinationType DestinationType() const { return FType; }
    void SetDestinationType(TPdfDestinationType AValue) { FType = AValue; }
    float Left() const { return FValues[0]; }
    void SetLeft(float AValue) { FValues[0] = AValue; }
    float Top() const { return FValues[1]; }
    void SetTop(float AValue) { FValues[1] = AValue; }
    float Right() const { return FValues[2]; }
    void SetRight(float AValue) { FValues[2] = AValue; }
    float Bottom() const { return FValues[3]; }
    void SetBottom(float AValue) { FValues[3] = AValue; }
    double Zoom() const { return FZoom; }
    // Between 0 and 10.
    void SetZoom(double AValue);
    TPdfDictionary& Page() const { return FPage; }
    TPdfDoc& Doc() const { return FDoc; }

    // The destination array: page reference, fit name, the values of that fit.
    std::unique_ptr<TPdfArray> GetValue() const;

private:
    TPdfDoc& FDoc;
    TPdfDictionary& FPage;
    TPdfDestinationType FType = TPdfDestinationType::dtXYZ;
    std::array<float, 4> FValues{};
    double FZoom = 1;
};

} // namespace kelvora::pdf
