#include "base/cp1252.h"

#include "common/cp1252.h"

namespace kelvora::reader
{

namespace
{

char encodeOne(char16_t c)
{
    return static_cast<char>(cp1252::fromUnicode(c).value_or('?'));
}

} // namespace

QByteArray toCp1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character outside the code page, one "?"
        out.append(encodeOne(c.unicode()));
    }
    return out;
}

QString fromCp1252(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out.append(QChar(cp1252::toUnicode(u)));
    }
    return out;
}

} // namespace kelvora::reader
