#include "pdf/objects/pdf_format.h"

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
    double scaled = X * 100.0 + 0.5;
    // Values beyond the 64-bit range never occur on a page; clamp instead of overflowing.
    if (!(scaled < 9.2e18))
        scaled = 9.2e18;
    if (!(scaled > -9.2e18))
        scaled = -9.2e18;
    auto n = static_cast<std::int64_t>(scaled);
    if (n < 0) {
        AOut.push_back('-');
        n = -n;
    }
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
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::general, 15);
    return std::string(buf, res.ptr);
}

} // namespace kelvora::pdf
