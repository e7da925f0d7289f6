// The card's data as a versioned JSON object, for the practice's other software.
// Its shape is documented by schemas/kelvora-carte-vitale-1.schema.json.
#pragma once

#include "base/card_data.h"

#include <QByteArray>
#include <QDateTime>

namespace kelvora
{

inline constexpr char kCardJsonFormat[] = "kelvora-carte-vitale/1";

// UTF-8, whatever the card's encoding. What the card leaves empty is left out; a date keeps
// the card's text, with the ISO 8601 day beside it only when the card gives a whole one.
QByteArray cardJson(const CardData& card, const QDateTime& dateLecture);

// The reading's moment with its offset from UTC ("2026-03-14T09:30:00+01:00").
QString isoInstant(const QDateTime& moment);

} // namespace kelvora
