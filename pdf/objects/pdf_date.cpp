#include "pdf/objects/pdf_date.h"

#include "pdf/objects/pdf_errors.h"

#include <ctime>

namespace kelvora::pdf
{

namespace
{

void AppendDigits(std::u16string& AOut, int AValue, int ACount)
{
    char16_t buf[8];
    for (int i = ACount - 1; i >= 0; --i) {
        buf[i] = static_cast<char16_t>(u'0' + AValue % 10);
        AValue /= 10;
    }
    AOut.append(buf, static_cast<std::size_t>(ACount));
}

int ReadField(std::u16string_view S, std::size_t AFrom, std::size_t ACount)
{
    int value = 0;
    for (std::size_t i = AFrom; i < AFrom + ACount; ++i) {
        char16_t c = S[i];
        if (c < u'0' || c > u'9')
            throw EPdfConvertError("invalid PDF date");
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool IsLeap(int AYear)
{
    return (AYear % 4 == 0 && AYear % 100 != 0) || AYear % 400 == 0;
}

int DaysInMonth(int AYear, int AMonth)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return AMonth == 2 && IsLeap(AYear) ? 29 : kDays[AMonth - 1];
}

} // namespace

TPdfDateTime TPdfDateTime::Now()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::u16string FormatPdfDate(const TPdfDateTime& D)
{
    std::u16string s = u"D:";
    AppendDigits(s, D.Year, 4);
    AppendDigits(s, D.Month, 2);
    AppendDigits(s, D.Day, 2);
    AppendDigits(s, D.Hour, 2);
    AppendDigits(s, D.Minute, 2);
    AppendDigits(s, D.Second, 2);
    return s;
}

TPdfDateTime ParsePdfDate(std::u16string_view S)
{
    if (S.size() != 16)
        throw EPdfConvertError("invalid PDF date");
    TPdfDateTime d;
    d.Year = ReadField(S, 2, 4);
    d.Month = ReadField(S, 6, 2);
    d.Day = ReadField(S, 8, 2);
    d.Hour = ReadField(S, 10, 2);
    d.Minute = ReadField(S, 12, 2);
    d.Second = ReadField(S, 14, 2);
    if (d.Year < 1 || d.Month < 1 || d.Month > 12 || d.Day < 1 ||
        d.Day > DaysInMonth(d.Year, d.Month) || d.Hour > 23 || d.Minute > 59 || d.Second > 59)
        throw EPdfConvertError("invalid PDF date");
    return d;
}

} // namespace kelvora::pdf
