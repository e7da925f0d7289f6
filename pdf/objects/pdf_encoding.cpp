#include "pdf/objects/pdf_encoding.h"

#include "common/cp1252.h"

namespace kelvora::pdf
{

namespace
{

constexpr char kHexDigits[] = "0123456789ABCDEF";

template <typename Out> void AppendHex(Out& AOut, unsigned AValue, int AMinDigits)
{
    char buf[8];
    int n = 0;
    do {
        buf[n++] = kHexDigits[AValue & 0xF];
        AValue >>= 4;
    } while (AValue != 0 || n < AMinDigits);
    while (n > 0)
        AOut.push_back(static_cast<typename Out::value_type>(buf[--n]));
}

char EscapeLetter(char16_t C)
{
    switch (C) {
    case u'(':
        return '(';
    case u')':
        return ')';
    case u'\\':
        return '\\';
    case u'\r':
        return 'r';
    case u'\n':
        return 'n';
    case u'\t':
        return 't';
    case u'\b':
        return 'b';
    case u'\f':
        return 'f';
    default:
        return 0;
    }
}

bool IsNameDelimiter(char16_t C)
{
    switch (C) {
    case u'#':
    case u'%':
    case u'(':
    case u')':
    case u'/':
    case u'<':
    case u'>':
    case u'[':
    case u']':
    case u'{':
    case u'}':
        return true;
    default:
        return false;
    }
}

bool IsHighSurrogate(char16_t C)
{
    return C >= 0xD800 && C <= 0xDBFF;
}

bool IsLowSurrogate(char16_t C)
{
    return C >= 0xDC00 && C <= 0xDFFF;
}

// Name bytes of S: each character's Windows-1252 byte, #XX outside the regular characters.
template <typename Out> void AppendNameBytes(Out& AOut, std::u16string_view S)
{
    for (std::size_t i = 0; i < S.size(); ++i) {
        const std::optional<char> byte = AnsiByteAt(S, i);
        if (!byte)
            continue;
        const auto b = static_cast<unsigned char>(*byte);
        if (b < 0x21 || b > 0x7E || IsNameDelimiter(static_cast<char16_t>(b))) {
            AOut.push_back('#');
            AppendHex(AOut, b, 2);
        } else {
            AOut.push_back(static_cast<typename Out::value_type>(b));
        }
    }
}

} // namespace

char AnsiChar(char16_t AChar)
{
    // WinAnsiEncoding gives the bytes Windows-1252 leaves unassigned no glyph (their widths
    // are 0): their characters are written as '?', as any the fonts cannot show.
    const std::optional<unsigned char> byte = cp1252::fromUnicode(AChar);
    if (!byte || cp1252::isUnassigned(*byte))
        return '?';
    return static_cast<char>(*byte);
}

std::optional<char> AnsiByteAt(std::u16string_view S, std::size_t APos)
{
    const char16_t c = S[APos];
    if (IsLowSurrogate(c) && APos > 0 && IsHighSurrogate(S[APos - 1]))
        return std::nullopt;
    return AnsiChar(c);
}

void WriteAnsi(std::u16string_view S, TPdfMemoryStream& AStream)
{
    char buf[256];
    std::size_t n = 0;
    for (std::size_t i = 0; i < S.size(); ++i) {
        const std::optional<char> byte = AnsiByteAt(S, i);
        if (!byte)
            continue;
        buf[n++] = *byte;
        if (n == sizeof buf) {
            AStream.Write(buf, n);
            n = 0;
        }
    }
    AStream.Write(buf, n);
}

std::u16string EscapeLiteral(std::u16string_view S)
{
    std::u16string result;
    result.reserve(S.size() + 8);
    for (char16_t c : S) {
        if (char letter = EscapeLetter(c)) {
            result.push_back(u'\\');
            result.push_back(static_cast<char16_t>(letter));
        } else {
            result.push_back(c);
        }
    }
    return result;
}

void WriteStringOperand(std::u16string_view S, TPdfMemoryStream& AStream)
{
    AStream.WriteByte('(');
    WriteEscapedAnsi(S, AStream);
    AStream.WriteByte(')');
}

void WriteTextString(std::u16string_view S, TPdfMemoryStream& AStream)
{
    bool ascii = true;
    for (char16_t c : S)
        ascii = ascii && c < 0x80;
    if (ascii) {
        WriteStringOperand(S, AStream);
        return;
    }
    std::string hex = "<FEFF";
    hex.reserve(hex.size() + S.size() * 4 + 1);
    for (std::size_t i = 0; i < S.size(); ++i) {
        char16_t c = S[i];
        // Half a pair is no UTF-16 a reader can decode.
        const bool paired = (IsHighSurrogate(c) && i + 1 < S.size() && IsLowSurrogate(S[i + 1])) ||
                            (IsLowSurrogate(c) && i > 0 && IsHighSurrogate(S[i - 1]));
        if ((IsHighSurrogate(c) || IsLowSurrogate(c)) && !paired)
            c = 0xFFFD;
        AppendHex(hex, c, 4);
    }
    hex.push_back('>');
    AStream.Write(hex);
}

void WriteEscapedAnsi(std::u16string_view S, TPdfMemoryStream& AStream)
{
    char buf[256];
    std::size_t n = 0;
    for (std::size_t i = 0; i < S.size(); ++i) {
        if (n + 2 > sizeof buf) {
            AStream.Write(buf, n);
            n = 0;
        }
        if (char letter = EscapeLetter(S[i])) {
            buf[n++] = '\\';
            buf[n++] = letter;
        } else if (const std::optional<char> byte = AnsiByteAt(S, i)) {
            buf[n++] = *byte;
        }
    }
    AStream.Write(buf, n);
}

bool HasSurrogates(std::u16string_view S)
{
    for (char16_t c : S) {
        if (c >= 0xD800 && c <= 0xDFFF)
            return true;
    }
    return false;
}

std::u16string TextToHex(std::u16string_view S)
{
    std::u16string result;
    result.reserve(S.size() * 2);
    for (char16_t c : S)
        AppendHex(result, c, 2);
    return result;
}

std::u16string TextToUtf16Hex(std::u16string_view S)
{
    std::u16string result;
    result.reserve(S.size() * 4);
    for (char16_t c : S)
        AppendHex(result, c, 4);
    return result;
}

std::u16string UnicodeTextPrefix()
{
    return u"FEFF001B" + TextToHex(u"en") + u"001B";
}

std::u16string EncodeName(std::u16string_view S)
{
    std::u16string result;
    result.reserve(S.size());
    AppendNameBytes(result, S);
    return result;
}

void WriteName(std::u16string_view S, TPdfMemoryStream& AStream)
{
    std::string bytes;
    bytes.reserve(S.size() + 1);
    bytes.push_back('/');
    AppendNameBytes(bytes, S);
    AStream.Write(bytes);
}

std::string Utf16ToUtf8(std::u16string_view S)
{
    std::string out;
    out.reserve(S.size());
    for (std::size_t i = 0; i < S.size(); ++i) {
        char32_t cp = S[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < S.size() && S[i + 1] >= 0xDC00 &&
            S[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (S[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view S)
{
    std::u16string out;
    out.reserve(S.size());
    std::size_t i = 0;
    while (i < S.size()) {
        auto b = static_cast<unsigned char>(S[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            cp = b & 0x07;
        }
        if (len > 1) {
            if (i + len > S.size()) {
                cp = 0xFFFD;
                len = 1;
            } else {
                for (std::size_t k = 1; k < len; ++k) {
                    auto cb = static_cast<unsigned char>(S[i + k]);
                    if ((cb & 0xC0) != 0x80) {
                        cp = 0xFFFD;
                        len = k;
                        break;
                    }
                    cp = (cp << 6) | (cb & 0x3F);
                }
            }
        }
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(cp > 0xFFFF ? char16_t(0xFFFD) : static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

} // namespace kelvora::pdf
