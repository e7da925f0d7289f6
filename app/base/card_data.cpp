#include "base/card_data.h"

namespace kelvora
{

namespace
{

// The number written at [from, from + length) when it is all there and all digits, else 0.
int digits(const QString& text, int from, int length)
{
    if (text.size() < from + length)
        return 0;
    int value = 0;
    for (const QChar c : QStringView(text).sliced(from, length)) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

CardDate CardDate::fromCard(const QString& text)
{
    CardDate d;
    d.texte = text;
    // A longer text is not a date the card writes; its pieces are not trusted.
    if (text.size() > 8)
        return d;
    if (const int day = digits(text, 0, 2); day >= 1 && day <= 31)
        d.jour = day;
    if (const int month = digits(text, 2, 2); month >= 1 && month <= 12)
        d.mois = month;
    d.annee = digits(text, 4, 4);
    return d;
}

bool CardDate::complete() const
{
    return QDate::isValid(annee, mois, jour) && annee > 0;
}

QString CardDate::iso() const
{
    return complete() ? QDate(annee, mois, jour).toString(Qt::ISODate) : QString();
}

QString CardDate::partialIso() const
{
    if (complete())
        return iso();
    if (annee == 0)
        return {};
    const QString year = QStringLiteral("%1").arg(annee, 4, 10, QLatin1Char('0'));
    if (mois == 0)
        return year;
    return year + QStringLiteral("-%1").arg(mois, 2, 10, QLatin1Char('0'));
}

std::optional<int> CardBeneficiary::rang() const
{
    bool ok = false;
    const int value = rangDeNaissance.trimmed().toInt(&ok);
    if (!ok || value <= 0 || rangDeNaissance.trimmed().startsWith(QLatin1Char('+')))
        return std::nullopt;
    return value;
}

} // namespace kelvora
