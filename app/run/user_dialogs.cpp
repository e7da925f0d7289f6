#include "run/user_dialogs.h"

#include <QCoreApplication>
#include <cstdio>

namespace kelvora
{

QString UserDialogs::unixLines(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

void ConsoleDialogs::messageBox(const QString& text, const QString& caption, MessageIcon)
{
    // One line of output per line of the box's text.
    std::fprintf(stderr, "%s : %s\n", caption.toLocal8Bit().constData(),
                 unixLines(text).toLocal8Bit().constData());
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
