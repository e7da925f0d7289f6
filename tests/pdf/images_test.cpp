#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/images/bitmap.h"
#include "pdf/images/jpeg_image.h"
#include "pdf/images/pdf_image_creator.h"
#include "pdf/images/picture.h"
#include "pdf/images/pr_image.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf_check.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace kelvora::pdf
{
namespace
{

using test::FixturePath;
using test::ReadFixture;

std::string Written(TPdfObject& AObject)
{
    TPdfMemoryStream out;
    AObject.WriteToStream(out);
    return std::string(out.Data());
}

TJPEGImage LoadJpeg(const std::string& AFixture)
{
    TJPEGImage jpeg;
    jpeg.LoadFromFile(FixturePath(AFixture));
    return jpeg;
}

// A file copied under another name, removed afterwards.
class TCopiedFixture
{
public:
    TCopiedFixture(const std::string& AFixture, const std::string& AName)
        : FPath(std::filesystem::temp_directory_path() / AName)
    {
        std::filesystem::copy_file(FixturePath(AFixture), FPath,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    ~TCopiedFixture() { std::filesystem::remove(FPath); }
    std::string Path() const { return FPath.string(); }

private:
    std::filesystem::path FPath;
};

// An uncompressed BMP file in memory, rows bottom-up and padded to four bytes.
std::string MakeBmp(int AWidth, int AHeight, int ABits, const std::vector<std::uint32_t>& APalette,
                    const std::vector<std::vector<std::uint8_t>>& ARowsTopDown)
{
    auto u32 = [](std::string& s, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [](std::string& s, std::uint16_t v) {
        s.push_back(static_cast<char>(v & 0xFF));
        s.push_back(static_cast<char>(v >> 8));
    };
    std::size_t stride = ((static_cast<std::size_t>(AWidth) * ABits + 7) / 8 + 3) & ~3u;
    std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(APalette.size()) * 4;
    std::string s = "BM";
    u32(s, offset + static_cast<std::uint32_t>(stride * AHeight));
    u32(s, 0);
    u32(s, offset);
    u32(s, 40);
    u32(s, static_cast<std::uint32_t>(AWidth));
    u32(s, static_cast<std::uint32_t>(AHeight));
    u16(s, 1);
    u16(s, static_cast<std::uint16_t>(ABits));
    for (int i = 0; i < 6; ++i)
        u32(s, i == 4 ? static_cast<std::uint32_t>(APalette.size()) : 0);
    for (std::uint32_t rgb : APalette)
        u32(s, rgb);
    for (int y = AHeight - 1; y >= 0; --y) {
        std::string row(ARowsTopDown[static_cast<std::size_t>(y)].begin(),
                        ARowsTopDown[static_cast<std::size_t>(y)].end());
        row.resize(stride, '\0');
        s += row;
    }
    return s;
}

TEST(JpegImage, KeepsTheFileAndDescribesIt)
{
    TJPEGImage jpeg = LoadJpeg("color_200x100.jpg");
    auto image = CreatePdfImage(jpeg, u"Pdf-Jpeg");
    std::string file = ReadFixture("color_200x100.jpg");
    EXPECT_EQ(Written(*image),
              "<<\r\n/Length " + std::to_string(file.size()) +
                  "\r\n/Filter [/DCTDecode ]\r\n/Type /XObject\r\n/Subtype /Image\r\n"
                  "/ColorSpace /DeviceRGB\r\n/Width 200\r\n/Height 100\r\n"
                  "/BitsPerComponent 8\r\n>>\r\nstream\r\n" +
                  file + "\nendstream");
}

TEST(JpegImage, GrayscaleFileIsDeviceGray)
{
    TJPEGImage jpeg = LoadJpeg("gray_16x8.jpg");
    EXPECT_TRUE(jpeg.Grayscale());
    EXPECT_EQ(jpeg.Width(), 16);
    EXPECT_EQ(jpeg.Height(), 8);
    auto image = CreatePdfImage(jpeg, u"Pdf-Jpeg");
    EXPECT_NE(Written(*image).find("/ColorSpace /DeviceGray\r\n"), std::string::npos);
}

// A CMYK JPEG without Adobe marker, written with libjpeg: ImageMagick always writes four
// components as YCCK behind an Adobe marker, so it cannot make this kind.
std::string PlainCmykJpeg(int AWidth, int AHeight, std::array<std::uint8_t, 4> ACmyk)
{
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(AWidth);
    info.image_height = static_cast<JDIMENSION>(AHeight);
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    info.write_Adobe_marker = FALSE;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row;
    for (int x = 0; x < AWidth; ++x)
        row.insert(row.end(), ACmyk.begin(), ACmyk.end());
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height)
        jpeg_write_scanlines(&info, rows, 1);
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

struct TCmykCase {
    const char* Label;
    std::function<std::string()> Make;
    bool Inverted;
    test::TRgb Colour; // of the source, in RGB
    friend void PrintTo(const TCmykCase& c, std::ostream* os) { *os << c.Label; }
};

class CmykJpeg : public ::testing::TestWithParam<TCmykCase>
{
};

TEST_P(CmykJpeg, IsDeclaredCmykAndRendersInItsOwnColours)
{
    const std::string file = GetParam().Make();
    ASSERT_FALSE(file.empty());
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(file);
    auto image = CreatePdfImage(jpeg, u"Pdf-Jpeg");
    EXPECT_NE(Written(*image).find(
                  "/ColorSpace /DeviceCMYK\r\n/Width 16\r\n/Height 8\r\n"
                  "/BitsPerComponent 8\r\n" +
                  std::string(GetParam().Inverted ? "/Decode [1 0 1 0 1 0 1 0 ]\r\n>>" : ">>")),
              std::string::npos)
        << Written(*image).substr(0, 200);

    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.AddXObject(u"logo", std::move(image));
    doc.Canvas().DrawXObject(0, 0, 596, 842, u"logo");
    const std::optional<test::TRgb> pixel = test::RenderedPixel(test::SaveToBytes(doc), 0.5, 0.5);
    ASSERT_TRUE(pixel.has_value());
    // Viewers turn CMYK into RGB through their own ink model: close, not equal.
    const test::TRgb want = GetParam().Colour;
    EXPECT_NEAR(pixel->R, want.R, 40);
    EXPECT_NEAR(pixel->G, want.G, 40);
    EXPECT_NEAR(pixel->B, want.B, 40);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CmykJpeg,
    ::testing::Values(TCmykCase{"adobe_inverted_by_imagemagick",
                                [] {
                                    return test::MadeByImageMagick(
                                        "-size 16x8 'xc:cmyk(0,255,255,0)' -colorspace CMYK",
                                        ".jpg");
                                },
                                true,
                                {255, 0, 0}},
                      TCmykCase{"plain_without_adobe_marker",
                                [] {
                                    return PlainCmykJpeg(16, 8, {0, 0, 255, 0});
                                },
                                false,
                                {255, 255, 0}}),
    [](const auto& info) { return std::string(info.param.Label); });

TEST(JpegImage, UnreadableDataFailsInThePictureLayer)
{
    TJPEGImage jpeg;
    EXPECT_THROW(jpeg.LoadFromBytes(""), EPictureError);
    EXPECT_THROW(jpeg.LoadFromBytes("not a jpeg at all"), EPictureError);
    std::string truncated = ReadFixture("color_200x100.jpg").substr(0, 20);
    EXPECT_THROW(jpeg.LoadFromBytes(truncated), EPictureError);
    EXPECT_THROW(jpeg.LoadFromFile(FixturePath("missing.jpg")), EPictureError);
}

TEST(ImageCreators, UnknownNameAndWrongKindsAreRefused)
{
    TJPEGImage jpeg = LoadJpeg("color_200x100.jpg");
    TBitmap bitmap(2, 2, TPixelFormat::pf24bit);
    try {
        CreatePdfImage(jpeg, u"Pdf-Png");
        FAIL();
    } catch (const EPdfClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Classe Pdf-Png non trouvée");
    }
    try {
        CreatePdfImage(bitmap, u"Pdf-Jpeg");
        FAIL();
    } catch (const EPdfInvalidValue& e) {
        EXPECT_STREQ(e.what(), "only jpeg image is allowed.");
    }
    EXPECT_THROW(CreatePdfImage(jpeg, u"Pdf-Bitmap"), EPdfInvalidImageFormat);
    EXPECT_EQ(TPdfImageCreator().CreateImage(jpeg), nullptr);
}

TEST(BitmapImage, TwentyFourBitsAreWrittenRedGreenBlue)
{
    TBitmap bitmap(2, 1, TPixelFormat::pf24bit);
    bitmap.SetPixelColor(0, 0, {0xFF, 0, 0});
    bitmap.SetPixelColor(1, 0, {0, 0, 0xFF});
    auto image = CreatePdfImage(bitmap, u"Pdf-Bitmap");
    static const char expected[] = "<<\r\n/Length 6\r\n/Filter []\r\n/Type /XObject\r\n"
                                   "/Subtype /Image\r\n/ColorSpace /DeviceRGB\r\n"
                                   "/Width 2\r\n/Height 1\r\n/BitsPerComponent 8\r\n>>"
                                   "\r\nstream\r\n\xFF\0\0\0\0\xFF\nendstream";
    EXPECT_EQ(Written(*image), std::string(expected, sizeof expected - 1));
}

TEST(BitmapImage, FourBitsBecomeIndexedBytesWithAFullTable)
{
    TBitmap bitmap(3, 2, TPixelFormat::pf4bit);
    bitmap.SetPalette({{0, 0, 0}, {0xFF, 0xFF, 0xFF}, {0x12, 0xAB, 0xCD}});
    bitmap.SetPixelIndex(0, 0, 2);
    bitmap.SetPixelIndex(1, 0, 1);
    bitmap.SetPixelIndex(2, 1, 2);
    auto image = CreatePdfImage(bitmap, u"Pdf-Bitmap");
    std::string body = Written(*image);
    std::string table = "<000000 FFFFFF 12ABCD ";
    for (int i = 3; i < 256; ++i)
        table += "000000 ";
    table += ">";
    EXPECT_NE(body.find("/ColorSpace [/Indexed /DeviceRGB 255 " + table + " ]\r\n"),
              std::string::npos);
    EXPECT_NE(body.find(std::string("stream\r\n\x02\x01\0\0\0\x02\nendstream", 18)),
              std::string::npos);
}

TEST(BitmapImage, IndexedPictureWithoutPaletteFails)
{
    TBitmap bitmap(1, 1, TPixelFormat::pf8bit);
    try {
        CreatePdfImage(bitmap, u"Pdf-Bitmap");
        FAIL();
    } catch (const EPdfInvalidImageFormat& e) {
        EXPECT_STREQ(e.what(), "failed to get Palette..");
    }
}

// Loads ABytes with 256 MB of address space to spare; exits 0 only when the file is refused.
[[noreturn]] void LoadWithLittleMemory(const std::string& ABytes)
{
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    statm >> pages;
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max =
        pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (256ull << 20);
    setrlimit(RLIMIT_AS, &limit);
    try {
        TBitmap bitmap;
        bitmap.LoadFromBytes(ABytes);
    } catch (const EPictureError&) {
        std::_Exit(0);
    }
    std::_Exit(1);
}

// 54 bytes announcing 32768 x 32768 pixels of 24 bits (3 GB): taking the pixels before
// looking at the file's length fails in the bounded child.
TEST(BitmapFileDeathTest, HeaderLargerThanTheFileIsRefusedBeforeMemoryIsTaken)
{
    std::string header = MakeBmp(1, 1, 24, {}, {{0, 0, 0}}).substr(0, 54);
    for (std::size_t at : {18u, 22u})
        header.replace(at, 4, std::string("\x00\x80\x00\x00", 4));
    EXPECT_EXIT(LoadWithLittleMemory(header), ::testing::ExitedWithCode(0), "");
}

TEST(BitmapFile, ReadsBottomUpRowsAndPalettes)
{
    TBitmap rgb;
    rgb.LoadFromBytes(MakeBmp(2, 2, 24, {}, {{0, 0, 0xFF, 0, 0xFF, 0}, {0xFF, 0, 0, 1, 2, 3}}));
    EXPECT_EQ(rgb.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(rgb.PixelColor(0, 0), (TPaletteEntry{0xFF, 0, 0}));
    EXPECT_EQ(rgb.PixelColor(1, 0), (TPaletteEntry{0, 0xFF, 0}));
    EXPECT_EQ(rgb.PixelColor(1, 1), (TPaletteEntry{3, 2, 1}));

    TBitmap mono;
    mono.LoadFromBytes(MakeBmp(9, 1, 1, {0x000000, 0xFFFFFF}, {{0b10100000, 0b10000000}}));
    EXPECT_EQ(mono.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(mono.Palette().size(), 2u);
    EXPECT_EQ(mono.PixelIndex(0, 0), 1);
    EXPECT_EQ(mono.PixelIndex(1, 0), 0);
    EXPECT_EQ(mono.PixelIndex(8, 0), 1);

    TBitmap bad;
    EXPECT_THROW(bad.LoadFromBytes("BM"), EPictureError);
    std::string cut = MakeBmp(4, 4, 24, {}, std::vector<std::vector<std::uint8_t>>(4));
    cut.resize(cut.size() - 10);
    EXPECT_THROW(bad.LoadFromBytes(cut), EPictureError);
    // A height of -2^31 has no positive counterpart; it must be refused, not negated.
    std::string lowest = MakeBmp(1, 1, 24, {}, {{0, 0, 0}});
    lowest.replace(22, 4, std::string("\x00\x00\x00\x80", 4));
    EXPECT_THROW(bad.LoadFromBytes(lowest), EPictureError);
}

TEST(PictureFormats, ExtensionChoosesTheGraphicKind)
{
    TCopiedFixture logo("color_200x100.jpg", "attest.vqi");
    TPicture picture;
    try {
        picture.LoadFromFile(logo.Path());
        FAIL();
    } catch (const EPictureError& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.vqi)");
    }
    picture.Formats().RegisterJpegExtension("vqi", u"Fichier image JPEG");
    picture.LoadFromFile(logo.Path());
    ASSERT_NE(dynamic_cast<const TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 200);
    EXPECT_EQ(picture.Height(), 100);

    TCopiedFixture upper("color_200x100.jpg", "LOGO.JPG");
    TPicture other;
    other.LoadFromFile(upper.Path());
    EXPECT_EQ(other.Width(), 200);
    EXPECT_THROW(other.LoadFromFile(FixturePath("missing.jpg")), EPictureError);
}

TEST(PictureHolders, AcceptOnlyTheirKindThroughThePictureProperty)
{
    TPRJpegImage jpeg_holder;
    EXPECT_TRUE(jpeg_holder.Printable());
    EXPECT_TRUE(jpeg_holder.SharedImage());
    EXPECT_TRUE(jpeg_holder.Stretch());
    EXPECT_EQ(jpeg_holder.Width(), 100);
    EXPECT_EQ(jpeg_holder.Height(), 30);

    TPicture bitmap_picture;
    bitmap_picture.Assign(TBitmap(1, 1, TPixelFormat::pf24bit));
    TPicture jpeg_picture;
    jpeg_picture.Assign(LoadJpeg("color_200x100.jpg"));
    try {
        jpeg_holder.SetPicture(bitmap_picture);
        FAIL();
    } catch (const EPdfError& e) {
        EXPECT_STREQ(e.what(), "only jpeg image is allowed.");
    }
    jpeg_holder.SetPicture(jpeg_picture);
    EXPECT_EQ(jpeg_holder.Picture().Width(), 200);

    TPRImage bitmap_holder;
    try {
        bitmap_holder.SetPicture(jpeg_picture);
        FAIL();
    } catch (const EPdfError& e) {
        EXPECT_STREQ(e.what(), "only bitmap image is allowed.");
    }
    bitmap_holder.SetPicture(bitmap_picture);
    EXPECT_EQ(bitmap_holder.Picture().Width(), 1);
}

TEST(ImagesInADocument, LogoAndBitmapsMakeAValidFile)
{
    TPRJpegImage holder;
    TCopiedFixture logo("color_200x100.jpg", "attest.vqi");
    holder.Picture().Formats().RegisterJpegExtension("vqi", u"Fichier image JPEG");
    holder.Picture().LoadFromFile(logo.Path());

    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    doc.AddXObject(u"logo_sante", CreatePdfImage(*holder.Picture().Graphic(), u"Pdf-Jpeg"));
    TBitmap rgb(2, 1, TPixelFormat::pf24bit);
    rgb.SetPixelColor(0, 0, {0xFF, 0, 0});
    doc.AddXObject(u"rgb", CreatePdfImage(rgb, u"Pdf-Bitmap"));
    TBitmap indexed(3, 2, TPixelFormat::pf4bit);
    indexed.SetPalette({{0, 0, 0}, {0xFF, 0xFF, 0xFF}});
    doc.AddXObject(u"indexed", CreatePdfImage(indexed, u"Pdf-Bitmap"));
    doc.AddXObject(u"gray", CreatePdfImage(LoadJpeg("gray_16x8.jpg"), u"Pdf-Jpeg"));

    const float percent = 5000.0f / static_cast<float>(holder.Picture().Height());
    const float width = static_cast<float>(holder.Picture().Width()) * percent / 100;
    doc.Canvas().DrawXObject(15, 777, width, 50, u"logo_sante");
    doc.Canvas().DrawXObject(15, 700, 20, 10, u"rgb");
    doc.Canvas().DrawXObject(45, 700, 30, 20, u"indexed");
    doc.Canvas().DrawXObject(85, 700, 16, 8, u"gray");
    doc.Canvas().TextOut(15, 650, u"Images insérées");
    std::string bytes = test::SaveToBytes(doc);
    EXPECT_NE(bytes.find("7 0 obj\r\n<<\r\n/Length"), std::string::npos);
    EXPECT_NE(bytes.find("q\n100 0 0 50 15 777 cm\n/logo_sante Do\nQ\n"), std::string::npos);
    EXPECT_TRUE(test::IsReadablePdf(bytes, {"Images insérées"}));
}

} // namespace
} // namespace kelvora::pdf
