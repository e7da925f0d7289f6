// Reading a certificate back in tests: its page content stream, the texts placed on it, and
// the two independent tools (qpdf, pdftotext).
#pragma once

#include "base/cp1252.h"
#include "base/vitale_record.h"
#include "support/temp_folder.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace kelvora::testing
{

inline QByteArray readFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << path.toStdString();
    return file.readAll();
}

// The page's content stream: the one stream that begins with the font the page selects.
inline QByteArray contentStream(const QByteArray& pdf)
{
    const qsizetype start = pdf.indexOf("stream\r\n/F0 10 Tf\n") >= 0
                                ? pdf.indexOf("stream\r\n/F0 10 Tf\n") + 8
                                : pdf.indexOf("stream\n/F0 10 Tf\n") + 7;
    if (start < 7) {
        ADD_FAILURE() << "no page content stream";
        return {};
    }
    const qsizetype end = pdf.indexOf("endstream", start);
    QByteArray body = pdf.mid(start, end - start);
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    return body;
}

inline QList<QByteArray> contentLines(const QByteArray& pdf)
{
    return contentStream(pdf).split('\n');
}

struct PlacedText {
    QString x;
    QString y;
    QString text;
    bool operator==(const PlacedText&) const = default;
};

inline void PrintTo(const PlacedText& t, std::ostream* os)
{
    *os << "(" << t.x.toStdString() << ", " << t.y.toStdString() << ") \"" << t.text.toStdString()
        << '"';
}

// Every "BT / x y Td / (text) Tj / ET" group of the stream, in drawing order.
inline std::vector<PlacedText> placedTexts(const QByteArray& pdf)
{
    const QList<QByteArray> lines = contentLines(pdf);
    std::vector<PlacedText> out;
    for (qsizetype i = 0; i + 3 < lines.size(); ++i) {
        if (lines[i] != "BT" || !lines[i + 1].endsWith(" Td") || !lines[i + 2].endsWith(") Tj"))
            continue;
        const QList<QByteArray> xy = lines[i + 1].split(' ');
        const QByteArray quoted = lines[i + 2].mid(1, lines[i + 2].size() - 5);
        QByteArray raw;
        for (qsizetype k = 0; k < quoted.size(); ++k) {
            if (quoted[k] == '\\' && k + 1 < quoted.size())
                ++k;
            raw += quoted[k];
        }
        out.push_back(
            {QString::fromLatin1(xy[0]), QString::fromLatin1(xy[1]), reader::fromCp1252(raw)});
    }
    return out;
}

inline std::string quoted(const QString& path)
{
    return shellQuote(path.toStdString());
}

inline CommandResult qpdfCheck(const QString& path)
{
    return runCommand("qpdf --check " + quoted(path));
}

inline QString pdfText(const QString& path)
{
    return QString::fromStdString(runCommand("pdftotext -enc UTF-8 " + quoted(path) + " -").output);
}

} // namespace kelvora::testing
