#include "attestation/attestation_texts.h"

#include "base/vitale_record.h"

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
