// The card's data as JSON and as a FHIR bundle, over the demo cards and small cards that show
// the hard cases; every file made here passes the project's JSON Schema or both FHIR validators.
#include "base/card_fhir.h"
#include "base/card_json.h"
#include "base/vitale_decode.h"
#include "support/export_checks.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

using namespace kelvora;

// A failed comparison shows the JSON itself.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QJsonObject& object, std::ostream* os)
{
    *os << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}
QT_END_NAMESPACE

namespace
{

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << path.toStdString();
    return file.readAll();
}

QJsonObject parsed(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object();
}

// The demo installation's dictionary (tools/demo/dictionnaire.ini); any other code is a lookup
// the library answers with nothing.
QString label(qint16 table, const QString& code)
{
    static const std::map<std::pair<qint16, QString>, QString> labels = {
        {{1, QStringLiteral("01")}, QStringLiteral("Régime général")},
        {{1, QStringLiteral("02")}, QStringLiteral("Régime agricole")},
        {{2, QStringLiteral("017519881")}, QStringLiteral("CPAM de Paris")},
        {{2, QStringLiteral("026910000")}, QStringLiteral("MSA Ain-Rhône")},
        {{13, QStringLiteral("01")}, QStringLiteral("CMU complémentaire")},
    };
    const auto found = labels.find({table, code});
    return found == labels.end() ? QString() : found->second;
}

CardData decodedCard(const QString& path)
{
    VitaleDecodeResult decoded = decodeVitaleDocument(readFile(path));
    EXPECT_TRUE(decoded.ok()) << decoded.reason.toStdString();
    if (!decoded.ok())
        return {};
    VitaleRecord& record = *decoded.record;
    for (const WalkStep& step : record.walk)
        if (const auto* lookup = std::get_if<DictionaryLookup>(&step))
            applyLabel(record, *lookup, label(lookup->table, lookup->code));
    return record.donnees;
}

// A reading in the afternoon of a winter day in Paris.
const QDateTime kLecture(QDate(2026, 12, 9), QTime(14, 30, 5), QTimeZone(3600));

struct ExportCase {
    const char* name;
    QString card;
    const char* expectedJson; // tests/fhir/fixtures/attendu/
    // Per beneficiary: the Patient's birthDate ("" for none) and the NIR as its identifier.
    std::vector<std::pair<const char*, const char*>> patients;
    int complementary; // mutual insurers and CMU rights
};

const QString kDemo = QStringLiteral(KELVORA_DEMO_DIR "/");
const QString kFixtures = QStringLiteral(KELVORA_FIXTURES "/");

const std::vector<ExportCase> kCases = {
    {"DemoCard",
     kDemo + QStringLiteral("carte.xml"),
     "carte-demo.json",
     {{"1975-03-05", "175037505612361"},
      {"1978-06-14", "278066912304582"},
      {"2012-09-22", "175037505612361"}},
     2},
    {"TenBeneficiaries",
     kDemo + QStringLiteral("carte-10.xml"),
     "carte-10.json",
     {{"1969-04-12", "169046912308813"},
      {"1971-02-03", "271023818504220"},
      {"1996-08-17", "169046912308813"},
      {"1998-11-09", "169046912308813"},
      {"2001-05-25", "169046912308813"},
      {"2001-05-25", "169046912308813"},
      {"2004-01-30", "169046912308813"},
      {"2007-07-14", "169046912308813"},
      {"2010-12-02", "169046912308813"},
      {"2013-06-19", "169046912308813"}},
     3},
    {"PartialBirthDates",
     kFixtures + QStringLiteral("naissance-partielle.xml"),
     "naissance-partielle.json",
     {{"1980-05", "180059935201247"}, {"1962", "262009935203305"}, {"", "180059935201247"}},
     0},
    {"Latin1NoNirNoPeriodNoEnd",
     kFixtures + QStringLiteral("sans-nir-latin1.xml"),
     "sans-nir-latin1.json",
     {{"1969-12-24", "169121305500193"}, {"1971-02-02", ""}},
     2},
};

