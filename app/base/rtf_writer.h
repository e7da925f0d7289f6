// RTF output of the diagnostic log: styled, coloured runs of text.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kelvora
{

struct RtfRun {
    QString text;
    int style;     // bold 1, italic 2, underline 4, strike-out 8
    quint32 color; // Windows colour value 00BBGGRR
};

// One RTF document with the runs in order: a one-font table, a colour table of the colours the
// runs use (in order of first use), and style changes only where they change. "\r\n", "\r",
// "\n" and U+2029 end a paragraph, U+2028 breaks the line; letters of Windows-1252 are written
// as \'xx and every other character as \uN? (UTF-16 unit, signed). A pointSize of 0 or less
// leaves the reader's default size.
QByteArray writeRtf(const QList<RtfRun>& runs, const QString& fontName, int pointSize);

} // namespace kelvora
