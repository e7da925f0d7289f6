// The PDF date: a local date and time, its "D:" text and the reading of that text.
#pragma once

#include <string>
#include <string_view>

namespace kelvora::pdf
{

// A local date and time; all zero stands for "no date".
struct TPdfDateTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    bool IsZero() const { return Year == 0 && Month == 0 && Day == 0; }
    bool operator==(const TPdfDateTime&) const = default;

    static TPdfDateTime Now();
};

// "D:" followed by yyyymmddhhnnss, always 16 characters.
std::u16string FormatPdfDate(const TPdfDateTime& D);
// The reverse; throws EPdfConvertError on any other form or an out-of-range field.
TPdfDateTime ParsePdfDate(std::u16string_view S);

} // namespace kelvora::pdf
