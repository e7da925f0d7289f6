#include "base/vitale_decode.h"
#include "base/xml_library.h"
#include "support/test_file.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace kelvora;

namespace
{

QByteArray fixture(const char* name)
{
    return readTestFile(QStringLiteral(KELVORA_FIXTURES "/") + QString::fromUtf8(name));
}

struct SlotText {
    int entry;
    int slot;
    const char* text; // UTF-8
};

struct DecodeCase {
    const char* name;
    const char* file;
    VitaleDecodeFailure failure;
    const char* reasonPart; // failures: a piece the log line must carry
    const char* numSerie;
    int count;
    std::vector<SlotText> filled; // every non-empty slot; all others must be empty
    friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }
};

const std::vector<DecodeCase> kCases = {
    {"ThreeBeneficiaries",
     "trois-beneficiaires.xml",
     VitaleDecodeFailure::None,
     "",
     "0123456789",
     3,
     {
         {0, 0, "MARTIN"},
         {0, 1, "MARTIN"},
         {0, 2, "Jérôme"},
         {0, 3, "1750375056123 46"},
         {0, 4, "05031975"},
         {0, 5, "1"},
         {0, 11, "- Affection de longue durée"},
         // only the first of two periods counts
         {0, 12, "- droits ouverts du 01/01/2024 au 31/12/2026"},
         {0, 41, "01"},
         {0, 42, "751"},
         {0, 43, "9881"},
         {0, 44, "10"},
         {1, 0, "MARTIN"},
         {1, 1, "DUVAL"},
         {1, 2, "Anaïs"},
         {1, 3, "2780669123045 12"},
         {1, 4, "14061978"},
         {1, 5, "1"},
         {1, 12, "- droits ouverts du 01/01/2024 au 31/12/2026"},
         {1, 13,
          "- Mutuelle : identifiant=75500017 *** droits ouverts du 01/01/2025 au 31/12/2025"},
         {2, 0, "MARTIN"},
         {2, 2, "Léo"},
         {2, 3, "1750375056123 46"},
         {2, 4, "22092012"},
         {2, 5, "2"},
         // no label looked up yet: the fixed parts alone
         {2, 14, "- CMU :  *** droits ouverts du 01/03/2025 au 28/02/2026"},
     }},
    {"ShortDatesKeepBothSlashes",
     "dates-courtes.xml",
     VitaleDecodeFailure::None,
     "",
     "42",
     1,
     {
         {0, 0, "PETIT"},
         {0, 4, "0102"},
         {0, 12, "- droits ouverts du 01/02/ au 31/12/2026"},
         {0, 14, "- CMU :  *** droits ouverts du 01/02/2023 au //"},
     }},
    {"DebutWithoutFin",
     "debut-sans-fin.xml",
     VitaleDecodeFailure::None,
     "",
     "",
     1,
     {
         {0, 0, "ROUX"},
         {0, 12, "- droits ouverts du 01/02/2023 au //"},
         {0, 13, "- Mutuelle : identifiant=12345678 *** droits ouverts du 01/02/2023 au //"},
     }},
    // fin without debut, mutuelle and cmu periods without numIdent/typeCMU: all left empty
    {"MissingOptionalElements",
     "sections-absentes.xml",
     VitaleDecodeFailure::None,
     "",
     "",
     1,
     {{0, 0, "BLANC"}}},
    {"Latin1",
     "iso-8859-1.xml",
     VitaleDecodeFailure::None,
     "",
     "ISO-8859-1",
     1,
     {{0, 0, "LEFÈVRE"}, {0, 2, "Hélène"}, {0, 11, "- Exonération à 100 %"}}},
    {"Windows1252",
     "windows-1252.xml",
     VitaleDecodeFailure::None,
     "",
     "windows-1252",
     1,
     {{0, 0, "LŒUVRE"}, {0, 2, "Zoé"}, {0, 11, "- Soins d’urgence 20 €"}}},
    {"Utf16LittleEndianWithBom",
     "utf-16.xml",
     VitaleDecodeFailure::None,
     "",
     "UTF-16",
     1,
     {{0, 0, "GARÇON"}, {0, 2, "Noël"}, {0, 11, "- Exonération ½"}}},
    {"Utf16BigEndianWithoutBom",
     "utf-16be.xml",
     VitaleDecodeFailure::None,
     "",
     "UTF-16BE",
     1,
     {{0, 0, "ÉTIENNE"}, {0, 2, "Chloé"}}},
    // external DTD, parameter and general entities are never fetched; internal ones expand
    {"ExternalEntitiesNotLoaded",
     "entites-externes.xml",
     VitaleDecodeFailure::None,
     "",
     "123",
     1,
     {{0, 0, "DURAND-DURAND"}}},
    {"NotXml", "pas-xml.txt", VitaleDecodeFailure::NotParsed, "ligne 1", "", 0, {}},
    {"UnclosedTag", "balise-non-fermee.xml", VitaleDecodeFailure::NotParsed, "ligne 2", "", 0, {}},
    {"UnsupportedEncoding",
     "encodage-inconnu.xml",
     VitaleDecodeFailure::NotParsed,
     "x-klingon-7",
     "",
     0,
     {}},
    {"BillionLaughs",
     "milliard-de-rires.xml",
     VitaleDecodeFailure::NotParsed,
     "pas un XML lisible",
     "",
     0,
     {}},
    {"EntityLargerThanDocument",
     "entite-geante.xml",
     VitaleDecodeFailure::NotParsed,
     "entités trop volumineuses",
     "",
     0,
     {}},
    {"WrongRoot",
     "mauvaise-racine.xml",
     VitaleDecodeFailure::WrongRoot,
     "« T_AsnDonneesCPS »",
     "",
     0,
     {}},
    {"EmptyListeBenef",
     "liste-vide.xml",
     VitaleDecodeFailure::NoBeneficiary,
     "aucun bénéficiaire",
     "",
     0,
     {}},
    {"NoListeBenef",
     "sans-liste.xml",
     VitaleDecodeFailure::NoBeneficiary,
     "aucun bénéficiaire",
     "",
     0,
     {}},
};

