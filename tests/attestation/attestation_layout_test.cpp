#include "attestation/attestation_layout.h"
#include "attestation/attestation_texts.h"
#include "base/vitale_decode.h"
#include "certificate_support.h"
#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/images/jpeg_image.h"

#include <QTemporaryDir>
#include <algorithm>
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

// The reading keeps the bytes built in memory; they are the file a stream receives.
TEST(AttestationLayout, BytesInMemoryAreTheFileWrittenToAStream)
{
    for (const char* name : {"logo-300x150.jpg", "logo-150x150.jpg"}) {
        SCOPED_TRACE(name);
        const VitaleRecord record = insuredOnly();
        EXPECT_EQ(QByteArray::fromStdString(attestationBytes(record, logo(name), kExtracted)),
                  certificate(record, name));
    }
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

// The column line of the beneficiaries' table is at x 421; a note starts at x 30 and keeps
// 4 points clear of it.
constexpr double kNoteRoom = 421 - 4 - 30;

// Width in points as the PDF writer's canvas measures it, with the notes' font selected.
double canvasWidth(const QString& text)
{
    static pdf::TPdfDoc* const doc = [] {
        auto* d = new pdf::TPdfDoc;
        d->NewDoc();
        d->AddPage();
        d->Canvas().SetFont(u"Arial-Italic", 8);
        return d;
    }();
    return doc->Canvas().TextWidth(
        {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())});
}

// The texts drawn at the notes' x, in order.
std::vector<PlacedText> notesOf(const VitaleRecord& record)
{
    std::vector<PlacedText> notes;
    for (const PlacedText& p : placedTexts(certificate(record)))
        if (p.x == QStringLiteral("30"))
            notes.push_back(p);
    return notes;
}

const QString kProtocole =
    QStringLiteral("- Exonération du ticket modérateur : affection de longue durée inscrite au "
                   "protocole de soins, valable du 01/01/2024 au 31/12/2028, pour les soins en "
                   "rapport avec l'affection");

struct NoteCase {
    const char* name;
    int slot;
    bool secondEntry;
    QString text;
    // Whole words, the line cut only at spaces; else the text is one word cut inside.
    bool atSpaces;
    std::vector<const char*> wholeWords; // words that must stay on one line
    int lines;
};

void PrintTo(const NoteCase& c, std::ostream* os)
{
    *os << c.name;
}

class NoteWrapping : public ::testing::TestWithParam<NoteCase>
{
};

// Every note is cut so that it ends before the column line, 8 points a line at x 30; a cut
// falls on a space unless a single word is wider than the column.
TEST_P(NoteWrapping, FitsLeftOfTheColumnLineCutAtSpaces)
{
    const NoteCase& c = GetParam();
    VitaleRecord record = insuredOnly();
    if (c.secondEntry)
        addBeneficiary(record, entry(kEntrySlots, QStringLiteral("BÉRANGER"), QStringLiteral("Zoé"),
                                     QStringLiteral("2120975056123 07"), QStringLiteral("22092012"),
                                     QStringLiteral("2")));
    record.appli_xml_ext[c.secondEntry ? 1 : 0][c.slot] = c.text;

    const std::vector<PlacedText> notes = notesOf(record);
    ASSERT_EQ(notes.size(), std::size_t(c.lines));
    const int row = c.secondEntry ? 523 : 540;
    QStringList pieces;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i) + " " + notes[i].text.toStdString());
        EXPECT_EQ(notes[i].y, QString::number(row - 8 * int(i + 1)));
        EXPECT_LE(canvasWidth(notes[i].text), kNoteRoom);
        pieces.append(notes[i].text);
    }
    EXPECT_EQ(pieces.join(c.atSpaces ? QStringLiteral(" ") : QString()), c.text);
    // Each cut as late as it can be: the next word, or the next character, no longer fits.
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const QString next = c.atSpaces ? QLatin1Char(' ') + pieces[i + 1].section(' ', 0, 0)
                                        : pieces[i + 1].left(1);
        EXPECT_GT(canvasWidth(pieces[i] + next), kNoteRoom) << "line " << i;
    }
    for (const char* word : c.wholeWords) {
        const QString whole = QString::fromUtf8(word);
        EXPECT_TRUE(std::any_of(pieces.begin(), pieces.end(),
                                [&](const QString& p) { return p.contains(whole); }))
            << word << " split in " << pieces.join(QStringLiteral(" | ")).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoteWrapping,
    ::testing::Values(
        // A short note is written whole, as it always was.
        NoteCase{"short",
                 slot::droits,
                 false,
                 QStringLiteral("- droits ouverts du 01/01/2025 au 31/12/2026"),
                 true,
                 {},
                 1},
        NoteCase{"exemption_at_spaces",
                 slot::libelleExo,
                 false,
                 kProtocole,
                 true,
                 {"protocole", "affection", "01/01/2024"},
                 2},
        // The rule is the same for every beneficiary and every note slot.
        NoteCase{"second_entry", slot::libelleExo, true, kProtocole, true, {"protocole"}, 2},
        NoteCase{"mutual",
                 slot::mutuelle,
                 false,
                 QStringLiteral("- Mutuelle : ") + kProtocole.mid(2) + QStringLiteral(" ") +
                     kProtocole.mid(2),
                 true,
                 {"protocole"},
                 4},
        NoteCase{"cmu", slot::cmu, true, kProtocole, true, {}, 2},
        // A single word wider than the column is the only one cut inside.
        NoteCase{
            "word_of_300", slot::libelleExo, false, QString(300, QLatin1Char('x')), false, {}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NoteWrap, MeasuresWithTheWritersWidthsAndKeepsWhatFits)
{
    // Arial-Italic keeps Arial's widths: « x » 500, « é » 556, « € » 556, space 278.
    EXPECT_DOUBLE_EQ(noteWidth(QStringLiteral("x")), 4);
    EXPECT_DOUBLE_EQ(noteWidth(QStringLiteral("é €"), 10), (556 + 278 + 556) / 100.0);
    const QString fits = QStringLiteral("- droits ouverts  du 01/01/2025 ");
    EXPECT_EQ(wrapNote(fits, kNoteRoom), QStringList{fits});
    // A long word after a short one starts its own line before it is cut.
    const QStringList cut = wrapNote(QStringLiteral("ALD ") + QString(100, QLatin1Char('x')), 100);
    ASSERT_EQ(cut.size(), 5);
    EXPECT_EQ(cut[0], QStringLiteral("ALD"));
    EXPECT_EQ(cut[1], QString(25, QLatin1Char('x')));
    EXPECT_EQ(cut[4], QString(25, QLatin1Char('x')));
    // A character outside the code page is measured as the « ? » it is written as, and a
    // surrogate pair is never split.
    EXPECT_DOUBLE_EQ(noteWidth(QStringLiteral("Ł")), noteWidth(QStringLiteral("?")));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QStringList pairs = wrapNote(QString(4, QLatin1Char('x')) + emoji + emoji, 20);
    for (const QString& line : pairs)
        EXPECT_FALSE(line.back().isHighSurrogate()) << line.toStdString();
    EXPECT_EQ(pairs.join(QString()), QString(4, QLatin1Char('x')) + emoji + emoji);
}

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
