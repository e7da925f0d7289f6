// An uncompressed bitmap: pixel format, palette and rows.
#pragma once

#include "pdf/images/graphic.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvora::pdf
{

enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf24bit };

struct TPaletteEntry {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    bool operator==(const TPaletteEntry&) const = default;
};

// Uncompressed pixels in rows from the top; indexed formats carry a palette.
// 24-bit rows hold blue, green, red per pixel, as the platform stores them.
class TBitmap : public TGraphic
{
public:
    TBitmap() = default;
    TBitmap(int AWidth, int AHeight, TPixelFormat APixelFormat);

    // Reads an uncompressed BMP file of 1, 4, 8 or 24 bits per pixel.
    void LoadFromFile(const std::string& AFileName);
    void LoadFromBytes(const std::string& ABytes);

    TGraphicKind Kind() const override { return TGraphicKind::gkBitmap; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    int BitsPerPixel() const;
    std::size_t RowBytes() const;

    const std::vector<TPaletteEntry>& Palette() const { return FPalette; }
    void SetPalette(std::vector<TPaletteEntry> APalette) { FPalette = std::move(APalette); }

    std::uint8_t* ScanLine(int ARow);
    const std::uint8_t* ScanLine(int ARow) const;
    // Palette index of a pixel of an indexed bitmap.
    int PixelIndex(int AX, int AY) const;
    void SetPixelIndex(int AX, int AY, int AIndex);
    // Colour of a pixel of a 24-bit bitmap.
    TPaletteEntry PixelColor(int AX, int AY) const;
    void SetPixelColor(int AX, int AY, TPaletteEntry AColor);

    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }

private:
    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = TPixelFormat::pf24bit;
    std::vector<TPaletteEntry> FPalette;
    std::vector<std::uint8_t> FPixels;
};

} // namespace kelvora::pdf
