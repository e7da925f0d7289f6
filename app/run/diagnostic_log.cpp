#include "run/diagnostic_log.h"

namespace kelvora
{

void DiagnosticLog::AddDebugText(const QString& AText, int AStyle, quint32 AColor)
{
    QString body = AText;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    append(body, AStyle, AColor);
}

void DiagnosticLog::addLineInPreviousFormat(const QString& text)
{
    QString body = text;
    if (!lines_.constLast().isEmpty())
        body.prepend(QLatin1Char('\n'));
    append(body, lastStyle_, lastColor_);
}

void DiagnosticLog::append(const QString& text, int style, quint32 color)
{
    if (text.isEmpty())
        return;
    const QStringList pieces = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            lines_.append(QList<RtfRun>());
        if (pieces[i].isEmpty())
            continue;
        QList<RtfRun>& line = lines_.last();
        if (!line.isEmpty() && line.last().style == style && line.last().color == color)
            line.last().text += pieces[i];
        else
            line.append({pieces[i], style, color});
    }
    lastStyle_ = style;
    lastColor_ = color;
    if (onAppend)
        onAppend(text, style, color);
}

void DiagnosticLog::clear()
{
    lines_ = {QList<RtfRun>()};
    lastStyle_ = StyleNone;
    lastColor_ = ClBlack;
    if (onClear)
        onClear();
}

QList<RtfRun> DiagnosticLog::runs() const
{
    QList<RtfRun> out;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        out.append(lines_[i]);
        if (i + 1 < lines_.size())
            out.append({QStringLiteral("\r\n"), StyleNone, ClBlack});
    }
    return out;
}

QString DiagnosticLog::plainText() const
{
    QStringList text;
    for (const QList<RtfRun>& line : lines_) {
        QString joined;
        for (const RtfRun& run : line)
            joined += run.text;
        text.append(joined);
    }
    return text.join(QLatin1Char('\n'));
}

} // namespace kelvora
