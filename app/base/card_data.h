// What the card says, typed, for other software: filled by the same walk that fills the
// certificate's slots, from the same elements and nothing more.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace kelvora
{

// A date as the card stores it (day, month, year: "ddmmyyyy") and the parts it really gives:
// the card writes 00 for an unknown day or month, and a text may be cut short.
struct CardDate {
    QString texte; // as stored
    int annee = 0; // 0: not given
    int mois = 0;
    int jour = 0;

    static CardDate fromCard(const QString& text);
    bool isEmpty() const { return texte.isEmpty(); }
    // Eight digits naming a day of the calendar.
    bool complete() const;
    // "YYYY-MM-DD" when complete, else empty: a day is never invented.
    QString iso() const;
    // As much of "YYYY-MM-DD" as the card gives from the year on: "YYYY-MM", "YYYY" or empty.
    QString partialIso() const;

    bool operator==(const CardDate&) const = default;
};

// A rights period: `debut` is always on the card; `fin` may be missing (empty text).
struct CardPeriod {
    CardDate debut;
    CardDate fin;

    bool operator==(const CardPeriod&) const = default;
};

struct CardMutuelle {
    QString numIdent; // the complementary insurer's number
    std::optional<CardPeriod> periode;

    bool operator==(const CardMutuelle&) const = default;
};

struct CardCmu {
    QString typeCMU;
    QString libelle; // dictionary label of the type, once looked up
    std::optional<CardPeriod> periode;

    bool operator==(const CardCmu&) const = default;
};

// One beneficiary of the card. Texts are empty where the card has nothing.
struct CardBeneficiary {
    QString nomUsuel;
    QString nomPatronymique;
    QString prenomUsuel;
    QString nir; // as stored, key included
    CardDate naissance;
    QString rangDeNaissance; // as stored
    std::optional<QString> libelleExo;
    std::optional<CardPeriod> droits; // the compulsory scheme's rights
    std::optional<CardMutuelle> mutuelle;
    std::optional<CardCmu> cmu;

    // The rank as a number, when the card's text is a positive one.
    std::optional<int> rang() const;

    bool operator==(const CardBeneficiary&) const = default;
};

// The card as a whole: its serial number and the compulsory scheme, fund and centre that
// the first beneficiary (the insured person) carries for everyone.
struct CardData {
    QString numSerie;
    QString codeRegime;
    QString libelleRegime; // dictionary labels, once looked up
    QString caisse;
    QString libelleCaisse;
    QString centreCarte;
    QString codeGestion;
    QList<CardBeneficiary> beneficiaires;

    bool operator==(const CardData&) const = default;
};

} // namespace kelvora
