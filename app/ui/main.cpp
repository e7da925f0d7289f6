// Program entry: one instance per machine, the application's look, then the main window.
#include "platform/linux_platform.h"
#include "ui/desktop_platform.h"
#include "ui/tppal.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    kelvora::LinuxPlatform system;
    kelvora::DesktopPlatform platform(system);
    if (!platform.acquireSingleInstance(QStringLiteral("Kelvora"))) {
        platform.messageBox(QStringLiteral("L'application est déjà en cours d'éxécution !"),
                            QStringLiteral("Kelvora"), kelvora::MessageIcon::Error);
        return 0;
    }
    // A light, flat look close to the Windows one the users know; start-up goes on without it.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(style);
        QPalette light = style->standardPalette();
        light.setColor(QPalette::Window, Qt::white);
        light.setColor(QPalette::Base, Qt::white);
        light.setColor(QPalette::Highlight, QColor(0x1f, 0x6f, 0xd1));
        QApplication::setPalette(light);
    }
    // The name only: a display name would be appended to the window's caption on X11.
    QApplication::setApplicationName(QStringLiteral("Kelvora"));

    Tppal window(platform);
    // When the store could not be opened the end is already requested; the window shows
    // at most briefly, as the event loop ends at once.
    window.show();
    return app.exec();
}
