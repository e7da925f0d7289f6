// The Vitale record: what the patient card's data document says, slot by slot, as the
// certificate layout reads it. Slot numbers are fixed; the layout addresses them directly.
#pragma once

#include "base/card_data.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <variant>
#include <vector>

namespace kelvora
{

// Slots of a beneficiary entry. Numbers not named here stay empty.
namespace slot
{
inline constexpr int nomUsuel = 0;
inline constexpr int nomPatronymique = 1;
inline constexpr int prenomUsuel = 2;
inline constexpr int nir = 3;
inline constexpr int naissance = 4; // birth date as stored: ddmmyyyy
inline constexpr int rangDeNaissance = 5;
inline constexpr int libelleExo = 11; // "- " + exemption label
inline constexpr int droits = 12;     // compulsory-scheme rights period
inline constexpr int mutuelle = 13;   // complementary insurer
inline constexpr int cmu = 14;        // CMU type label and period
// First entry only: the compulsory scheme of the whole card.
inline constexpr int codeRegime = 41;
inline constexpr int caisse = 42;
inline constexpr int centreCarte = 43;
inline constexpr int codeGestion = 44;
inline constexpr int libelleRegime = 51; // label of table 1 for codeRegime
inline constexpr int libelleCaisse = 52; // label of table 2 for codeRegime+caisse+centreCarte
} // namespace slot

inline constexpr int kEntrySlots = 40;
inline constexpr int kFirstEntrySlots = 60;

// Tables of the card-reader library's code dictionary.
namespace dico
{
inline constexpr qint16 regime = 1;
inline constexpr qint16 caisse = 2;
inline constexpr qint16 cmu = 13;
} // namespace dico

// A code the stage must look up in the library's dictionary. The slot already holds
// `before` + `after` (what an empty label gives); the label goes between the two.
struct DictionaryLookup {
    int entry = 0;
    int slot = 0;
    qint16 table = 0;
    QString code;
    QString before;
    QString after;

    bool operator==(const DictionaryLookup&) const = default;
};

// A section met in the walk, logged plain as it stands (" * cmu\r\n").
struct SectionNote {
    QString text;

    bool operator==(const SectionNote&) const = default;
};

using WalkStep = std::variant<SectionNote, DictionaryLookup>;

struct VitaleRecord {
    QString carte_numserie;
    qint32 appli_xml_cnt2 = 0;
    // One entry per beneficiary in card order; 40 slots each, the first entry 60.
    QList<QStringList> appli_xml_ext;
    // Log lines and lookups in the order the walk meets them, so the stage logs and
    // looks up exactly as a reading does.
    std::vector<WalkStep> walk;
    // The same reading, typed, for the exports; filled alongside the slots.
    CardData donnees;
};

// Puts a dictionary label in its place.
inline void applyLabel(VitaleRecord& record, const DictionaryLookup& lookup, const QString& label)
{
    record.appli_xml_ext[lookup.entry][lookup.slot] = lookup.before + label + lookup.after;
    CardData& donnees = record.donnees;
    if (lookup.slot == slot::libelleRegime) {
        donnees.libelleRegime = label;
    } else if (lookup.slot == slot::libelleCaisse) {
        donnees.libelleCaisse = label;
    } else if (lookup.slot == slot::cmu && lookup.entry < donnees.beneficiaires.size()) {
        if (auto& cmu = donnees.beneficiaires[lookup.entry].cmu)
            cmu->libelle = label;
    }
}

} // namespace kelvora
