// Small text helpers of the application shell that need no window.
#pragma once

#include <QDate>
#include <QString>

namespace kelvora
{

// Today's date as the yyyymmdd number the daily update rule compares.
qint32 dateNumber(const QDate& date);

// The stored check date cut into day/month/year pieces for the log; works on the decimal
// text of any number, so the "never checked" sentinel gives its own odd but stable pieces.
QString formatMajDate(qint32 majDate);

} // namespace kelvora
