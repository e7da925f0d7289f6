#include "update/download_progress.h"

#include <cmath>

namespace kelvora
{

namespace
{

// Nearest integer, halves to the even neighbour (the default floating-point rounding mode).
double roundHalfEven(double value)
{
    return std::nearbyint(value);
}

} // namespace

QString downloadProgressText(const QLocale& locale, double doneKb, double totalKb, double minutes)
{
    // The thousands separator is always shown, even where the locale leaves it out by default.
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    const auto number = [&grouped](double value) { return grouped.toString(value, 'f', 2); };
    return number(doneKb) + QStringLiteral(" sur ") + number(totalKb) +
           QStringLiteral(" Kb fait, temps restant ") + number(minutes) + QStringLiteral(" min");
}

std::optional<int> downloadPercent(double doneKb, double totalKb)
{
    const double total = roundHalfEven(totalKb);
    if (total == 0)
        return std::nullopt;
    return static_cast<int>(roundHalfEven(roundHalfEven(doneKb) * 100 / total));
}

} // namespace kelvora
