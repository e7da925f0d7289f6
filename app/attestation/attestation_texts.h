// The texts the certificate derives from the Vitale record; plain functions, no window.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kelvora
{

// The slot's text, or an empty text when the entry is shorter (a record built by hand).
QString slotText(const QStringList& entry, int slot);

// Usual surname + " " + usual first name.
QString beneficiaryName(const QStringList& entry);

// "1234567890123 45" -> "1 23 45 67 890 123 45": seven groups taken by position; the 14th
// character (the space before the key) is not printed, a missing group stays empty.
QString formatNir(const QString& nir);

// Scheme code, fund code and card centre code of the first entry, one space between each.
QString organisationText(const QStringList& firstEntry);

// The font and size of the notes under a beneficiary.
inline constexpr double kNoteFontSize = 8;

// Width of `text` in points in Arial-Italic at `size`, measured as the PDF writer measures it:
// its own width table, each character as the byte it is written as.
double noteWidth(const QString& text, double size = kNoteFontSize);

// `text` as lines no wider than `width` points in Arial-Italic at `size`: cut at spaces, the
// space at a cut not printed; only a word wider than a whole line is cut inside it. A text
// that fits is one line, unchanged.
QStringList wrapNote(const QString& text, double width, double size = kNoteFontSize);

// "Extrait le dd/mm/yyyy - hh:nn:ss depuis la carte portant numéro de série " + serial.
// Written with fixed separators and digits whatever the process locale.
QString extractionLine(const QDateTime& at, const QString& serial);

} // namespace kelvora
