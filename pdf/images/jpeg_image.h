// A JPEG picture kept byte for byte, with the size and colour space of its header.
#pragma once

#include "pdf/images/graphic.h"

#include <memory>
#include <string>
#include <string_view>

namespace kelvora::pdf
{

// How the samples of a JPEG file are to be read, from its header.
enum class TJpegColorSpace { Gray, RGB, CMYK };

// A JPEG file kept byte for byte; only its header is read (size and colour space).
class TJPEGImage : public TGraphic
{
public:
    void LoadFromFile(const std::string& AFileName);
    // Takes the bytes of a JPEG file; EPictureError when its header cannot be read.
    void LoadFromBytes(std::string ABytes);

    TGraphicKind Kind() const override { return TGraphicKind::gkJpeg; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    bool Grayscale() const { return FColorSpace == TJpegColorSpace::Gray; }
    TJpegColorSpace ColorSpace() const { return FColorSpace; }
    // Four components behind an Adobe marker: stored inverted, as Photoshop writes them.
    bool AdobeInverted() const { return FAdobeInverted; }
    std::string_view Data() const { return FData ? std::string_view(*FData) : std::string_view(); }
    // The same bytes, shared: copies of the picture and the documents it goes into hold them
    // without copying.
    const std::shared_ptr<const std::string>& Bytes() const { return FData; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }

private:
    std::shared_ptr<const std::string> FData;
    int FWidth = 0;
    int FHeight = 0;
    TJpegColorSpace FColorSpace = TJpegColorSpace::RGB;
    bool FAdobeInverted = false;
};

} // namespace kelvora::pdf
