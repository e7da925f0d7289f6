#pragma once

#include "pdf/images/graphic.h"

#include <string>
#include <string_view>

namespace kelvora::pdf
{

// A JPEG file kept byte for byte; only its header is read (size and grayscale).
class TJPEGImage : public TGraphic
{
public:
    void LoadFromFile(const std::string& AFileName);
    // Takes the bytes of a JPEG file; EPictureError when its header cannot be read.
    void LoadFromBytes(std::string ABytes);

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    bool Grayscale() const { return FGrayscale; }
    std::string_view Data() const { return FData; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }

private:
    std::string FData;
    int FWidth = 0;
    int FHeight = 0;
    bool FGrayscale = false;
};

} // namespace kelvora::pdf