class DecodeTable : public testing::TestWithParam<DecodeCase>
{
};

TEST_P(DecodeTable, DecodesSlots)
{
    const DecodeCase& c = GetParam();
    const QByteArray bytes = fixture(c.file);
    const VitaleDecodeResult result = decodeVitaleDocument(bytes);
    ASSERT_EQ(result.failure, c.failure) << result.reason.toStdString();

    if (c.failure != VitaleDecodeFailure::None) {
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.reason.contains(QString::fromUtf8(c.reasonPart)))
            << result.reason.toStdString();
        return;
    }

    ASSERT_TRUE(result.ok());
    const VitaleRecord& record = *result.record;
    EXPECT_EQ(record.carte_numserie, QString::fromUtf8(c.numSerie));
    EXPECT_EQ(record.appli_xml_cnt2, c.count);
    ASSERT_EQ(record.appli_xml_ext.size(), c.count);

    std::map<std::pair<int, int>, QString> expected;
    for (const SlotText& s : c.filled)
        expected[{s.entry, s.slot}] = QString::fromUtf8(s.text);
    for (int e = 0; e < c.count; ++e) {
        const QStringList& entry = record.appli_xml_ext[e];
        ASSERT_EQ(entry.size(), e == 0 ? 60 : 40) << "entry " << e;
        for (int s = 0; s < entry.size(); ++s) {
            const auto it = expected.find({e, s});
            EXPECT_EQ(entry[s], it == expected.end() ? QString() : it->second)
                << "entry " << e << " slot " << s;
        }
    }

    // The same document as it comes back in the library's zero-filled read buffer.
    QByteArray buffer(102400, '\0');
    buffer.replace(0, bytes.size(), bytes);
    EXPECT_EQ(cardDocumentBytes(buffer), QByteArrayView(bytes));
}

