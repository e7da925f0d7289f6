#include "pdf/objects/pdf_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kelvora::pdf
{

void AppendInt(std::string& AOut, std::int64_t AValue)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, AValue);
    AOut.append(buf, res.ptr);
}

std::string IntToStr(std::int64_t AValue)
{
    std::string s;
    AppendInt(s, AValue);
    return s;
}

void WriteInt(std::int64_t AValue, TPdfMemoryStream& AStream)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, AValue);
    AStream.Write(buf, static_cast<std::size_t>(res.ptr - buf));
}

void AppendReal(std::string& AOut, double X)
{
    // Rounds half away from zero on the magnitude, so -30 stays -30 (not -29.99).
    double scaled = std::fabs(X) * 100.0 + 0.5;
    // Values beyond the 64-bit range never occur on a page; clamp instead of overflowing.
    if (!(scaled < 9.2e18))
        scaled = 9.2e18;
    auto n = static_cast<std::int64_t>(scaled);
    if (n != 0 && X < 0)
        AOut.push_back('-');
    AppendInt(AOut, n / 100);
    auto frac = static_cast<int>(n % 100);
    if (frac != 0) {
        AOut.push_back('.');
        AOut.push_back(static_cast<char>('0' + frac / 10));
        if (frac % 10 != 0)
            AOut.push_back(static_cast<char>('0' + frac % 10));
    }
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
