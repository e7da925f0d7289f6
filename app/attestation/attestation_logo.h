// The certificate's logo: a JPEG file with the extension "vqi", loaded through the picture layer.
#pragma once

#include <QString>

namespace kelvora::pdf
{
class TPRJpegImage;
}

namespace kelvora
{

inline constexpr char kLogoFileName[] = "attest.vqi";

// Registers "vqi" as a JPEG extension on the holder's picture and loads `path` into it.
// Throws pdf::EPictureError for a missing or unreadable file, and the holder's
// EPdfInvalidImageFormat for a picture that is not a JPEG.
void loadAttestationLogo(pdf::TPRJpegImage& holder, const QString& path);

} // namespace kelvora
