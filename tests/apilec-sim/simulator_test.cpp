// The stand-in card-reader library as the application sees it: scenario in, results and
// call log out.
#include "support/standin_fixture.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kelvora::reader::testing
{
namespace
{

using namespace apilec_sim;

struct ListCase {
    const char* name;
    std::optional<std::string> liste; // nullopt: no scenario file at all
    std::vector<std::string> expected;
    friend void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }
};

class ReaderList : public StandIn, public ::testing::WithParamInterface<ListCase>
{
};

TEST_P(ReaderList, CountThenEntriesAsTheTwoCallsAsk)
{
    const ListCase& c = GetParam();
    if (c.liste)
        scenario("[Lecteurs]\nListe=" + *c.liste + "\n");

    std::int32_t count = -1;
    std::uint16_t error = 0xFFFF;
    ASSERT_EQ(lib.listeLecteurs(folder.constData(), nullptr, &count, &error), 0);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(count, std::int32_t(c.expected.size()));

    std::vector<T_infosLecteur> list(c.expected.size() + 1);
    std::memset(list.data(), 0xAB, list.size() * sizeof(T_infosLecteur));
    ASSERT_EQ(lib.listeLecteurs(folder.constData(), list.data(), &count, &error), 0);
    EXPECT_EQ(count, std::int32_t(c.expected.size()));
    for (std::size_t i = 0; i < c.expected.size(); ++i)
        EXPECT_STREQ(list[i].nom_ressource, c.expected[i].c_str());
    // The count on entry is the array's capacity: the spare entry is left alone.
    EXPECT_EQ(static_cast<unsigned char>(list.back().nom_ressource[0]), 0xAB);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderList,
    ::testing::Values(ListCase{"NoScenarioFile", std::nullopt, {}}, ListCase{"EmptyList", "", {}},
                      ListCase{"OneReader", std::string(kReaderA), {std::string(kReaderA)}},
                      ListCase{"TwoReaders",
                               std::string(kReaderA) + " | " + std::string(kReaderB),
                               {std::string(kReaderA), std::string(kReaderB)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StandIn, ListNeverWritesMoreEntriesThanTheArrayHolds)
{
    scenario("[Lecteurs]\nListe=" + std::string(kReaderA) + "|" + std::string(kReaderB) + "\n");
    std::vector<T_infosLecteur> list(2);
    std::memset(list.data(), 0xAB, list.size() * sizeof(T_infosLecteur));
    std::int32_t count = 1; // the array was sized when one reader was connected
    std::uint16_t error = 0;
    ASSERT_EQ(lib.listeLecteurs(folder.constData(), list.data(), &count, &error), 0);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(list[0].nom_ressource, std::string(kReaderA).c_str());
    EXPECT_EQ(static_cast<unsigned char>(list[1].nom_ressource[0]), 0xAB);
}

TEST_F(StandIn, InitNeedsTheConnectedPatientCardReader)
{
    scenario(defaultScenario());
    EXPECT_EQ(init("Lecteur inconnu 0"), failed(UnknownReader, UnknownReader));
    EXPECT_EQ(openSession(true, cps), failed(NotInitialised, NotInitialised));
    EXPECT_EQ(init(kReaderA), ok());

    // The scenario is read at every call: the reader unplugged, the next init fails.
    scenario("[Lecteurs]\nListe=\n");
    EXPECT_EQ(init(kReaderA), failed(UnknownReader, UnknownReader));
}

TEST_F(StandIn, SessionsBeforeInitAreRefused)
{
    scenario(defaultScenario());
    cps = vitale = 99;
    EXPECT_EQ(openSession(true, cps), failed(NotInitialised, NotInitialised));
    EXPECT_EQ(openSession(false, vitale), failed(NotInitialised, NotInitialised));
    EXPECT_EQ(cps, 0);
    EXPECT_EQ(vitale, 0);
}

TEST_F(StandIn, SessionsAreDistinctAndAddressTheirOwnCard)
{
    scenario(defaultScenario());
    openBoth();
    EXPECT_NE(cps, 0);
    EXPECT_NE(vitale, 0);
    EXPECT_NE(cps, vitale);

    std::uint16_t state = 0, error = 0;
    EXPECT_EQ(lib.introductionMstVitale(cps, 0, &state, &error), BadSession);
    EXPECT_EQ(error, BadSession);
    EXPECT_EQ(lib.introductionMstVitale(vitale, 0, &state, &error), Ok);
    EXPECT_EQ(error, 0);

    EXPECT_EQ(lib.fermetureSessionVitale(vitale, &error), Ok);
    EXPECT_EQ(lib.fermetureSessionVitale(vitale, &error), BadSession);
    EXPECT_EQ(lib.retraitMhtCPS(cps, 0, &error), Ok);
    EXPECT_EQ(lib.fermetureSessionCPS(cps, &error), Ok);
}

// Each card call with its card taken out of the reader.
enum class CardCall { IntroductionCps, ControleCps, IntroductionVitale, LectureVitale };

struct AbsentCase {
    const char* name;
    const char* section; // its "Inseree=1" becomes "Inseree=0"
    CardCall call;
    Result expected;
    friend void PrintTo(const AbsentCase& c, std::ostream* os) { *os << c.name; }
};

class CardAbsent : public StandIn, public ::testing::WithParamInterface<AbsentCase>
{
protected:
    Result run(CardCall call)
    {
        std::uint16_t word = 7, error = 0xFFFF;
        switch (call) {
        case CardCall::IntroductionCps: {
            TChar2 civ{};
            TChar27 nom{};
            return {lib.introductionMstCPS(cps, 0, civ, nom, &word, &error), error};
        }
        case CardCall::ControleCps:
            return controle("1234");
        case CardCall::IntroductionVitale:
            return {lib.introductionMstVitale(vitale, 0, &word, &error), error};
        case CardCall::LectureVitale: {
            std::vector<char> buffer(102400);
            std::uint32_t size = 102400;
            return {lib.lectureVitale(vitale, cps, buffer.data(), &size, &error), error};
        }
        }
        return {};
    }
};

TEST_P(CardAbsent, FailsWithItsCode)
{
    const AbsentCase& c = GetParam();
    std::string text = defaultScenario();
    const std::string present = std::string("[") + c.section + "]\r\nInseree=";
    text[text.find(present) + present.size()] = '0';
    scenario(text);
    writeFile("carte.xml", "<T_AsnDonneesVitale/>");
    openBoth();
    EXPECT_EQ(run(c.call), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CardAbsent,
    ::testing::Values(AbsentCase{"CpsIntroduction", "CPS", CardCall::IntroductionCps,
                                 failed(CpsAbsent, CpsAbsent)},
                      AbsentCase{"CpsPinControl", "CPS", CardCall::ControleCps,
                                 failed(CpsAbsent, CpsAbsent)},
                      AbsentCase{"VitaleIntroduction", "Vitale", CardCall::IntroductionVitale,
                                 failed(VitaleAbsent, VitaleAbsent)},
                      AbsentCase{"VitaleRead", "Vitale", CardCall::LectureVitale,
                                 failed(VitaleAbsent, VitaleAbsent)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StandIn, WrongPinCountsDownAndRightPinResetsTheCount)
{
    scenario(defaultScenario());
    openBoth();
    EXPECT_EQ(controle("0000"), failed(WrongPin, 2));
    EXPECT_EQ(controle("1111"), failed(WrongPin, 1));
    EXPECT_EQ(controle("1234"), ok());
    EXPECT_EQ(controle("0000"), failed(WrongPin, 2));
}

TEST_F(StandIn, RightPinFillsTheCardArrays)
{
    scenario(defaultScenario());
    openBoth();
    TChar8 date;
    TChar10 appli;
    TChar2 type, present, categorie;
    for (auto* a : {type.data(), present.data(), categorie.data()})
        std::memset(a, 'x', 3);
    date.fill('x');
    appli.fill('x');
    std::uint16_t error = 0xFFFF;
    ASSERT_EQ(lib.controleCPS(cps, "1234", date, appli, type, present, categorie, &error), 0);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(std::strlen(date.data()), 8u);
    EXPECT_EQ(std::strlen(appli.data()), 10u);
    for (const auto* a : {type.data(), present.data(), categorie.data()})
        EXPECT_EQ(std::strlen(a), 2u);
}

TEST_F(StandIn, ThirdWrongPinBlocksTheCardUntilReload)
{
    scenario(defaultScenario());
    openBoth();
    EXPECT_EQ(controle("0000"), failed(WrongPin, 2));
    EXPECT_EQ(controle("0000"), failed(WrongPin, 1));
    EXPECT_EQ(controle("0000"), failed(CpsBlocked, CpsBlocked));
    EXPECT_EQ(controle("1234"), failed(CpsBlocked, CpsBlocked));

    // A new run in the same process: the card stays blocked.
    openBoth();
    EXPECT_EQ(controle("1234"), failed(CpsBlocked, CpsBlocked));

    lib.unload();
    ASSERT_TRUE(lib.load(kelvora::testing::systemPlatform(), QStringLiteral(KELVORA_BIN_DIR)));
    openBoth();
    EXPECT_EQ(controle("1234"), ok());
}

TEST_F(StandIn, DocumentIsCopiedWithItsSize)
{
    scenario(defaultScenario());
    const std::string document = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                                 "<T_AsnDonneesVitale><nom>\xc9LISE</nom></T_AsnDonneesVitale>";
    writeFile("carte.xml", document);
    openBoth();

    std::vector<char> buffer(102400, '\0');
    std::uint32_t size = 102400;
    std::uint16_t error = 0xFFFF;
    ASSERT_EQ(lib.lectureVitale(vitale, cps, buffer.data(), &size, &error), 0);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(size, document.size());
    EXPECT_EQ(std::string(buffer.data()), document);

    // Swapped session numbers are refused rather than read.
    EXPECT_EQ(lib.lectureVitale(cps, vitale, buffer.data(), &size, &error), BadSession);
}

struct DocumentCase {
    const char* name;
    const char* documentLine; // the [Vitale] Document line
    std::uint32_t capacity;   // buffer size given
    Result expected;
    friend void PrintTo(const DocumentCase& c, std::ostream* os) { *os << c.name; }
};

class DocumentRead : public StandIn, public ::testing::WithParamInterface<DocumentCase>
{
};

TEST_P(DocumentRead, FailsWithoutTouchingTheBuffer)
{
    const DocumentCase& c = GetParam();
    std::string text = defaultScenario();
    text.replace(text.find("Document=carte.xml"), 18, c.documentLine);
    scenario(text);
    writeFile("carte.xml", "<T_AsnDonneesVitale>0123456789</T_AsnDonneesVitale>"); // 51 bytes
    openBoth();

    std::vector<char> buffer(c.capacity, '\0');
    std::uint32_t size = c.capacity;
    std::uint16_t error = 0xFFFF;
    const Result r{lib.lectureVitale(vitale, cps, buffer.data(), &size, &error), error};
    EXPECT_EQ(r, c.expected);
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), '\0'), std::ptrdiff_t(c.capacity));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentRead,
    ::testing::Values(DocumentCase{"BufferTooSmallForTheZero", "Document=carte.xml", 51,
                                   failed(DocumentTooLarge, DocumentTooLarge)},
                      DocumentCase{"FileMissing", "Document=absente.xml", 102400,
                                   failed(DocumentMissing, DocumentMissing)},
                      DocumentCase{"NoDocumentKey", "; pas de document", 102400,
                                   failed(DocumentMissing, DocumentMissing)},
                      DocumentCase{"OutsideTheFolder", "Document=../carte.xml", 102400,
                                   failed(DocumentMissing, DocumentMissing)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StandIn, DictionaryHitMissAndSmallBuffer)
{
    scenario(defaultScenario());
    auto lookup = [&](std::int16_t table, const char* code, std::uint16_t capacity,
                      std::string& label) {
        std::vector<char> buffer(128, '\0');
        std::uint16_t size = capacity, error = 0xFFFF;
        const auto r = lib.dictionnaire(folder.constData(), table, code, "00000000", buffer.data(),
                                        &size, &error);
        label = buffer.data();
        return Result{r, error};
    };
    std::string label;
    EXPECT_EQ(lookup(1, "01", 128, label), ok());
    EXPECT_EQ(label, "R\xe9gime g\xe9n\xe9ral");
    EXPECT_EQ(lookup(2, "01", 128, label), failed(UnknownCode, UnknownCode));
    EXPECT_EQ(label, "");
    EXPECT_EQ(lookup(1, "01", 14, label), failed(DocumentTooLarge, DocumentTooLarge));
    EXPECT_EQ(label, "");
}

TEST_F(StandIn, ForcedResultReplacesTheOutcome)
{
    scenario(defaultScenario() + "[Retours]\r\nlec_controlecps=41,3\r\n"
                                 "Lec_IntroductionMstCPS=5\r\nLec_InitLecteurs=pas un nombre\r\n");
    openBoth(); // the unreadable entry forces nothing
    EXPECT_EQ(controle("1234"), failed(WrongPin, 3));
    TChar2 civ{};
    TChar27 nom{};
    std::uint16_t word = 0, error = 0xFFFF;
    EXPECT_EQ(lib.introductionMstCPS(cps, 0, civ, nom, &word, &error), 5);
    EXPECT_EQ(error, 0);
    EXPECT_NE(callLog().find("Lec_ControleCPS session=" + std::to_string(cps) +
                             " pin=right -> 41,3 forced\n"),
              std::string::npos)
        << callLog();
}

TEST_F(StandIn, CallLogNamesArgumentsAndResultsButNeverThePin)
{
    std::string text = defaultScenario();
    text.replace(text.find("PIN=1234"), 8, "PIN=8642");
    scenario(text);
    openBoth();
    EXPECT_EQ(controle("9753"), failed(WrongPin, 2));
    EXPECT_EQ(controle("8642"), ok());
    std::uint16_t error = 0;
    lib.retraitMhtCPS(cps, 0, &error);
    lib.fermetureSessionCPS(cps, &error);

    const std::string log = callLog();
    EXPECT_EQ(log.find("8642"), std::string::npos) << log;
    EXPECT_EQ(log.find("9753"), std::string::npos) << log;
    const std::string s = std::to_string(cps);
    const std::string expectedTail = "Lec_ControleCPS session=" + s + " pin=wrong -> 41,2\n" +
                                     "Lec_ControleCPS session=" + s + " pin=right -> 0,0\n" +
                                     "Lec_RetraitMhtCPS session=" + s + " word=0 -> 0,0\n" +
                                     "Lec_FermetureSessionCPS session=" + s + " -> 0,0\n";
    ASSERT_GE(log.size(), expectedTail.size());
    EXPECT_EQ(log.substr(log.size() - expectedTail.size()), expectedTail);
    EXPECT_NE(log.find("Lec_OuvertureSessionCPS application=\"attest\" -> 0,0 session=" + s),
              std::string::npos)
        << log;
}

} // namespace
} // namespace kelvora::reader::testing
