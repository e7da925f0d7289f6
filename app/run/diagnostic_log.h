// The diagnostic log as a model: pieces of text, each with its style and colour. The window's
// log pane shows what is appended; the RTF save reads the runs.
#pragma once

#include "base/rtf_writer.h"
#include "run/run_types.h"

#include <QList>
#include <QString>
#include <functional>

namespace kelvora
{

class DiagnosticLog
{
public:
    // Appends text; CR LF, a lone CR and a lone LF all end a line.
    void AddDebugText(const QString& AText, int AStyle, quint32 AColor);
    // Appends `text` on a line of its own, in the style and colour of the text before it.
    void addLineInPreviousFormat(const QString& text);
    void clear();

    // The log line by line, each line's pieces merged where style and colour agree, lines
    // separated by plain black CR LF runs: what the RTF writer reads.
    QList<RtfRun> runs() const;
    // The text alone, lines separated by LF.
    QString plainText() const;

    // Told of every piece appended (text with LF line ends) and of every clearing.
    std::function<void(const QString& text, int style, quint32 color)> onAppend;
    std::function<void()> onClear;

private:
    void append(const QString& text, int style, quint32 color);

    QList<QList<RtfRun>> lines_{QList<RtfRun>()};
    int lastStyle_ = StyleNone;
    quint32 lastColor_ = ClBlack;
};

} // namespace kelvora
