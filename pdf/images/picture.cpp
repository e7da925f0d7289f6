#include "pdf/images/picture.h"

#include "pdf/images/bitmap.h"
#include "pdf/images/jpeg_image.h"

#include <algorithm>
#include <cctype>

namespace kelvora::pdf
{

namespace
{

std::string Lower(std::string_view S)
{
    std::string out(S);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string ExtensionOf(std::string_view AFileName)
{
    std::size_t slash = AFileName.find_last_of("/\\");
    std::size_t dot = AFileName.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return Lower(AFileName.substr(dot + 1));
}

} // namespace

TPictureFormats::TPictureFormats()
    : FFormats{{"jpg", u"JPEG Image File", TGraphicKind::gkJpeg},
               {"jpeg", u"JPEG Image File", TGraphicKind::gkJpeg},
               {"jpe", u"JPEG Image File", TGraphicKind::gkJpeg},
               {"jfif", u"JPEG Image File", TGraphicKind::gkJpeg},
               {"bmp", u"Bitmaps", TGraphicKind::gkBitmap}}
{
}

void TPictureFormats::RegisterFileFormat(std::string_view AExtension, std::u16string ADescription,
                                         TGraphicKind AKind)
{
    std::string ext = Lower(AExtension);
    if (!ext.empty() && ext.front() == '.')
        ext.erase(0, 1);
    for (auto& f : FFormats) {
        if (f.Extension == ext) {
            f.Description = std::move(ADescription);
            f.Kind = AKind;
            return;
        }
    }
    FFormats.push_back({std::move(ext), std::move(ADescription), AKind});
}

const TPictureFormats::TFormat* TPictureFormats::FindByFileName(std::string_view AFileName) const
{
    std::string ext = ExtensionOf(AFileName);
    for (const auto& f : FFormats) {
        if (f.Extension == ext)
            return &f;
    }
    return nullptr;
}

TPicture::TPicture(const TPicture& AOther)
    : FFormats(AOther.FFormats), FGraphic(AOther.FGraphic ? AOther.FGraphic->Clone() : nullptr)
{
}

TPicture& TPicture::operator=(const TPicture& AOther)
{
    if (this != &AOther) {
        FFormats = AOther.FFormats;
        FGraphic = AOther.FGraphic ? AOther.FGraphic->Clone() : nullptr;
    }
    return *this;
}

void TPicture::LoadFromFile(const std::string& AFileName)
{
    const TPictureFormats::TFormat* format = FFormats.FindByFileName(AFileName);
    if (format == nullptr)
        throw EPictureError("Unknown picture file extension (." + ExtensionOf(AFileName) + ")");
    if (format->Kind == TGraphicKind::gkJpeg) {
        auto jpeg = std::make_unique<TJPEGImage>();
        jpeg->LoadFromFile(AFileName);
        FGraphic = std::move(jpeg);
    } else {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromFile(AFileName);
        FGraphic = std::move(bitmap);
    }
}

} // namespace kelvora::pdf
