#include "pdf/images/pr_image.h"

#include "pdf/images/bitmap.h"
#include "pdf/images/jpeg_image.h"
#include "pdf/objects/pdf_errors.h"

namespace kelvora::pdf
{

void TPRImage::SetPicture(const TPicture& AValue)
{
    CheckGraphic(AValue.Graphic());
    FPicture = AValue;
}

void TPRImage::CheckGraphic(const TGraphic* AGraphic) const
{
    if (AGraphic != nullptr && AGraphic->Kind() != TGraphicKind::gkBitmap)
        throw EPdfInvalidImageFormat("only bitmap image is allowed.");
}

void TPRJpegImage::CheckGraphic(const TGraphic* AGraphic) const
{
    if (AGraphic != nullptr && AGraphic->Kind() != TGraphicKind::gkJpeg)
        throw EPdfInvalidImageFormat("only jpeg image is allowed.");
}

} // namespace kelvora::pdf
