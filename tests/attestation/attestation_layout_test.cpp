#include "attestation/attestation_layout.h"
#include "attestation/attestation_texts.h"
#include "base/vitale_decode.h"
#include "certificate_support.h"
#include "pdf/images/jpeg_image.h"

#include <QTemporaryDir>
#include <sstream>

using namespace kelvora;
using namespace kelvora::testing;

namespace
{

const QDateTime kExtracted(QDate(2026, 12, 9), QTime(14, 5, 9));

pdf::TJPEGImage logo(const char* name)
{
    pdf::TJPEGImage image;
    image.LoadFromFile(std::string(KELVORA_FIXTURES "/") + name);
    return image;
}

QStringList entry(int size, const QString& nom, const QString& prenom, const QString& nir,
                  const QString& naissance, const QString& rang)
{
    QStringList e(size);
    e[slot::nomUsuel] = nom;
    e[slot::prenomUsuel] = prenom;
    e[slot::nir] = nir;
    e[slot::naissance] = naissance;
    e[slot::rangDeNaissance] = rang;
    return e;
}

VitaleRecord insuredOnly()
{
    QStringList first =
        entry(kFirstEntrySlots, QStringLiteral("BÉRANGER"), QStringLiteral("François"),
              QStringLiteral("1750375056123 61"), QStringLiteral("05031975"), QStringLiteral("1"));
    first[slot::codeRegime] = QStringLiteral("01");
    first[slot::caisse] = QStringLiteral("751");
    first[slot::centreCarte] = QStringLiteral("9881");
    first[slot::codeGestion] = QStringLiteral("10");
    first[slot::libelleRegime] = QStringLiteral("Régime général");
    first[slot::libelleCaisse] = QStringLiteral("CPAM de Paris");
    VitaleRecord record;
    record.carte_numserie = QStringLiteral("1506243198");
    record.appli_xml_cnt2 = 1;
    record.appli_xml_ext = {first};
    return record;
}

void addBeneficiary(VitaleRecord& record, const QStringList& e)
{
    record.appli_xml_ext.append(e);
    record.appli_xml_cnt2 = int(record.appli_xml_ext.size());
}

QByteArray certificate(const VitaleRecord& record, const char* logoName = "logo-300x150.jpg")
{
    std::ostringstream out;
    writeAttestation(out, record, logo(logoName), kExtracted);
    return QByteArray::fromStdString(out.str());
}

QList<QByteArray> cp1252Lines(const QStringList& lines)
{
    QList<QByteArray> out;
    for (const QString& line : lines)
        out.append(reader::toCp1252(line));
    return out;
}

QStringList textGroup(const char* xy, const QString& text)
{
    return {QStringLiteral("BT"), QString::fromLatin1(xy) + QStringLiteral(" Td"),
            QLatin1Char('(') + text + QStringLiteral(") Tj"), QStringLiteral("ET")};
}

TEST(AttestationLayout, ContentStreamBeginsLineForLineAsThePageTableSays)
{
    QStringList expected = {QStringLiteral("/F0 10 Tf"), QStringLiteral("q"),
                            QStringLiteral("100 0 0 50 15 777 cm"),
                            QStringLiteral("/logo_sante Do"), QStringLiteral("Q")};
    expected << textGroup("57.5 760", QStringLiteral("Assuré social : "))
             << textGroup("127 760", QStringLiteral("BÉRANGER François"))
             << textGroup("17 743", QStringLiteral("N° de Sécurité Sociale : "))
             << textGroup("127 743", QStringLiteral("1 75 03 75 056 123 61"))
             << textGroup("83 726", QStringLiteral("Régime : "))
             << textGroup("127 726", QStringLiteral("Régime général"))
             << textGroup("87 709", QStringLiteral("Caisse : "))
             << textGroup("127 709", QStringLiteral("CPAM de Paris"));
    expected << QStringLiteral("/F1 20 Tf")
             << textGroup("17 675", QStringLiteral("Attestation de droits Régime Obligatoire"));
    expected << QStringLiteral("1 w") << QStringLiteral("17 641 m") << QStringLiteral("579 641 l")
             << QStringLiteral("S") << QStringLiteral("17 589 m") << QStringLiteral("579 589 l")
             << QStringLiteral("S") << QStringLiteral("0.89 0.89 0.89 RG");
    // The grey band: 26 one-point lines under the top edge, then the black rule under it.
    for (int y = 640; y >= 615; --y)
        expected << QStringLiteral("18 %1 m").arg(y) << QStringLiteral("578 %1 l").arg(y)
                 << QStringLiteral("S");
    expected << QStringLiteral("0 0 0 RG") << QStringLiteral("18 614 m")
             << QStringLiteral("578 614 l") << QStringLiteral("S");
    ASSERT_EQ(expected.size(), 53 + 25 * 3 + 4);

    const QList<QByteArray> lines = contentLines(certificate(insuredOnly()));
    ASSERT_GE(lines.size(), expected.size());
    const QList<QByteArray> want = cp1252Lines(expected);
    for (qsizetype i = 0; i < want.size(); ++i)
        EXPECT_EQ(lines[i], want[i]) << "line " << i + 1;
}

TEST(AttestationLayout, LogoKeepsItsAspectRatioAtFiftyPointsHigh)
{
    EXPECT_EQ(contentLines(certificate(insuredOnly(), "logo-150x150.jpg"))[2],
              "50 0 0 50 15 777 cm");
}

TEST(AttestationLayout, TablesRowAndFooterOfAnInsuredPersonWithARightsLine)
{
    VitaleRecord record = insuredOnly();
    record.appli_xml_ext[0][slot::droits] =
        QStringLiteral("- droits ouverts du 01/01/2025 au 31/12/2026");
    record.carte_numserie.clear();

    const std::vector<PlacedText> texts = placedTexts(certificate(record));
    const std::vector<PlacedText> tail(texts.begin() + 8, texts.end());
    const auto t = [](const char* x, const char* y, const QString& s) {
        return PlacedText{QString::fromLatin1(x), QString::fromLatin1(y), s};
    };
    const std::vector<PlacedText> expected = {
        t("17", "675", QStringLiteral("Attestation de droits Régime Obligatoire")),
        t("20", "626", QStringLiteral("organisme de rattachement sécurité sociale")),
        t("234", "626", QStringLiteral("code gestion")),
        t("312", "629", QStringLiteral("n° de sécurité sociale")),
        t("312", "619", QStringLiteral("de l'assuré")),
        t("20", "599", QStringLiteral("01 751 9881")),
        t("234", "599", QStringLiteral("10")),
        t("311", "599", QStringLiteral("1 75 03 75 056 123 61")),
        t("432", "599", QStringLiteral(" ")),
        t("20", "567", QStringLiteral("Bénéficiaire(s)")),
        t("252", "567", QStringLiteral("n° de sécurité sociale du bénéficiaire")),
        t("432", "567", QStringLiteral("né(e) le / rang")),
        t("20", "540", QStringLiteral("BÉRANGER François")),
        t("311", "540", QStringLiteral("1 75 03 75 056 123 61")),
        t("432", "540", QStringLiteral("05/03/1975")),
        t("507", "540", QStringLiteral("1")),
        t("30", "532", QStringLiteral("- droits ouverts du 01/01/2025 au 31/12/2026")),
        t("15", "34",
          QStringLiteral("Conformément à la loi Informatique et Libertés, vous pouvez demander la "
                         "rectification des informations vous concernant auprès de votre "
                         "organisme")),
        t("15", "25.5", QStringLiteral("gestionnaire.")),
        t("15", "17",
          QStringLiteral("Extrait le 09/12/2026 - 14:05:09 depuis la carte portant numéro de "
                         "série ")),
    };
    EXPECT_EQ(tail, expected);
}

// The pieces of an exemption line made of "- " and x's, with their positions.
std::vector<PlacedText> exemptionPieces(const VitaleRecord& record)
{
    std::vector<PlacedText> pieces;
    for (const PlacedText& p : placedTexts(certificate(record))) {
        const bool xs = !p.text.isEmpty() && p.text.count(QLatin1Char('x')) == p.text.size();
        if (xs || p.text.startsWith(QStringLiteral("- x")))
            pieces.push_back(p);
    }
    return pieces;
}

struct ExemptionCase {
    const char* name;
    int length;
    bool secondEntry;
    std::vector<std::array<int, 3>> pieces; // x, y, characters
};

class ExemptionLine : public ::testing::TestWithParam<ExemptionCase>
{
};

TEST_P(ExemptionLine, IsSplitOnEveryEntryInPiecesOf150)
{
    const ExemptionCase& c = GetParam();
    VitaleRecord record = insuredOnly();
    const QString exo = QStringLiteral("- ") + QString(c.length - 2, QLatin1Char('x'));
    if (c.secondEntry)
        addBeneficiary(record, entry(kEntrySlots, QStringLiteral("BÉRANGER"), QStringLiteral("Zoé"),
                                     QStringLiteral("2120975056123 07"), QStringLiteral("22092012"),
                                     QStringLiteral("2")));
    record.appli_xml_ext[c.secondEntry ? 1 : 0][slot::libelleExo] = exo;

    const std::vector<PlacedText> notes = exemptionPieces(record);
    ASSERT_EQ(notes.size(), c.pieces.size());
    QString joined;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].x, QString::number(c.pieces[i][0])) << "piece " << i;
        EXPECT_EQ(notes[i].y, QString::number(c.pieces[i][1])) << "piece " << i;
        EXPECT_EQ(notes[i].text.size(), c.pieces[i][2]) << "piece " << i;
        joined += notes[i].text;
    }
    EXPECT_EQ(joined, exo);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExemptionLine,
    ::testing::Values(
        // The row is at 540; one note 8 lower, a split line starts 16 lower.
        ExemptionCase{"exactly150", 150, false, {{30, 532, 150}}},
        ExemptionCase{"of151", 151, false, {{30, 524, 150}, {20, 516, 1}}},
        ExemptionCase{"of300", 300, false, {{30, 524, 150}, {20, 516, 150}}},
        ExemptionCase{"of301", 301, false, {{30, 524, 150}, {20, 516, 150}, {20, 508, 1}}},
        // The second row is 17 lower (523); its line is cut the same way.
        ExemptionCase{"secondEntry150", 150, true, {{30, 515, 150}}},
        ExemptionCase{"secondEntry160", 160, true, {{30, 507, 150}, {20, 499, 10}}},
        ExemptionCase{"secondEntry301", 301, true, {{30, 507, 150}, {20, 499, 150}, {20, 491, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AttestationTexts, SocialSecurityNumberIsPrintedInItsSevenGroups)
{
    const std::pair<const char*, const char*> cases[] = {
        {"1234567890123 45", "1 23 45 67 890 123 45"},
        {"1234567890123", "1 23 45 67 890 123 "},
        {"12345", "1 23 45    "},
        {"", "      "},
    };
    for (const auto& [nir, printed] : cases)
        EXPECT_EQ(formatNir(QString::fromLatin1(nir)), QString::fromLatin1(printed)) << nir;
}

TEST(AttestationTexts, ExtractionLineUsesFixedSeparatorsAndTheSerialNumber)
{
    EXPECT_EQ(extractionLine(QDateTime(QDate(2027, 1, 3), QTime(7, 4, 0)), QStringLiteral("42")),
              QStringLiteral("Extrait le 03/01/2027 - 07:04:00 depuis la carte portant numéro "
                             "de série 42"));
}

class DemoCertificate : public ::testing::TestWithParam<const char*>
{
};

// The demo cards, decoded and labelled as a reading does, written to a real file.
TEST_P(DemoCertificate, PassesQpdfAndReadsBackNamesNirAndFooter)
{
    const QByteArray document =
        readFileBytes(QStringLiteral(KELVORA_DEMO_DIR "/") + QString::fromLatin1(GetParam()));
    VitaleDecodeResult decoded = decodeVitaleDocument(document);
    ASSERT_TRUE(decoded.ok()) << decoded.reason.toStdString();
    VitaleRecord& record = *decoded.record;
    for (const WalkStep& step : record.walk)
        if (const auto* lookup = std::get_if<DictionaryLookup>(&step))
            applyLabel(record, *lookup, QStringLiteral("Libellé %1").arg(lookup->table));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("attestation.pdf"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray bytes = certificate(record, "logo-300x150.jpg");
        file.write(bytes);
    }
    const CommandResult check = qpdfCheck(path);
    EXPECT_EQ(check.exitCode, 0) << check.output;

    const QString text = pdfText(path);
    for (const QStringList& e : record.appli_xml_ext) {
        const QString name = beneficiaryName(e);
        // pdftotext may set a long page apart; the first rows of the table must read back.
        if (&e - record.appli_xml_ext.data() < 3) {
            EXPECT_TRUE(text.contains(name)) << name.toStdString();
            EXPECT_TRUE(text.contains(formatNir(e[slot::nir]))) << e[slot::nir].toStdString();
        }
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Attestation de droits Régime Obligatoire")));
    EXPECT_TRUE(text.contains(QStringLiteral("Conformément à la loi Informatique et Libertés")));
    EXPECT_TRUE(text.contains(QStringLiteral("gestionnaire.")));
    EXPECT_TRUE(text.contains(QStringLiteral("depuis la carte portant numéro de série ") +
                              record.carte_numserie));
}

INSTANTIATE_TEST_SUITE_P(Cards, DemoCertificate, ::testing::Values("carte.xml", "carte-10.xml"),
                         [](const auto& info) {
                             return info.index == 0 ? std::string("three") : std::string("ten");
                         });

} // namespace
