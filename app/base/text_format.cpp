#include "base/text_format.h"

namespace kelvora
{

qint32 dateNumber(const QDate& date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QString formatMajDate(qint32 majDate)
{
    const QString text = QString::number(majDate);
    // mid() cuts short past the end, which is what the log expects for short texts.
    return text.mid(6, 2) + QLatin1Char('/') + text.mid(4, 2) + QLatin1Char('/') + text.left(4);
}

} // namespace kelvora
