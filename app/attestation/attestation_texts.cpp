#include "attestation/attestation_texts.h"

#include "base/vitale_record.h"
#include "pdf/fonts/pdf_font_widths.h"
#include "pdf/objects/pdf_encoding.h"

#include <string_view>

namespace kelvora
{

QString slotText(const QStringList& entry, int slot)
{
    return slot >= 0 && slot < entry.size() ? entry[slot] : QString();
}

QString beneficiaryName(const QStringList& entry)
{
    return slotText(entry, slot::nomUsuel) + QLatin1Char(' ') + slotText(entry, slot::prenomUsuel);
}

QString formatNir(const QString& nir)
{
    // (first character, length), positions counting from 1.
    static constexpr std::pair<int, int> groups[] = {{1, 1}, {2, 2},  {4, 2}, {6, 2},
                                                     {8, 3}, {11, 3}, {15, 2}};
    QStringList parts;
    for (const auto& [first, length] : groups)
        parts.append(nir.mid(first - 1, length));
    return parts.join(QLatin1Char(' '));
}

QString organisationText(const QStringList& firstEntry)
{
    return slotText(firstEntry, slot::codeRegime) + QLatin1Char(' ') +
           slotText(firstEntry, slot::caisse) + QLatin1Char(' ') +
           slotText(firstEntry, slot::centreCarte);
}

namespace
{

// Width of text[from, to) in 1/1000 of the font size. Additive over any cut that keeps a
// surrogate pair together, so a line's width is the sum of its pieces'.
long noteUnits(const QString& text, qsizetype from, qsizetype to)
{
    const std::u16string_view s(reinterpret_cast<const char16_t*>(text.utf16()),
                                static_cast<std::size_t>(text.size()));
    long units = 0;
    for (qsizetype i = from; i < to; ++i) {
        const std::optional<char> byte = pdf::AnsiByteAt(s, static_cast<std::size_t>(i));
        const auto code = byte ? static_cast<unsigned char>(*byte) : 0;
        if (code >= 32)
            units += pdf::kArialItalicWidths[code - 32];
    }
    return units;
}

} // namespace

double noteWidth(const QString& text, double size)
{
    return static_cast<double>(noteUnits(text, 0, text.size())) * size / 1000;
}

QStringList wrapNote(const QString& text, double width, double size)
{
    // Compared in font units: no rounding decides whether a line fits.
    const auto fits = [limit = width * 1000 / size](long units) { return units <= limit; };
    if (fits(noteUnits(text, 0, text.size())))
        return {text};
    const long space = noteUnits(QStringLiteral(" "), 0, 1);

    QStringList lines;
    QString line;
    long lineUnits = 0;
    bool open = false; // a line has been started, even with an empty word
    const auto startLine = [&](QString word) {
        long units = noteUnits(word, 0, word.size());
        // A word wider than a whole line: its widest head that fits, at least one character,
        // never half of a surrogate pair.
        while (!fits(units) && word.size() > 1) {
            qsizetype cut = 0;
            long head = 0;
            while (cut < word.size()) {
                qsizetype next = cut + 1;
                if (word[cut].isHighSurrogate() && next < word.size() &&
                    word[next].isLowSurrogate())
                    ++next;
                const long more = noteUnits(word, cut, next);
                if (cut > 0 && !fits(head + more))
                    break;
                head += more;
                cut = next;
            }
            if (cut >= word.size())
                break;
            lines.append(word.left(cut));
            word.remove(0, cut);
            units -= head;
        }
        line = word;
        lineUnits = units;
        open = true;
    };
    for (const QString& word : text.split(QLatin1Char(' '))) {
        const long units = noteUnits(word, 0, word.size());
        if (!open) {
            startLine(word);
        } else if (fits(lineUnits + space + units)) {
            line += QLatin1Char(' ') + word;
            lineUnits += space + units;
        } else {
            lines.append(line);
            startLine(word);
        }
    }
    if (open)
        lines.append(line);
    return lines;
}

QString extractionLine(const QDateTime& at, const QString& serial)
{
    const QDate d = at.date();
    const QTime t = at.time();
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("Extrait le ") + two(d.day()) + QLatin1Char('/') + two(d.month()) +
           QLatin1Char('/') + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')) +
           QStringLiteral(" - ") + two(t.hour()) + QLatin1Char(':') + two(t.minute()) +
           QLatin1Char(':') + two(t.second()) +
           QStringLiteral(" depuis la carte portant numéro de série ") + serial;
}

} // namespace kelvora
