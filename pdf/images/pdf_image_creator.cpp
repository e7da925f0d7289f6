#include "pdf/images/pdf_image_creator.h"

#include "pdf/images/bitmap.h"
#include "pdf/images/jpeg_image.h"
#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_binary.h"
#include "pdf/objects/pdf_encoding.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_number.h"

namespace kelvora::pdf
{

namespace
{

using TImageCreatorClass = std::unique_ptr<TPdfImageCreator> (*)();

template <typename T> std::unique_ptr<TPdfImageCreator> Construct()
{
    return std::make_unique<T>();
}

struct TCreatorRegistration {
    std::u16string_view Name;
    TImageCreatorClass Class;
};

// The image creator registry: fixed at first use, never changed afterwards.
const std::vector<TCreatorRegistration>& ImageCreatorRegistry()
{
    static const std::vector<TCreatorRegistration> registry = {
        {u"Pdf-Bitmap", &Construct<TPdfBitmapImage>},
        {u"Pdf-Jpeg", &Construct<TPdfJpegImage>},
    };
    return registry;
}

void AddImageEntries(TPdfImage& AImage, int AWidth, int AHeight)
{
    AImage.Attributes().AddNumberItem(u"Width", AWidth);
    AImage.Attributes().AddNumberItem(u"Height", AHeight);
    AImage.Attributes().AddNumberItem(u"BitsPerComponent", 8);
}

const char16_t* JpegColorSpaceName(TJpegColorSpace AColorSpace)
{
    switch (AColorSpace) {
    case TJpegColorSpace::Gray:
        return u"DeviceGray";
    case TJpegColorSpace::CMYK:
        return u"DeviceCMYK";
    case TJpegColorSpace::RGB:
        break;
    }
    return u"DeviceRGB";
}

} // namespace

std::unique_ptr<TPdfImage> TPdfImageCreator::CreateImage(const TGraphic&)
{
    return nullptr;
}

std::unique_ptr<TPdfArray> TPdfImageCreator::PaletteColorSpace(const TBitmap& ABitmap) const
{
    if (ABitmap.PixelFormat() != TPixelFormat::pf8bit)
        throw EPdfInvalidImageFormat("only 8 bit color image is allowed.");
    const auto& palette = ABitmap.Palette();
    if (palette.empty())
        throw EPdfInvalidImageFormat("failed to get Palette..");
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string table = "<";
    table.reserve(1 + 256 * 7 + 1);
    for (std::size_t i = 0; i < 256; ++i) {
        // Entries past the bitmap's own palette are black.
        TPaletteEntry e = i < palette.size() ? palette[i] : TPaletteEntry{};
        for (std::uint8_t c : {e.Red, e.Green, e.Blue}) {
            table.push_back(kHex[c >> 4]);
            table.push_back(kHex[c & 0xF]);
        }
        table.push_back(' ');
    }
    table.push_back('>');
    auto binary = TPdfBinary::Create();
    binary->Stream().Write(table);
    auto array = TPdfArray::CreateArray(nullptr);
    array->AddItem(TPdfName::CreateName(u"Indexed"));
    array->AddItem(TPdfName::CreateName(u"DeviceRGB"));
    array->AddItem(TPdfNumber::CreateNumber(255));
    array->AddItem(std::move(binary));
    return array;
}

std::unique_ptr<TPdfImage> TPdfJpegImage::CreateImage(const TGraphic& AImage)
{
    if (AImage.Kind() != TGraphicKind::gkJpeg)
        throw EPdfInvalidValue("only jpeg image is allowed.");
    const auto& jpeg = static_cast<const TJPEGImage&>(AImage);
    auto image = TPdfImage::CreateStream(nullptr);
    // The file's bytes are shared, not copied: they are copied once, into the document.
    image->Stream().Share(jpeg.Bytes());
    TPdfDictionary& attrs = image->Attributes();
    attrs.AddNameItem(u"Type", u"XObject");
    attrs.AddNameItem(u"Subtype", u"Image");
    attrs.AddNameItem(u"ColorSpace", JpegColorSpaceName(jpeg.ColorSpace()));
    AddImageEntries(*image, jpeg.Width(), jpeg.Height());
    if (jpeg.AdobeInverted())
        attrs.AddItem(u"Decode", TPdfArray::CreateNumArray(nullptr, {1, 0, 1, 0, 1, 0, 1, 0}));
    attrs.PdfArrayByName(u"Filter")->AddItem(TPdfName::CreateName(u"DCTDecode"));
    return image;
}

std::unique_ptr<TPdfImage> TPdfBitmapImage::CreateImage(const TGraphic& AImage)
{
    // Pixels are never decoded from other kinds (a JPEG goes through "Pdf-Jpeg").
    if (AImage.Kind() != TGraphicKind::gkBitmap)
        throw EPdfInvalidImageFormat("only bitmap image is allowed.");
    const auto* source = static_cast<const TBitmap*>(&AImage);
    auto image = TPdfImage::CreateStream(nullptr);
    TPdfDictionary& attrs = image->Attributes();
    attrs.AddNameItem(u"Type", u"XObject");
    attrs.AddNameItem(u"Subtype", u"Image");
    const int width = source->Width();
    const int height = source->Height();
    TPdfMemoryStream& data = image->Stream();
    if (source->PixelFormat() != TPixelFormat::pf24bit) {
        // Widen 1- and 4-bit pictures to one palette index per byte.
        TBitmap indexed(width, height, TPixelFormat::pf8bit);
        indexed.SetPalette(source->Palette());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                indexed.SetPixelIndex(x, y, source->PixelIndex(x, y));
            data.Write(indexed.ScanLine(y), static_cast<std::size_t>(width));
        }
        attrs.AddItem(u"ColorSpace", PaletteColorSpace(indexed));
    } else {
        std::string row(static_cast<std::size_t>(width) * 3, '\0');
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* p = source->ScanLine(y);
            for (std::size_t i = 0; i < row.size(); i += 3) {
                row[i] = static_cast<char>(p[i + 2]);
                row[i + 1] = static_cast<char>(p[i + 1]);
                row[i + 2] = static_cast<char>(p[i]);
            }
            data.Write(row);
        }
        attrs.AddNameItem(u"ColorSpace", u"DeviceRGB");
    }
    AddImageEntries(*image, width, height);
    return image;
}

std::unique_ptr<TPdfImage> CreatePdfImage(const TGraphic& AImage,
                                          std::u16string_view AImageClassName)
{
    for (const auto& r : ImageCreatorRegistry()) {
        if (r.Name == AImageClassName) {
            std::unique_ptr<TPdfImageCreator> creator = r.Class();
            return creator->CreateImage(AImage);
        }
    }
    throw EPdfClassNotFound("Classe " + Utf16ToUtf8(AImageClassName) + " non trouvée");
}

std::vector<std::u16string> RegisteredImageCreators()
{
    std::vector<std::u16string> names;
    for (const auto& r : ImageCreatorRegistry())
        names.emplace_back(r.Name);
    return names;
}

} // namespace kelvora::pdf
