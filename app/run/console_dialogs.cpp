#include "run/user_dialogs.h"

#include <QCoreApplication>
#include <cstdio>

namespace kelvora
{

void ConsoleDialogs::messageBox(const QString& text, const QString& caption, MessageIcon)
{
    // One line of output per line of the box's text.
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "%s : %s\n", caption.toLocal8Bit().constData(),
                 body.toLocal8Bit().constData());
}

void ConsoleDialogs::processEvents()
{
    QCoreApplication::processEvents();
}

void ConsoleDialogs::requestQuit()
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

} // namespace kelvora
