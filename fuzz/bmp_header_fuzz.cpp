// The BMP reader over any file: refused with EPictureError, or read into a bitmap whose every
// pixel can be reached, and then placeable in a PDF.
#include "fuzz_support.h"
#include "pdf/images/bitmap.h"
#include "pdf/images/pdf_image_creator.h"
#include "pdf/images/picture.h"
#include "pdf/objects/pdf_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kelvora::pdf;
    TBitmap bitmap;
    try {
        bitmap.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const EPictureError&) {
        return 0;
    }
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0)
        kelvora::fuzz::fail("bitmap accepted without a size");
    const bool indexed = bitmap.PixelFormat() != TPixelFormat::pf24bit;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (!indexed) {
                (void)bitmap.PixelColor(x, y);
                continue;
            }
            // An index past the palette is the file's fault; the reader must have refused it
            // or the PDF image must cope, but never read outside the palette here.
            const int index = bitmap.PixelIndex(x, y);
            if (index < 0)
                kelvora::fuzz::fail("negative palette index");
        }
    try {
        (void)CreatePdfImage(bitmap, u"Pdf-Bitmap");
    } catch (const kelvora::pdf::EPdfError&) {
        // A format the PDF writer declines is a refusal, not a fault.
    }
    return 0;
}
