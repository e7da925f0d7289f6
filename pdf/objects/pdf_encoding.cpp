#include "pdf/objects/pdf_encoding.h"

#include "common/cp1252.h"

#include <algorithm>
#include <array>

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

constexpr bool IsNameDelimiter(char16_t C)
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

char TableByteOf(char16_t AChar)
{
    // WinAnsiEncoding gives the bytes Windows-1252 leaves unassigned no glyph (their widths
    // are 0): their characters are written as '?', as any the fonts cannot show.
    const std::optional<unsigned char> byte = cp1252::fromUnicode(AChar);
    if (!byte || cp1252::isUnassigned(*byte))
        return '?';
    return static_cast<char>(*byte);
}

// ASCII and Latin-1 letters, nearly all the text, are their own bytes; the table is looked up
// only for the rest.
inline char ByteOf(char16_t AChar)
{
    if (AChar < 0x80 || (AChar >= 0xA0 && AChar <= 0xFF))
        return static_cast<char>(AChar);
    return TableByteOf(AChar);
}

inline std::optional<char> ByteAt(std::u16string_view S, std::size_t APos)
{
    const char16_t c = S[APos];
    if (IsLowSurrogate(c) && APos > 0 && IsHighSurrogate(S[APos - 1]))
        return std::nullopt;
    return ByteOf(c);
}

// Characters below 0x80 written as they are: in a literal string all printable ones but the
// three escaped, in a name the regular characters.
struct TPlainAscii {
    std::array<bool, 0x80> Literal{};
    std::array<bool, 0x80> Name{};
};

constexpr TPlainAscii kPlain = [] {
    TPlainAscii plain;
    for (char16_t c = 0x20; c < 0x7F; ++c) {
        plain.Literal[c] = c != u'(' && c != u')' && c != u'\\';
        plain.Name[c] = c > 0x20 && !IsNameDelimiter(c);
    }
    return plain;
}();

// Name bytes of S[ABegin, AEnd): each character's Windows-1252 byte, #XX outside the regular
// characters; three bytes at most per character.
template <typename Out>
void AppendNameBytes(Out& AOut, std::u16string_view S, std::size_t ABegin, std::size_t AEnd)
{
    for (std::size_t i = ABegin; i < AEnd; ++i) {
        if (S[i] < 0x80 && kPlain.Name[S[i]]) {
            AOut.push_back(static_cast<typename Out::value_type>(S[i]));
            continue;
        }
        const std::optional<char> byte = ByteAt(S, i);
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

// The bytes of S[ABegin, AEnd) in a literal string: ( ) \ and the controls escaped, the rest
// in Windows-1252; two bytes at most per character.
template <typename Out>
void AppendEscaped(Out& AOut, std::u16string_view S, std::size_t ABegin, std::size_t AEnd)
{
    for (std::size_t i = ABegin; i < AEnd; ++i) {
        const char16_t c = S[i];
        if (c < 0x80 && kPlain.Literal[c]) {
            AOut.push_back(static_cast<char>(c));
        } else if (char letter = EscapeLetter(c)) {
            AOut.push_back('\\');
            AOut.push_back(letter);
        } else if (const std::optional<char> byte = ByteAt(S, i)) {
            AOut.push_back(*byte);
        }
    }
}

// Bytes put at a place with room enough, unchecked.
struct TRawBytes {
    using value_type = char;
    char* End;
    void push_back(char AByte) { *End++ = AByte; }
};

// Bytes gathered on the stack and handed to the stream in runs, not one call per byte.
class TStreamBuffer
{
public:
    explicit TStreamBuffer(TPdfMemoryStream& AStream) : FStream(AStream) {}
    TStreamBuffer(const TStreamBuffer&) = delete;
    TStreamBuffer& operator=(const TStreamBuffer&) = delete;

    void push_back(char AByte)
    {
        *Room(1) = AByte;
        ++FSize;
    }
    // Writes S through APut in runs of characters, each given the room its worst case takes,
    // so that no byte checks for room.
    template <std::size_t BytesPerChar, typename Put> void PutRuns(std::u16string_view S, Put APut)
    {
        constexpr std::size_t kRun = sizeof FBytes / BytesPerChar / 2;
        for (std::size_t begin = 0; begin < S.size(); begin += kRun) {
            const std::size_t end = std::min(S.size(), begin + kRun);
            TRawBytes out{Room(BytesPerChar * (end - begin))};
            APut(out, S, begin, end);
            FSize = static_cast<std::size_t>(out.End - FBytes);
        }
    }
    void Flush()
    {
        FStream.Write(FBytes, FSize);
        FSize = 0;
    }

private:
    char* Room(std::size_t ACount)
    {
        if (FSize + ACount > sizeof FBytes)
            Flush();
        return FBytes + FSize;
    }

    TPdfMemoryStream& FStream;
    std::size_t FSize = 0;
    char FBytes[256];
};

} // namespace

char AnsiChar(char16_t AChar)
{
    return ByteOf(AChar);
}

std::optional<char> AnsiByteAt(std::u16string_view S, std::size_t APos)
{
    return ByteAt(S, APos);
}

void WriteAnsi(std::u16string_view S, TPdfMemoryStream& AStream)
{
    TStreamBuffer out(AStream);
    for (std::size_t i = 0; i < S.size(); ++i) {
        if (const std::optional<char> byte = ByteAt(S, i))
            out.push_back(*byte);
    }
    out.Flush();
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
    TStreamBuffer out(AStream);
    out.push_back('(');
    out.PutRuns<2>(S, AppendEscaped<TRawBytes>);
    out.push_back(')');
    out.Flush();
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
    TStreamBuffer out(AStream);
    out.PutRuns<2>(S, AppendEscaped<TRawBytes>);
    out.Flush();
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
    AppendNameBytes(result, S, 0, S.size());
    return result;
}

void WriteName(std::u16string_view S, TPdfMemoryStream& AStream)
{
    TStreamBuffer out(AStream);
    out.push_back('/');
    out.PutRuns<3>(S, AppendNameBytes<TRawBytes>);
    out.Flush();
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
