#include "base/card_fhir.h"

#include "base/card_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

namespace kelvora
{

namespace
{

// The name space of Kelvora's name-based resource ids.
const QUuid kIdSpace(QStringLiteral("{6f0d5a2e-6a4b-4c59-9d7e-2f3b8c1a7e41}"));

constexpr char kActCodes[] = "http://terminology.hl7.org/CodeSystem/v3-ActCode";

QJsonObject coding(const char* system, const char* code)
{
    return {{QStringLiteral("system"), QLatin1String(system)},
            {QStringLiteral("code"), QLatin1String(code)}};
}

QJsonObject codeableConcept(const char* system, const char* code, const QString& text)
{
    QJsonObject c{{QStringLiteral("coding"), QJsonArray{coding(system, code)}}};
    if (!text.isEmpty())
        c.insert(QStringLiteral("text"), text);
    return c;
}

// FHIR strings may not be empty: an empty text is left out.
void putText(QJsonObject& object, const char* key, const QString& text)
{
    if (!text.trimmed().isEmpty())
        object.insert(QLatin1String(key), text.trimmed());
}

// The NIR as an identifier value: the card separates the key with a space.
QString nirValue(const QString& nir)
{
    QString value;
    for (const QChar c : nir)
        if (!c.isSpace())
            value += c;
    return value;
}

QJsonObject humanName(const char* use, const QString& family, const QString& given)
{
    QJsonObject name{{QStringLiteral("use"), QLatin1String(use)}};
    putText(name, "family", family);
    if (!given.trimmed().isEmpty())
        name.insert(QStringLiteral("given"), QJsonArray{given.trimmed()});
    return name;
}

// Start and end as far as the card gives them (a dateTime may be "YYYY" or "YYYY-MM").
std::optional<QJsonObject> period(const std::optional<CardPeriod>& p)
{
    if (!p)
        return std::nullopt;
    QJsonObject o;
    putText(o, "start", p->debut.partialIso());
    putText(o, "end", p->fin.partialIso());
    if (o.isEmpty())
        return std::nullopt;
    return o;
}

QJsonObject reference(const QString& fullUrl)
{
    return {{QStringLiteral("reference"), fullUrl}};
}

class BundleBuilder
{
public:
    explicit BundleBuilder(const CardData& card, const QDateTime& dateLecture)
        : seed_(card.numSerie + QLatin1Char('/') + isoInstant(dateLecture))
    {
    }

    QString id(const QString& name) const
    {
        return QUuid::createUuidV5(kIdSpace, seed_ + QLatin1Char('/') + name)
            .toString(QUuid::WithoutBraces);
    }

    // Adds `resource` under a name-based id; returns its full URL for references.
    QString add(QJsonObject resource, const QString& name)
    {
        const QString resourceId = id(name);
        resource.insert(QStringLiteral("id"), resourceId);
        const QString fullUrl = QStringLiteral("urn:uuid:") + resourceId;
        entries_.append(QJsonObject{{QStringLiteral("fullUrl"), fullUrl},
                                    {QStringLiteral("resource"), resource}});
        return fullUrl;
    }

