#include "pdf/images/bitmap.h"

#include <cstring>
#include <limits>

namespace kelvora::pdf
{

namespace
{

constexpr int kMaxSide = 1 << 15;

std::uint32_t ReadU32(const std::string& S, std::size_t AOffset)
{
    auto b = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(S[AOffset + i]));
    };
    return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

std::uint16_t ReadU16(const std::string& S, std::size_t AOffset)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(S[AOffset]) |
                                      (static_cast<unsigned char>(S[AOffset + 1]) << 8));
}

TPixelFormat FormatOfDepth(int ABits)
{
    switch (ABits) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    case 24:
        return TPixelFormat::pf24bit;
    default:
        throw EPictureError("Bitmap image is not valid");
    }
}

} // namespace

TBitmap::TBitmap(int AWidth, int AHeight, TPixelFormat APixelFormat)
    : FWidth(AWidth), FHeight(AHeight), FPixelFormat(APixelFormat)
{
    if (AWidth < 0 || AHeight < 0 || AWidth > kMaxSide || AHeight > kMaxSide)
        throw EPictureError("Bitmap image is not valid");
    FPixels.assign(RowBytes() * static_cast<std::size_t>(AHeight), 0);
}

int TBitmap::BitsPerPixel() const
{
    switch (FPixelFormat) {
    case TPixelFormat::pf1bit:
        return 1;
    case TPixelFormat::pf4bit:
        return 4;
    case TPixelFormat::pf8bit:
        return 8;
    case TPixelFormat::pf24bit:
        return 24;
    }
    return 24;
}

std::size_t TBitmap::RowBytes() const
{
    return (static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(BitsPerPixel()) + 7) / 8;
}

std::uint8_t* TBitmap::ScanLine(int ARow)
{
    return FPixels.data() + RowBytes() * static_cast<std::size_t>(ARow);
}

const std::uint8_t* TBitmap::ScanLine(int ARow) const
{
    return FPixels.data() + RowBytes() * static_cast<std::size_t>(ARow);
}

int TBitmap::PixelIndex(int AX, int AY) const
{
    const std::uint8_t* row = ScanLine(AY);
    switch (FPixelFormat) {
    case TPixelFormat::pf1bit:
        return (row[AX / 8] >> (7 - AX % 8)) & 1;
    case TPixelFormat::pf4bit:
        return AX % 2 == 0 ? row[AX / 2] >> 4 : row[AX / 2] & 0x0F;
    case TPixelFormat::pf8bit:
        return row[AX];
    case TPixelFormat::pf24bit:
        break;
    }
    return 0;
}

void TBitmap::SetPixelIndex(int AX, int AY, int AIndex)
{
    std::uint8_t* row = ScanLine(AY);
    auto v = static_cast<std::uint8_t>(AIndex);
    switch (FPixelFormat) {
    case TPixelFormat::pf1bit: {
        auto mask = static_cast<std::uint8_t>(0x80 >> (AX % 8));
        row[AX / 8] = static_cast<std::uint8_t>((row[AX / 8] & ~mask) | ((v & 1) ? mask : 0));
        break;
    }
    case TPixelFormat::pf4bit:
        if (AX % 2 == 0)
            row[AX / 2] = static_cast<std::uint8_t>((row[AX / 2] & 0x0F) | ((v & 0x0F) << 4));
        else
            row[AX / 2] = static_cast<std::uint8_t>((row[AX / 2] & 0xF0) | (v & 0x0F));
        break;
    case TPixelFormat::pf8bit:
        row[AX] = v;
        break;
    case TPixelFormat::pf24bit:
        break;
    }
}

TPaletteEntry TBitmap::PixelColor(int AX, int AY) const
{
    const std::uint8_t* p = ScanLine(AY) + static_cast<std::size_t>(AX) * 3;
    return {p[2], p[1], p[0]};
}

void TBitmap::SetPixelColor(int AX, int AY, TPaletteEntry AColor)
{
    std::uint8_t* p = ScanLine(AY) + static_cast<std::size_t>(AX) * 3;
    p[0] = AColor.Blue;
    p[1] = AColor.Green;
    p[2] = AColor.Red;
}

void TBitmap::LoadFromFile(const std::string& AFileName)
{
    LoadFromBytes(ReadPictureFile(AFileName));
}

void TBitmap::LoadFromBytes(const std::string& ABytes)
{
    if (ABytes.size() < 54 || ABytes[0] != 'B' || ABytes[1] != 'M')
        throw EPictureError("Bitmap image is not valid");
    std::uint32_t data_offset = ReadU32(ABytes, 10);
    std::uint32_t header_size = ReadU32(ABytes, 14);
    auto width = static_cast<std::int32_t>(ReadU32(ABytes, 18));
    auto height = static_cast<std::int32_t>(ReadU32(ABytes, 22));
    int bits = ReadU16(ABytes, 28);
    std::uint32_t compression = ReadU32(ABytes, 30);
    std::uint32_t colors_used = ReadU32(ABytes, 46);
    // -2^31 cannot be negated; it is no real height anyway.
    if (height == std::numeric_limits<std::int32_t>::min())
        throw EPictureError("Bitmap image is not valid");
    bool top_down = height < 0;
    if (top_down)
        height = -height;
    if (header_size < 40 || compression != 0 || width <= 0 || height <= 0 || width > kMaxSide ||
        height > kMaxSide)
        throw EPictureError("Bitmap image is not valid");
    const TPixelFormat format = FormatOfDepth(bits);
    // The header's size must be backed by the file before any pixel memory is taken: 54 bytes
    // may announce 32768 x 32768 pixels (3 GB).
    const std::size_t row_bytes =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 7) / 8;
    const std::size_t stride = (row_bytes + 3) & ~static_cast<std::size_t>(3);
    if (data_offset > ABytes.size() ||
        stride * static_cast<std::size_t>(height) > ABytes.size() - data_offset)
        throw EPictureError("Bitmap image is not valid");
    TBitmap bitmap(width, height, format);

    if (bits <= 8) {
        std::uint32_t count = colors_used != 0 ? colors_used : (1u << bits);
        if (count > (1u << bits))
            throw EPictureError("Bitmap image is not valid");
        std::size_t palette_at = 14 + static_cast<std::size_t>(header_size);
        if (palette_at + count * 4 > ABytes.size())
            throw EPictureError("Bitmap image is not valid");
        std::vector<TPaletteEntry> palette(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto* q =
                reinterpret_cast<const unsigned char*>(ABytes.data()) + palette_at + i * 4;
            palette[i] = {q[2], q[1], q[0]};
        }
        bitmap.SetPalette(std::move(palette));
    }

    for (int y = 0; y < height; ++y) {
        int source_row = top_down ? y : height - 1 - y;
        std::memcpy(bitmap.ScanLine(y),
                    ABytes.data() + data_offset + stride * static_cast<std::size_t>(source_row),
                    row_bytes);
    }
    *this = std::move(bitmap);
}

} // namespace kelvora::pdf
