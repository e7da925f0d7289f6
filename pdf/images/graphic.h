// A loaded picture of some kind, the error of one that cannot be loaded, a file's reading.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace kelvora::pdf
{

// A picture file that is missing, unreadable or of an unknown kind.
class EPictureError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum class TGraphicKind { gkJpeg, gkBitmap };

// A loaded picture of some kind: JPEG data or a bitmap.
class TGraphic
{
public:
    TGraphic() = default;
    TGraphic(const TGraphic&) = default;
    TGraphic& operator=(const TGraphic&) = default;
    virtual ~TGraphic() = default;

    // Which of the two it is; the image creators check this instead of the type information.
    virtual TGraphicKind Kind() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() == 0 || Height() == 0; }
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
};

// Reads a whole file; EPictureError when it cannot.
std::string ReadPictureFile(const std::string& AFileName);

} // namespace kelvora::pdf
