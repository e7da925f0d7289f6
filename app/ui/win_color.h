// Windows colour values (00BBGGRR, red in the lowest byte) to and from Qt colours.
#pragma once

#include <QColor>

namespace kelvora
{

inline QColor toQColor(quint32 c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

inline quint32 toWinColor(const QColor& c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

} // namespace kelvora
