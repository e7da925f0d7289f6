// The logo's JPEG header reader over any file: refused with EPictureError, or read with a
// positive size, and then placeable in a PDF as the certificate places it.
#include "fuzz_support.h"
#include "pdf/images/jpeg_image.h"
#include "pdf/images/pdf_image_creator.h"
#include "pdf/images/picture.h"
#include "pdf/objects/pdf_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kelvora::pdf::TJPEGImage image;
    try {
        image.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const kelvora::pdf::EPictureError&) {
        return 0;
    }
    if (image.Width() <= 0 || image.Height() <= 0)
        kelvora::fuzz::fail("JPEG accepted without a size");
    if (image.Data().size() != size)
        kelvora::fuzz::fail("JPEG bytes not kept whole");
    try {
        (void)kelvora::pdf::CreatePdfImage(image, u"Pdf-Jpeg");
    } catch (const kelvora::pdf::EPdfError&) {
        // A format the PDF writer declines is a refusal, not a fault.
    }
    return 0;
}
