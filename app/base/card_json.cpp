#include "base/card_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kelvora
{

namespace
{

void putText(QJsonObject& object, const char* key, const QString& text)
{
    if (!text.isEmpty())
        object.insert(QLatin1String(key), text);
}

QJsonObject date(const CardDate& d)
{
    QJsonObject o{{QStringLiteral("texte"), d.texte}};
    putText(o, "date", d.iso());
    if (d.annee != 0)
        o.insert(QStringLiteral("annee"), d.annee);
    if (d.mois != 0)
        o.insert(QStringLiteral("mois"), d.mois);
    if (d.jour != 0)
        o.insert(QStringLiteral("jour"), d.jour);
    return o;
}

void putDate(QJsonObject& object, const char* key, const CardDate& d)
{
    if (!d.isEmpty())
        object.insert(QLatin1String(key), date(d));
}

void putPeriod(QJsonObject& object, const char* key, const std::optional<CardPeriod>& p)
{
    if (!p)
        return;
    QJsonObject o;
    putDate(o, "debut", p->debut);
    putDate(o, "fin", p->fin);
    object.insert(QLatin1String(key), o);
}

QJsonObject beneficiary(const CardBeneficiary& b)
{
    QJsonObject o;
    putText(o, "nomUsuel", b.nomUsuel);
    putText(o, "nomPatronymique", b.nomPatronymique);
    putText(o, "prenomUsuel", b.prenomUsuel);
    putText(o, "nir", b.nir);
    putDate(o, "naissance", b.naissance);
    // A rank that is no number keeps the card's text beside, as a date does.
    if (const auto rang = b.rang())
        o.insert(QStringLiteral("rangDeNaissance"), *rang);
    else
        putText(o, "rangDeNaissanceTexte", b.rangDeNaissance);
    if (b.libelleExo)
        o.insert(QStringLiteral("libelleExo"), *b.libelleExo);
    putPeriod(o, "droits", b.droits);
    if (b.mutuelle) {
        QJsonObject m;
        putText(m, "numIdent", b.mutuelle->numIdent);
        putPeriod(m, "periode", b.mutuelle->periode);
        o.insert(QStringLiteral("mutuelle"), m);
    }
    if (b.cmu) {
        QJsonObject c;
        putText(c, "typeCMU", b.cmu->typeCMU);
        putText(c, "libelle", b.cmu->libelle);
        putPeriod(c, "periode", b.cmu->periode);
        o.insert(QStringLiteral("cmu"), c);
    }
    return o;
}

} // namespace

QString isoInstant(const QDateTime& moment)
{
    return moment.toOffsetFromUtc(moment.offsetFromUtc()).toString(Qt::ISODate);
}

QByteArray cardJson(const CardData& card, const QDateTime& dateLecture)
{
    QJsonObject carte;
    putText(carte, "numSerie", card.numSerie);
    putText(carte, "codeRegime", card.codeRegime);
    putText(carte, "libelleRegime", card.libelleRegime);
    putText(carte, "caisse", card.caisse);
    putText(carte, "libelleCaisse", card.libelleCaisse);
    putText(carte, "centreCarte", card.centreCarte);
    putText(carte, "codeGestion", card.codeGestion);

    QJsonArray beneficiaires;
    for (const CardBeneficiary& b : card.beneficiaires)
        beneficiaires.append(beneficiary(b));

    const QJsonObject root{{QStringLiteral("format"), QLatin1String(kCardJsonFormat)},
                           {QStringLiteral("dateLecture"), isoInstant(dateLecture)},
                           {QStringLiteral("carte"), carte},
                           {QStringLiteral("beneficiaires"), beneficiaires}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace kelvora