INSTANTIATE_TEST_SUITE_P(Documents, DecodeTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DecodeCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(VitaleWalk, LogLinesAndLookupsInReadingOrder)
{
    const VitaleDecodeResult result = decodeVitaleDocument(fixture("trois-beneficiaires.xml"));
    ASSERT_TRUE(result.ok()) << result.reason.toStdString();
    VitaleRecord record = *result.record;

    const QString cmuAfter = QStringLiteral(" *** droits ouverts du 01/03/2025 au 28/02/2026");
    const std::vector<WalkStep> expected = {
        SectionNote{QStringLiteral(" * libelleExo\r\n")},
        SectionNote{QStringLiteral(" * listePeriodesDroits\r\n")},
        DictionaryLookup{0, slot::libelleRegime, dico::regime, QStringLiteral("01"), {}, {}},
        DictionaryLookup{0, slot::libelleCaisse, dico::caisse, QStringLiteral("017519881"), {}, {}},
        SectionNote{QStringLiteral(" * listePeriodesDroits\r\n")},
        SectionNote{QStringLiteral(" * mutuelle\r\n")},
        SectionNote{QStringLiteral(" * cmu\r\n")},
        DictionaryLookup{2, slot::cmu, dico::cmu, QStringLiteral("01"), QStringLiteral("- CMU : "),
                         cmuAfter},
    };
    ASSERT_EQ(record.walk, expected);

    const QStringList labels = {QStringLiteral("Régime général"), QStringLiteral("CPAM de Paris"),
                                QStringLiteral("Complémentaire santé solidaire")};
    int next = 0;
    for (const WalkStep& step : record.walk) {
        if (const auto* lookup = std::get_if<DictionaryLookup>(&step))
            applyLabel(record, *lookup, labels[next++]);
    }
    EXPECT_EQ(record.appli_xml_ext[0][51], QStringLiteral("Régime général"));
    EXPECT_EQ(record.appli_xml_ext[0][52], QStringLiteral("CPAM de Paris"));
    EXPECT_EQ(record.appli_xml_ext[2][14],
              QStringLiteral("- CMU : Complémentaire santé solidaire") + cmuAfter);
}

TEST(CardDocumentBytes, StopsAtFirstZeroUnit)
{
    // A stray zero byte ends an 8-bit document; a UTF-16 one ends at a zero code unit only.
    EXPECT_EQ(cardDocumentBytes(QByteArrayView("<a/>\0<b/>", 9)), QByteArrayView("<a/>"));
    EXPECT_EQ(cardDocumentBytes(QByteArrayView("<\0a\0/\0>\0\0\0\0\0", 12)),
              QByteArrayView("<\0a\0/\0>\0", 8));
    EXPECT_EQ(cardDocumentBytes(QByteArrayView("\0<\0a\0\0", 6)), QByteArrayView("\0<\0a", 4));
    EXPECT_EQ(cardDocumentBytes(QByteArrayView("\0\0\0", 3)), QByteArrayView());
}

TEST(VitaleDecode, EmptyDocumentIsUnreadable)
{
    const VitaleDecodeResult result = decodeVitaleDocument(QByteArrayView());
    EXPECT_EQ(result.failure, VitaleDecodeFailure::NotParsed);
    EXPECT_FALSE(result.reason.isEmpty());
}

} // namespace

// The parser is opened with the first document: a missing library, or one without the
// parser's functions, is a French error naming it, never a crash at the first call.
TEST(XmlLibrary, AMissingOrForeignLibraryIsAnErrorNamingIt)
{
    struct Case {
        const char* file;
        const char* expected;
    };
    for (const Case& c : {Case{"libkelvora-absente.so.9", "introuvable : libkelvora-absente.so.9"},
                          Case{"libm.so.6", "Fonction xmlNewParserCtxt absente de libm.so.6"}}) {
        try {
            kelvora::loadLibXml(c.file);
            ADD_FAILURE() << c.file << " loaded";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
        }
    }
    EXPECT_NE(kelvora::loadLibXml(KELVORA_LIBXML2_SONAME).functions.getDocEntity, nullptr);
}
