// The log's RTF writer and the Windows-1252 conversions over any text. The RTF must stay
// 7-bit with balanced groups, whatever the runs hold; every byte survives a round trip through
// the code page, and text that goes out comes back unchanged or as "?".
#include "base/rtf_writer.h"
#include "fuzz_support.h"
#include "base/cp1252.h"

using kelvora::fuzz::fail;

namespace
{

void checkRtf(const QByteArray& rtf)
{
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const auto c = static_cast<unsigned char>(rtf[i]);
        if (c >= 0x80)
            fail("8-bit byte in the RTF");
        if (c == '\\') {
            ++i; // an escaped brace or backslash is text
            continue;
        }
        if (c == '{')
            ++depth;
        if (c == '}' && --depth < 0)
            fail("RTF group closed before it opened");
    }
    if (depth != 0)
        fail("RTF groups left open");
}

void checkCp1252(const QByteArray& bytes, const QString& text)
{
    if (kelvora::reader::toCp1252(kelvora::reader::fromCp1252(bytes)) != bytes)
        fail("a Windows-1252 byte does not come back");
    const QByteArray out = kelvora::reader::toCp1252(text);
    const QString back = kelvora::reader::fromCp1252(out);
    qsizetype t = 0;
    for (qsizetype i = 0; i < back.size(); ++i, ++t) {
        if (t >= text.size())
            fail("more characters back than went out");
        const bool pair = text.at(t).isHighSurrogate() && t + 1 < text.size() &&
                          text.at(t + 1).isLowSurrogate();
        if (back.at(i) != text.at(t) && back.at(i) != QLatin1Char('?'))
            fail("a character came back changed");
        if (pair)
            ++t;
    }
    if (t != text.size())
        fail("characters lost in Windows-1252");
}

} // namespace

// The input: runs of [style byte][colour 3 bytes][length byte][length UTF-16 units].
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kelvora::fuzz::InputReader in(data, size);
    const int pointSize = static_cast<std::int8_t>(in.byte());
    QList<kelvora::RtfRun> runs;
    QString all;
    while (!in.empty()) {
        kelvora::RtfRun run;
        run.style = in.byte() & 0x0F;
        run.color = in.byte() | (in.byte() << 8) | (quint32(in.byte()) << 16);
        const int length = in.byte();
        for (int i = 0; i < length && !in.empty(); ++i)
            run.text.append(QChar(in.word()));
        all += run.text;
        runs.append(run);
    }
    // An odd size takes the first run's text as the font name, which the writer must clean.
    const QString font = (pointSize & 1) && !runs.isEmpty() ? runs.front().text
                                                            : QStringLiteral("Courier New");
    checkRtf(kelvora::writeRtf(runs, font, pointSize));
    checkCp1252(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), all);
    return 0;
}
