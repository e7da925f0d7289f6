#include "pdf/images/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace kelvora::pdf
{

namespace
{

struct TJpegErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr AInfo)
{
    auto* err = reinterpret_cast<TJpegErrorManager*>(AInfo->err);
    (*AInfo->err->format_message)(AInfo, err->Message);
    std::longjmp(err->Jump, 1);
}

extern "C" void JpegSilence(j_common_ptr) {}

struct THeader {
    int Width = 0;
    int Height = 0;
    TJpegColorSpace ColorSpace = TJpegColorSpace::RGB;
    bool AdobeInverted = false;
};

// Plain C-style on purpose: libjpeg reports errors by longjmp, which must not skip
// C++ destructors, so nothing here owns anything but the decompressor.
bool ReadHeader(const unsigned char* AData, unsigned long ASize, THeader* AOut, char* AMessage)
{
    jpeg_decompress_struct info;
    TJpegErrorManager err;
    info.err = jpeg_std_error(&err.Public);
    err.Public.error_exit = JpegErrorExit;
    err.Public.output_message = JpegSilence;
    err.Message[0] = 0;
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(AMessage, JMSG_LENGTH_MAX, "%s", err.Message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, AData, ASize);
    jpeg_read_header(&info, TRUE);
    AOut->Width = static_cast<int>(info.image_width);
    AOut->Height = static_cast<int>(info.image_height);
    // Four components are CMYK, or YCCK that the viewer's decoder turns back into CMYK.
    if (info.jpeg_color_space == JCS_GRAYSCALE)
        AOut->ColorSpace = TJpegColorSpace::Gray;
    else if (info.num_components == 4)
        AOut->ColorSpace = TJpegColorSpace::CMYK;
    AOut->AdobeInverted = info.num_components == 4 && info.saw_Adobe_marker;
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

void TJPEGImage::LoadFromFile(const std::string& AFileName)
{
    LoadFromBytes(ReadPictureFile(AFileName));
}

void TJPEGImage::LoadFromBytes(std::string ABytes)
{
    if (ABytes.empty())
        throw EPictureError("JPEG error: empty input file");
    THeader header;
    char message[JMSG_LENGTH_MAX];
    if (!ReadHeader(reinterpret_cast<const unsigned char*>(ABytes.data()),
                    static_cast<unsigned long>(ABytes.size()), &header, message))
        throw EPictureError(std::string("JPEG error: ") + message);
    FData = std::make_shared<const std::string>(std::move(ABytes));
    FWidth = header.Width;
    FHeight = header.Height;
    FColorSpace = header.ColorSpace;
    FAdobeInverted = header.AdobeInverted;
}

} // namespace kelvora::pdf
