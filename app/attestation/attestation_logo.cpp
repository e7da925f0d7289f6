#include "attestation/attestation_logo.h"

#include "pdf/images/pr_image.h"

#include <QFile>

namespace kelvora
{

void loadAttestationLogo(pdf::TPRJpegImage& holder, const QString& path)
{
    holder.Picture().Formats().RegisterJpegExtension("vqi", u"Fichier image JPEG");
    pdf::TPicture picture = holder.Picture();
    picture.LoadFromFile(QFile::encodeName(path).toStdString());
    holder.SetPicture(picture);
}

} // namespace kelvora