    QJsonArray entries() const { return entries_; }

private:
    QString seed_;
    QJsonArray entries_;
};

QJsonObject patient(const CardBeneficiary& b)
{
    QJsonObject p{
        {QStringLiteral("resourceType"), QStringLiteral("Patient")},
        {QStringLiteral("meta"), QJsonObject{{QStringLiteral("profile"),
                                              QJsonArray{QLatin1String(fhir::kPatientProfile)}}}}};
    if (const QString nir = nirValue(b.nir); !nir.isEmpty()) {
        p.insert(QStringLiteral("identifier"),
                 QJsonArray{QJsonObject{
                     {QStringLiteral("use"), QStringLiteral("official")},
                     {QStringLiteral("type"),
                      codeableConcept(fhir::kIdentifierTypes, fhir::kNirType, QString())},
                     {QStringLiteral("system"), QLatin1String(fhir::kNirSystem)},
                     {QStringLiteral("value"), nir}}});
    }
    QJsonArray names;
    if (!b.nomPatronymique.trimmed().isEmpty() || !b.prenomUsuel.trimmed().isEmpty())
        names.append(humanName("official", b.nomPatronymique, b.prenomUsuel));
    if (!b.nomUsuel.trimmed().isEmpty() && b.nomUsuel.trimmed() != b.nomPatronymique.trimmed())
        names.append(humanName("usual", b.nomUsuel, b.prenomUsuel));
    if (!names.isEmpty())
        p.insert(QStringLiteral("name"), names);
    putText(p, "birthDate", b.naissance.partialIso());
    // The card's rank of birth has no element or FR Core extension of its own here; left out.
    return p;
}

QJsonObject fund(const CardData& card)
{
    QJsonObject o{{QStringLiteral("resourceType"), QStringLiteral("Organization")},
                  {QStringLiteral("active"), true}};
    const QString code = (card.codeRegime + card.caisse + card.centreCarte).trimmed();
    if (!code.isEmpty()) {
        o.insert(
            QStringLiteral("identifier"),
            QJsonArray{QJsonObject{{QStringLiteral("type"),
                                    QJsonObject{{QStringLiteral("text"),
                                                 QStringLiteral("Code régime, caisse et centre")}}},
                                   {QStringLiteral("value"), code}}});
    }
    o.insert(QStringLiteral("type"),
             QJsonArray{codeableConcept("http://terminology.hl7.org/CodeSystem/organization-type",
                                        "pay", QStringLiteral("Assurance maladie obligatoire"))});
    putText(o, "name", card.libelleCaisse);
    return o;
}

QJsonObject coverage(const QJsonObject& type, const QString& beneficiary, const QJsonArray& payor,
                     const std::optional<CardPeriod>& rights)
{
    QJsonObject c{{QStringLiteral("resourceType"), QStringLiteral("Coverage")},
                  {QStringLiteral("status"), QStringLiteral("active")},
                  {QStringLiteral("type"), type},
                  {QStringLiteral("beneficiary"), reference(beneficiary)},
                  {QStringLiteral("payor"), payor}};
    if (const auto p = period(rights))
        c.insert(QStringLiteral("period"), *p);
    return c;
}

QJsonObject planClass(const QString& code, const QString& label)
{
    QJsonObject c{
        {QStringLiteral("type"),
         codeableConcept("http://terminology.hl7.org/CodeSystem/coverage-class", "plan", {})},
        {QStringLiteral("value"), code.trimmed()}};
    putText(c, "name", label);
    return c;
}

QJsonObject payorNamed(const QString& display)
{
    return {{QStringLiteral("display"), display}};
}

} // namespace

QByteArray cardFhirBundle(const CardData& card, const QDateTime& dateLecture)
{
    BundleBuilder bundle(card, dateLecture);

    QStringList patients;
    for (qsizetype i = 0; i < card.beneficiaires.size(); ++i)
        patients.append(
            bundle.add(patient(card.beneficiaires[i]), QStringLiteral("patient/%1").arg(i)));

    // An Organization must carry a name or an identifier; a card with neither names no fund.
    const QJsonObject organization = fund(card);
    const QJsonArray amoPayor =
        organization.contains(QStringLiteral("identifier")) ||
                organization.contains(QStringLiteral("name"))
            ? QJsonArray{reference(bundle.add(organization, QStringLiteral("caisse")))}
            : QJsonArray{payorNamed(QStringLiteral("Organisme d'assurance maladie obligatoire"))};

    const QString subscriberId =
        card.beneficiaires.isEmpty() ? QString() : nirValue(card.beneficiaires.first().nir);
    for (qsizetype i = 0; i < card.beneficiaires.size(); ++i) {
        const CardBeneficiary& b = card.beneficiaires[i];
        QJsonObject amo = coverage(codeableConcept(kActCodes, "PUBLICPOL",
                                                   QStringLiteral("Assurance maladie obligatoire")),
                                   patients[i], amoPayor, b.droits);
        amo.insert(QStringLiteral("subscriber"), reference(patients.first()));
        putText(amo, "subscriberId", subscriberId);
        if (!card.codeRegime.trimmed().isEmpty())
            amo.insert(QStringLiteral("class"),
                       QJsonArray{planClass(card.codeRegime, card.libelleRegime)});
        bundle.add(amo, QStringLiteral("amo/%1").arg(i));

        if (b.mutuelle) {
            const QString number = b.mutuelle->numIdent.trimmed();
            QJsonObject payor = payorNamed(number.isEmpty() ? QStringLiteral("Mutuelle")
                                                            : QStringLiteral("Mutuelle ") + number);
            if (!number.isEmpty())
                payor.insert(QStringLiteral("identifier"),
                             QJsonObject{{QStringLiteral("value"), number}});
            bundle.add(
                coverage(codeableConcept(kActCodes, "EHCPOL",
                                         QStringLiteral("Assurance complémentaire (mutuelle)")),
                         patients[i], QJsonArray{payor}, b.mutuelle->periode),
                QStringLiteral("mutuelle/%1").arg(i));
        }
        if (b.cmu) {
            const QString label = b.cmu->libelle.trimmed().isEmpty() ? QStringLiteral("CMU")
                                                                     : b.cmu->libelle.trimmed();
            // The card names the CMU's type, not who manages it.
            QJsonObject cmu = coverage(codeableConcept(kActCodes, "SUBSIDIZ", label), patients[i],
                                       QJsonArray{payorNamed(QStringLiteral(
                                           "Organisme gestionnaire de la CMU (non indiqué "
                                           "par la carte)"))},
                                       b.cmu->periode);
            if (!b.cmu->typeCMU.trimmed().isEmpty())
                cmu.insert(QStringLiteral("class"),
                           QJsonArray{planClass(b.cmu->typeCMU, b.cmu->libelle)});
            bundle.add(cmu, QStringLiteral("cmu/%1").arg(i));
        }
    }

    const QJsonObject root{{QStringLiteral("resourceType"), QStringLiteral("Bundle")},
                           {QStringLiteral("id"), bundle.id(QStringLiteral("bundle"))},
                           {QStringLiteral("type"), QStringLiteral("collection")},
                           {QStringLiteral("timestamp"), isoInstant(dateLecture)},
                           {QStringLiteral("entry"), bundle.entries()}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace kelvora
