// Renders an icon's drawing into the PNG images the first frame shows, at its size and at twice
// it for screens that double their pixels. Run at build time: the window then loads no SVG
// renderer before it appears, and the images are what Qt's renderer would have drawn.
// Usage: kelvora_render_icon DRAWING.svg OUTPUT_BASE WIDTH HEIGHT
//        (writes OUTPUT_BASE.png and OUTPUT_BASE@2x.png)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s DRAWING.svg OUTPUT_BASE WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    // The drawings' texts need the fonts, and so an application, but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString drawing = QString::fromLocal8Bit(argv[1]);
    const QString base = QString::fromLocal8Bit(argv[2]);
    const QSize box(std::atoi(argv[3]), std::atoi(argv[4]));

    QSvgRenderer renderer(drawing);
    if (!renderer.isValid() || box.isEmpty()) {
        std::fprintf(stderr, "%s: cannot render %s at %sx%s\n", argv[0], argv[1], argv[3], argv[4]);
        return 1;
    }
    for (const int scale : {1, 2}) {
        // As Qt's SVG icon engine sizes it: the drawing's own proportions within the box.
        QSize size = renderer.defaultSize();
        size.scale(box * scale, Qt::KeepAspectRatio);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString file =
            base + (scale == 1 ? QStringLiteral(".png") : QStringLiteral("@2x.png"));
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
