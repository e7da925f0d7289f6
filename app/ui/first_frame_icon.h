// The icons of the first frame, from the PNG images rendered at build time.
#pragma once

#include <QIcon>

namespace kelvora::ui
{

// The icon ":/icons/<name>.png", with its « @2x » image on a screen that doubles its pixels.
// Read as PNG directly: Qt's own loading by file name asks every image plugin whether it reads
// PNG first, and so loads them all (the SVG renderer among them) before the window appears.
QIcon firstFrameIcon(const char* name);

} // namespace kelvora::ui
