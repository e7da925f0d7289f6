// What the update page shows while the installer downloads: the progress text and the bar.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace kelvora
{

// "<done> sur <total> Kb fait, temps restant <minutes> min", each number with two decimals
// and the locale's own decimal and thousands separators.
QString downloadProgressText(const QLocale& locale, double doneKb, double totalKb, double minutes);

// The bar's position: both sizes rounded to whole kilobytes (halves to even), then the
// percentage rounded the same way. None when the total rounds to 0, so nothing divides by 0.
std::optional<int> downloadPercent(double doneKb, double totalKb);

} // namespace kelvora
