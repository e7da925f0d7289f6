// The picture holders of a report layout, as the certificate's logo uses them.
#pragma once

#include "pdf/images/picture.h"

namespace kelvora::pdf
{

// A printable item of a report layout; only its size and flag matter here.
class TPRItem
{
public:
    virtual ~TPRItem() = default;
    bool Printable() const { return FPrintable; }
    void SetPrintable(bool AValue) { FPrintable = AValue; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

private:
    bool FPrintable = true;
    int FWidth = 100;
    int FHeight = 30;
};

// Holds a picture; assigning one through SetPicture accepts bitmaps only.
class TPRImage : public TPRItem
{
public:
    TPicture& Picture() { return FPicture; }
    const TPicture& Picture() const { return FPicture; }
    void SetPicture(const TPicture& AValue);
    bool SharedImage() const { return FSharedImage; }
    void SetSharedImage(bool AValue) { FSharedImage = AValue; }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool AValue) { FStretch = AValue; }

protected:
    // Throws when the holder cannot take that kind of graphic.
    virtual void CheckGraphic(const TGraphic* AGraphic) const;

private:
    TPicture FPicture;
    bool FSharedImage = true;
    bool FStretch = true;
};

// A picture holder that accepts JPEG pictures only.
class TPRJpegImage : public TPRImage
{
protected:
    void CheckGraphic(const TGraphic* AGraphic) const override;
};

} // namespace kelvora::pdf