QJsonArray entriesOf(const QJsonObject& bundle, const QString& type)
{
    QJsonArray found;
    for (const QJsonValue& entry : bundle[QStringLiteral("entry")].toArray())
        if (entry[QStringLiteral("resource")][QStringLiteral("resourceType")].toString() == type)
            found.append(entry);
    return found;
}

class CardExport : public ::testing::Test
{
protected:
    QTemporaryDir out;
};

TEST_F(CardExport, EachCardGivesItsRecordAndABundleThatTheValidatorsAccept)
{
    QStringList records;
    QStringList bundles;
    for (const ExportCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const CardData card = decodedCard(c.card);

        const QByteArray json = cardJson(card, kLecture);
        EXPECT_TRUE(QString::fromUtf8(json).toUtf8() == json) << "not UTF-8";
        EXPECT_EQ(parsed(json), parsed(readFile(kFixtures + QStringLiteral("attendu/") +
                                                QString::fromLatin1(c.expectedJson))));

        const QJsonObject bundle = parsed(cardFhirBundle(card, kLecture));
        EXPECT_EQ(bundle[QStringLiteral("type")].toString(), QStringLiteral("collection"));
        const QJsonArray patients = entriesOf(bundle, QStringLiteral("Patient"));
        ASSERT_EQ(patients.size(), qsizetype(c.patients.size()));
        const QJsonArray coverages = entriesOf(bundle, QStringLiteral("Coverage"));
        const QString subscriber = patients[0][QStringLiteral("fullUrl")].toString();
        for (qsizetype i = 0; i < patients.size(); ++i) {
            const QJsonObject patient = patients[i][QStringLiteral("resource")].toObject();
            const QString fullUrl = patients[i][QStringLiteral("fullUrl")].toString();
            const auto& [birthDate, nir] = c.patients[std::size_t(i)];
            EXPECT_EQ(patient[QStringLiteral("meta")][QStringLiteral("profile")][0].toString(),
                      QLatin1String(fhir::kPatientProfile));
            EXPECT_EQ(patient[QStringLiteral("birthDate")].toString(), QLatin1String(birthDate))
                << i;
            const QJsonArray identifiers = patient[QStringLiteral("identifier")].toArray();
            if (*nir == '\0') {
                EXPECT_TRUE(identifiers.isEmpty()) << i;
            } else {
                ASSERT_EQ(identifiers.size(), 1) << i;
                const QJsonObject id = identifiers[0].toObject();
                EXPECT_EQ(id[QStringLiteral("system")].toString(),
                          QStringLiteral("urn:oid:1.2.250.1.213.1.4.8"));
                EXPECT_EQ(id[QStringLiteral("use")].toString(), QStringLiteral("official"));
                EXPECT_EQ(
                    id[QStringLiteral("type")][QStringLiteral("coding")][0].toObject(),
                    (QJsonObject{{QStringLiteral("system"),
                                  QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0203")},
                                 {QStringLiteral("code"), QStringLiteral("NH")}}));
                EXPECT_EQ(id[QStringLiteral("value")].toString(), QLatin1String(nir));
            }
            // Its compulsory-scheme Coverage names it, with the insured person as subscriber.
            int compulsory = 0;
            for (const QJsonValue& entry : coverages) {
                const QJsonObject coverage = entry[QStringLiteral("resource")].toObject();
                if (coverage[QStringLiteral("beneficiary")][QStringLiteral("reference")] != fullUrl)
                    continue;
                if (coverage[QStringLiteral("type")][QStringLiteral("coding")][0]
                            [QStringLiteral("code")] == QStringLiteral("PUBLICPOL")) {
                    ++compulsory;
                    EXPECT_EQ(coverage[QStringLiteral("subscriber")][QStringLiteral("reference")],
                              subscriber);
                }
            }
            EXPECT_EQ(compulsory, 1) << i;
        }
        // One compulsory Coverage per beneficiary, and one per mutual insurer or CMU right.
        EXPECT_EQ(coverages.size(), patients.size() + c.complementary);

        const QString base = out.filePath(QString::fromLatin1(c.name));
        for (const auto& [path, bytes] :
             {std::pair{base + QStringLiteral(".json"), json},
              std::pair{base + QStringLiteral(".fhir.json"), cardFhirBundle(card, kLecture)}}) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        records << base + QStringLiteral(".json");
        bundles << base + QStringLiteral(".fhir.json");
    }
    const kelvora::testing::ExportCheck check = kelvora::testing::checkExports(records, bundles);
    EXPECT_TRUE(check.passed) << check.output.toStdString();
}

} // namespace

