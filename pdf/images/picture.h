// A picture loaded from a file by its extension, and the formats it knows.
#pragma once

#include "pdf/images/graphic.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::pdf
{

// Which graphic kind a file extension loads as; a copy per picture, so no shared state.
class TPictureFormats
{
public:
    struct TFormat {
        std::string Extension;
        std::u16string Description;
        TGraphicKind Kind;
    };

    // jpg, jpeg, jpe and jfif as JPEG; bmp as bitmap.
    TPictureFormats();

    // Adds or replaces an extension (without the dot, any case).
    void RegisterFileFormat(std::string_view AExtension, std::u16string ADescription,
                            TGraphicKind AKind);
    void RegisterJpegExtension(std::string_view AExtension, std::u16string ADescription)
    {
        RegisterFileFormat(AExtension, std::move(ADescription), TGraphicKind::gkJpeg);
    }
    // The format of a file name's extension, or null.
    const TFormat* FindByFileName(std::string_view AFileName) const;
    const std::vector<TFormat>& Formats() const { return FFormats; }

private:
    std::vector<TFormat> FFormats;
};

// Holds one graphic, loaded from a file by its extension or assigned.
class TPicture
{
public:
    TPicture() = default;
    TPicture(const TPicture& AOther);
    TPicture& operator=(const TPicture& AOther);

    // EPictureError for an unknown extension, a missing file or undecodable content.
    void LoadFromFile(const std::string& AFileName);
    void Assign(const TGraphic& AGraphic) { FGraphic = AGraphic.Clone(); }
    void Clear() { FGraphic.reset(); }

    const TGraphic* Graphic() const { return FGraphic.get(); }
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }
    TPictureFormats& Formats() { return FFormats; }
    const TPictureFormats& Formats() const { return FFormats; }

private:
    TPictureFormats FFormats;
    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace kelvora::pdf
