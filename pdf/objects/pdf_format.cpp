#include "pdf/objects/pdf_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kelvora::pdf
{

void AppendInt(std::string& AOut, std::int64_t AValue)
{
    char buf[kMaxNumberChars];
    AOut.append(buf, PutInt(buf, AValue));
}

std::string IntToStr(std::int64_t AValue)
{
    std::string s;
    AppendInt(s, AValue);
    return s;
}

void WriteInt(std::int64_t AValue, TPdfMemoryStream& AStream)
{
    char buf[kMaxNumberChars];
    AStream.Write(buf, static_cast<std::size_t>(PutInt(buf, AValue) - buf));
}

char* PutReal(char* AOut, double X)
{
    // Rounds half away from zero on the magnitude, so -30 stays -30 (not -29.99).
    double scaled = std::fabs(X) * 100.0 + 0.5;
    // Values beyond the 64-bit range never occur on a page; clamp instead of overflowing.
    if (!(scaled < 9.2e18))
        scaled = 9.2e18;
    auto n = static_cast<std::uint64_t>(scaled);
    if (n != 0 && X < 0)
        *AOut++ = '-';
    // A page's coordinates fit in 32 bits, whose digits cost a fraction of 64-bit ones.
    unsigned frac = 0;
    if (n <= 0xFFFFFFFFu) {
        const auto small = static_cast<std::uint32_t>(n);
        AOut = std::to_chars(AOut, AOut + kMaxIntChars, small / 100).ptr;
        frac = small % 100;
    } else {
        AOut = std::to_chars(AOut, AOut + kMaxIntChars, n / 100).ptr;
        frac = static_cast<unsigned>(n % 100);
    }
    if (frac != 0) {
        *AOut++ = '.';
        *AOut++ = static_cast<char>('0' + frac / 10);
        if (frac % 10 != 0)
            *AOut++ = static_cast<char>('0' + frac % 10);
    }
    return AOut;
}

void AppendReal(std::string& AOut, double X)
{
    char buf[kMaxNumberChars];
    AOut.append(buf, PutReal(buf, X));
}

std::string FormatReal(double X)
{
    std::string s;
    AppendReal(s, X);
    return s;
}

std::string FormatGeneral(double X)
{
    if (X == 0 || !std::isfinite(X))
        return "0";
    // PDF has no exponent notation: always fixed, 15 significant digits.
    int exponent = static_cast<int>(std::floor(std::log10(std::fabs(X))));
    int decimals = std::clamp(14 - exponent, 0, 40);
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::fixed, decimals);
    std::string s(buf, res.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    if (s == "-0")
        s = "0";
    return s;
}

} // namespace kelvora::pdf
