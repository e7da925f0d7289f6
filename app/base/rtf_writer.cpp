#include "base/rtf_writer.h"

#include "common/cp1252.h"

#include <algorithm>

namespace kelvora
{

namespace
{

constexpr int kBold = 1;
constexpr int kItalic = 2;
constexpr int kUnderline = 4;
constexpr int kStrikeOut = 8;

// The Windows-1252 byte of a character above ASCII, or -1 when the code page lacks it.
int cp1252Byte(char16_t c)
{
    const std::optional<unsigned char> byte = c >= 0x80 ? cp1252::fromUnicode(c) : std::nullopt;
    return byte ? *byte : -1;
}

void appendHexEscape(QByteArray& out, int byte)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\'";
    out += kDigits[(byte >> 4) & 0xF];
    out += kDigits[byte & 0xF];
}

void appendText(QByteArray& out, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' || c == u'\n' || c == 0x2029) {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += "\\par\r\n";
        } else if (c == 0x2028) {
            out += "\\line ";
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (const int byte = cp1252Byte(c); byte >= 0) {
            appendHexEscape(out, byte);
        } else {
            out += "\\u";
            out += QByteArray::number(static_cast<qint16>(c));
            out += '?';
        }
    }
}

// The control words that take the character format from `from` to `to`.
QByteArray styleChange(int from, int to)
{
    struct Word {
        int bit;
        const char* on;
        const char* off;
    };
    static constexpr Word kWords[] = {{kBold, "\\b", "\\b0"},
                                      {kItalic, "\\i", "\\i0"},
                                      {kUnderline, "\\ul", "\\ulnone"},
                                      {kStrikeOut, "\\strike", "\\strike0"}};
    QByteArray out;
    for (const Word& word : kWords) {
        if ((from & word.bit) != (to & word.bit))
            out += (to & word.bit) ? word.on : word.off;
    }
    return out;
}

} // namespace

QByteArray writeRtf(const QList<RtfRun>& runs, const QString& fontName, int pointSize)
{
    QList<quint32> colors; // 00BBGGRR, in order of first use; \cfN is the index + 1
    QByteArray body;
    int style = 0;
    int colorIndex = 0; // 0: the reader's automatic colour, before the first run
    for (const RtfRun& run : runs) {
        if (run.text.isEmpty())
            continue;
        const quint32 rgb = run.color & 0xFFFFFFu;
        qsizetype found = colors.indexOf(rgb);
        if (found < 0) {
            colors.append(rgb);
            found = colors.size() - 1;
        }
        const int runStyle = run.style & (kBold | kItalic | kUnderline | kStrikeOut);
        QByteArray change = styleChange(style, runStyle);
        if (found + 1 != colorIndex)
            change += "\\cf" + QByteArray::number(found + 1);
        if (!change.isEmpty())
            body += change + ' ';
        style = runStyle;
        colorIndex = static_cast<int>(found + 1);
        appendText(body, run.text);
    }

    QByteArray out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036{\\fonttbl{\\f0\\fnil\\fcharset0 ";
    QString safeName = fontName;
    safeName.replace(u';', u' '); // a semicolon would end the font entry
    appendText(out, safeName);
    out += ";}}\r\n";
    if (!colors.isEmpty()) {
        out += "{\\colortbl ;";
        for (quint32 rgb : colors) {
            out += "\\red" + QByteArray::number(rgb & 0xFF) + "\\green" +
                   QByteArray::number((rgb >> 8) & 0xFF) + "\\blue" +
                   QByteArray::number((rgb >> 16) & 0xFF) + ';';
        }
        out += "}\r\n";
    }
    out += "\\uc1\\pard\\plain\\f0";
    if (pointSize > 0)
        out += "\\fs" + QByteArray::number(std::min(pointSize, 1638) * 2);
    out += ' ';
    out += body;
    out += "}\r\n";
    return out;
}

} // namespace kelvora
