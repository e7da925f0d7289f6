// The image creators that turn a picture into an image XObject, registered by name.
#pragma once

#include "pdf/images/graphic.h"
#include "pdf/objects/pdf_xobject.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::pdf
{

class TBitmap;

// Turns a picture into an image XObject that no document numbers yet.
class TPdfImageCreator
{
public:
    virtual ~TPdfImageCreator() = default;
    virtual std::unique_ptr<TPdfImage> CreateImage(const TGraphic& AImage);

protected:
    // [/Indexed /DeviceRGB 255 <table>] for an 8-bit indexed bitmap.
    std::unique_ptr<TPdfArray> PaletteColorSpace(const TBitmap& ABitmap) const;
};

// "Pdf-Bitmap": uncompressed 8-bit samples, palette-indexed or RGB.
class TPdfBitmapImage : public TPdfImageCreator
{
public:
    std::unique_ptr<TPdfImage> CreateImage(const TGraphic& AImage) override;
};

// "Pdf-Jpeg": the JPEG bytes unchanged behind a DCTDecode filter.
class TPdfJpegImage : public TPdfImageCreator
{
public:
    std::unique_ptr<TPdfImage> CreateImage(const TGraphic& AImage) override;
};

// Converts with the creator registered under AImageClassName ("Pdf-Jpeg", "Pdf-Bitmap").
std::unique_ptr<TPdfImage> CreatePdfImage(const TGraphic& AImage,
                                          std::u16string_view AImageClassName);
std::vector<std::u16string> RegisteredImageCreators();

} // namespace kelvora::pdf