namespace
{

// Each validator catches a fault the other lets through, and the schema catches a day that
// is not one: a check that passes means something.
TEST(ExportChecks, EachValidatorCatchesWhatTheOtherMisses)
{
    const QString code = kFixtures + QStringLiteral("faute-code.fhir.json");
    const QString date = kFixtures + QStringLiteral("faute-date.fhir.json");
    const QString record = kFixtures + QStringLiteral("faute-date.json");
    const kelvora::testing::ExportCheck check =
        kelvora::testing::checkExports({record}, {code, date});
    EXPECT_FALSE(check.passed);
    const QStringList lines = check.output.split(QLatin1Char('\n'));
    // The line that counts a file's errors: "<file>: fhir N erreur(s), schema R4 M erreur(s)".
    const auto summary = [&lines](const QString& file) {
        const QString lead = file + QStringLiteral(": fhir ");
        for (const QString& line : lines)
            if (line.startsWith(lead) && line.contains(QStringLiteral(" erreur(s), ")))
                return line.mid(file.size() + 2);
        return QString();
    };
    EXPECT_EQ(summary(code), QStringLiteral("fhir 1 erreur(s), schema R4 0 erreur(s)"))
        << check.output.toStdString();
    EXPECT_TRUE(summary(date).startsWith(QStringLiteral("fhir 0 erreur(s), schema R4 ")))
        << check.output.toStdString();
    EXPECT_FALSE(summary(date).endsWith(QStringLiteral("R4 0 erreur(s)")));
    EXPECT_TRUE(check.output.contains(QStringLiteral("/beneficiaires/0/naissance/date")))
        << check.output.toStdString();
}

struct DateCase {
    const char* texte;
    int annee;
    int mois;
    int jour;
    const char* iso;        // only a whole calendar day
    const char* partialIso; // what a FHIR date may say
};

TEST(CardDates, OnlyWhatTheCardGivesAndNeverAnInventedDay)
{
    const DateCase cases[] = {
        {"05031975", 1975, 3, 5, "1975-03-05", "1975-03-05"},
        {"00051980", 1980, 5, 0, "", "1980-05"},  // unknown day
        {"00001962", 1962, 0, 0, "", "1962"},     // unknown day and month
        {"15001962", 1962, 0, 15, "", "1962"},    // a day without its month says nothing
        {"1503", 0, 3, 15, "", ""},               // cut short: no year
        {"", 0, 0, 0, "", ""},                    // no date at all
        {"31022025", 2025, 2, 31, "", "2025-02"}, // no such day
        {"29022024", 2024, 2, 29, "2024-02-29", "2024-02-29"},
        {"05031975 ", 0, 0, 0, "", ""}, // longer than the card writes: not trusted
        {"0a031975", 1975, 3, 0, "", "1975-03"},
        {"05030000", 0, 3, 5, "", ""}, // year 0 is no year
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(c.texte);
        const CardDate d = CardDate::fromCard(QString::fromLatin1(c.texte));
        EXPECT_EQ(d.texte, QString::fromLatin1(c.texte));
        EXPECT_EQ(d.annee, c.annee);
        EXPECT_EQ(d.mois, c.mois);
        EXPECT_EQ(d.jour, c.jour);
        EXPECT_EQ(d.iso().toStdString(), c.iso);
        EXPECT_EQ(d.partialIso().toStdString(), c.partialIso);
    }
}

} // namespace
