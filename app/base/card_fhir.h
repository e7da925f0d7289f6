// The card's data as an HL7 FHIR R4 Bundle of type collection: one Patient (FR Core profile)
// per beneficiary, the fund as an Organization, and one Coverage per right the card states.
#pragma once

#include "base/card_data.h"

#include <QByteArray>
#include <QDateTime>

namespace kelvora
{

namespace fhir
{
inline constexpr char kPatientProfile[] =
    "https://hl7.fr/ig/fhir/core/StructureDefinition/fr-core-patient";
// FR Core's NSS slice: the NIR as the health-insurance number, never as an INS (a card
// reading is not a qualified identity).
inline constexpr char kNirSystem[] = "urn:oid:1.2.250.1.213.1.4.8";
inline constexpr char kIdentifierTypes[] = "http://terminology.hl7.org/CodeSystem/v2-0203";
inline constexpr char kNirType[] = "NH";
} // namespace fhir

// Only what the card says: no gender, no address, no relationship. The resources' ids are
// derived from the card and the reading's moment, so one reading always gives the same bundle.
QByteArray cardFhirBundle(const CardData& card, const QDateTime& dateLecture);

} // namespace kelvora
