#include "ui/first_frame_icon.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>

namespace kelvora::ui
{

namespace
{

QPixmap readPng(const QString& path, qreal ratio)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    QPixmap pixmap = QPixmap::fromImage(reader.read());
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

QIcon firstFrameIcon(const char* name)
{
    const QString base = QStringLiteral(":/icons/") + QString::fromLatin1(name);
    QIcon icon;
    icon.addPixmap(readPng(base + QStringLiteral(".png"), 1));
    // As Qt does for a file name: the doubled image only where the screen needs it.
    if (qGuiApp->devicePixelRatio() > 1)
        icon.addPixmap(readPng(base + QStringLiteral("@2x.png"), 2));
    return icon;
}

} // namespace kelvora::ui
