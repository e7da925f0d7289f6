// The smart-card service seen by a reading whose reader stage fails, and by the system report:
// the real pcscd with virtual readers, a card from the real emulator, or no service at all.
#include "support/pcsc_service.h"
#include "support/reader_stage_fixture.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

using namespace kelvora;
using namespace kelvora::testing;

namespace
{

const QString kVersLeDiagnostic =
    QStringLiteral("Consulter le diagnostic pour plus d'informations");

struct Case {
    const char* name;
    std::optional<PcscService::Readers> service; // none: no pcscd at all
    bool card;
    QByteArray configured; // both readers of api_lec.ini
    // The bold line the failed reader stage adds; empty when it adds none.
    QString cause;
    // What the report's PC/SC section says, line by line.
    QStringList report;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

const QString kPasDemarre = QStringLiteral(
    "Le service de cartes à puce (pcscd) n'est pas démarré sur ce poste : un administrateur le "
    "démarre avec « systemctl enable --now pcscd.socket »");
const QString kAucunLecteur = QStringLiteral("Aucun lecteur de cartes n'est branché ou reconnu");

const Case kCases[] = {
    {"ServiceAbsent",
     std::nullopt,
     false,
     kReaderA,
     kPasDemarre,
     {QStringLiteral("Service : ") + kPasDemarre}},
    {"ServiceWithoutReader",
     PcscService::Readers::None,
     false,
     kReaderA,
     kAucunLecteur,
     {QStringLiteral("Service : démarré"), QStringLiteral("Lecteurs : ") + kAucunLecteur}},
    {"ReadersWithoutCard",
     PcscService::Readers::Virtual,
     false,
     "Virtual PCD 00 00",
     QString(),
     {QStringLiteral("Service : démarré"), QStringLiteral("Lecteurs : 2"),
      QStringLiteral("   - Virtual PCD 00 00 : aucune carte"),
      QStringLiteral("   - Virtual PCD 00 01 : aucune carte")}},
    {"ReaderWithCard",
     PcscService::Readers::Virtual,
     true,
     "Virtual PCD 00 01",
     QString(),
     {QStringLiteral("Service : démarré"), QStringLiteral("Lecteurs : 2"),
      QStringLiteral("   - Virtual PCD 00 00 : carte présente"),
      QStringLiteral("   - Virtual PCD 00 01 : aucune carte")}},
    {"ConfiguredReaderAbsent",
     PcscService::Readers::Virtual,
     false,
     kReaderA,
     QStringLiteral("Le lecteur configuré « SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0 » "
                    "n'est pas branché ; lecteurs présents : Virtual PCD 00 00, Virtual PCD 00 01"),
     {QStringLiteral("Service : démarré"), QStringLiteral("Lecteurs : 2"),
      QStringLiteral("   - Virtual PCD 00 00 : aucune carte"),
      QStringLiteral("   - Virtual PCD 00 01 : aucune carte")}},
};

class SmartCardCause : public ReaderStageFixture
{
protected:
    void SetUp() override
    {
        usePcscSocketOfTest();
        ReaderStageFixture::SetUp();
        platform.realSmartCards = true;
    }

    // A reading whose reader initialisation is refused with a blocking code.
    void failAtReaderStage(const QByteArray& configured)
    {
        writeIni("[Lecteur]\r\nRessource_Vitale=" + configured + "\r\nRessource_CPS=" + configured +
                 "\r\n");
        scenario(kReaderA, "Lec_InitLecteurs=60,0");
        start();
        run();
    }

    // The report's lines from its PC/SC heading to the first run heading.
    QStringList reportSection() const
    {
        const QString text = log();
        const qsizetype from = text.indexOf(QStringLiteral("\nLecteurs PC/SC\n"));
        const qsizetype to = text.indexOf(QStringLiteral("\n### "));
        if (from < 0 || to < from)
            return {QStringLiteral("<no PC/SC section>")};
        return text.mid(from + 16, to - from - 16).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

class EachServiceState : public SmartCardCause, public ::testing::WithParamInterface<Case>
{
};

TEST_P(EachServiceState, TheLogAndTheReportSayWhatTheServiceShows)
{
    const Case& c = GetParam();
    std::optional<PcscService> service;
    if (c.service)
        service.emplace(*c.service);
    if (c.card)
        service->insertCard();

    failAtReaderStage(c.configured);

    // The stage's own texts stay as they were, the cause after them.
    EXPECT_EQ(view.suivi, QStringLiteral("Lecteur ne répond pas !"));
    const QString initialisation = section(QStringLiteral("Initialisation Lecteurs"));
    EXPECT_TRUE(
        initialisation.contains(QStringLiteral("Cette erreur est bloquante pour le lecteur\n"
                                               "Lecteur non joignable\n")))
        << initialisation.toStdString();
    if (c.cause.isEmpty()) {
        EXPECT_EQ(view.suivi2, kVersLeDiagnostic);
        EXPECT_TRUE(initialisation.endsWith(QStringLiteral("Lecteur non joignable\n")))
            << initialisation.toStdString();
    } else {
        EXPECT_EQ(view.suivi2, kVersLeDiagnostic + QLatin1Char('\n') + c.cause);
        EXPECT_TRUE(initialisation.endsWith(QStringLiteral("Lecteur non joignable\n") + c.cause +
                                            QLatin1Char('\n')))
            << initialisation.toStdString();
        // Bold red, as the blocking line it follows (the log keeps both in one run).
        bool bold = false;
        for (const RtfRun& run : logRuns())
            bold = bold ||
                   (run.text.contains(c.cause) && run.style == StyleBold && run.color == ClRed);
        EXPECT_TRUE(bold);
    }
    EXPECT_EQ(reportSection(), c.report);
}

INSTANTIATE_TEST_SUITE_P(Pcsc, EachServiceState, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A socket that takes every connection and never answers, as a stuck service would.
class MuteService
{
public:
    explicit MuteService(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile::remove(path);
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(),
                    std::min<std::size_t>(std::size_t(name.size()), sizeof address.sun_path - 1));
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(listener_, 8), 0);
        acceptor_ = std::thread([this] {
            for (;;) {
                const int fd = ::accept(listener_, nullptr, nullptr);
                if (fd < 0)
                    return;
                held_.push_back(fd);
                ++accepted_;
            }
        });
    }
    ~MuteService() { close(); }
    MuteService(const MuteService&) = delete;
    MuteService& operator=(const MuteService&) = delete;

    int accepted() const { return accepted_; }
    // Ends the connections it holds: a client waiting on one gets its answer, an error.
    void close()
    {
        if (listener_ < 0)
            return;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        listener_ = -1;
        acceptor_.join();
        for (const int fd : held_)
            ::close(fd);
        held_.clear();
    }

private:
    int listener_ = -1;
    std::thread acceptor_;
    std::vector<int> held_;
    std::atomic<int> accepted_{0};
};

// A service that takes the connection and never answers: the reading still ends, in bounded
// time, and says the service does not answer.
TEST_F(SmartCardCause, AServiceThatNeverAnswersDoesNotHoldTheReading)
{
    MuteService mute(pcscSocket());

    QElapsedTimer clock;
    clock.start();
    failAtReaderStage(kReaderA);
    EXPECT_LT(clock.elapsed(), 8000);
    // The client library did reach the socket: this is the wait that was cut short.
    EXPECT_GE(mute.accepted(), 1);

    const QString pasDeReponse = QStringLiteral(
        "Le service de cartes à puce (pcscd) ne répond pas sur ce poste : un administrateur le "
        "redémarre avec « systemctl restart pcscd.service »");
    EXPECT_EQ(view.suivi2, kVersLeDiagnostic + QLatin1Char('\n') + pasDeReponse);
    EXPECT_EQ(reportSection(), QStringList{QStringLiteral("Service : ") + pasDeReponse});

    // Closing the connection frees the look left waiting; the next one answers again.
    mute.close();
    QFile::remove(pcscSocket());
    EXPECT_TRUE(waitForLook([](const SmartCardLook& look) {
        return look.service == SmartCardLook::Service::NotRunning;
    }));
}

TEST(SmartCardLibrary, AMissingClientLibraryIsToldWithItsPackage)
{
    const SmartCardLook look = lookAtPcsc("libpcsclite-absent.so.1");
    EXPECT_EQ(look.service, SmartCardLook::Service::NoLibrary);
    EXPECT_EQ(smartCardCause(look, {}),
              QStringLiteral("Le service de cartes à puce (pcscd) n'est pas installé sur ce "
                             "poste : un administrateur l'installe avec "
                             "« apt-get install pcscd libccid »"));
}

} // namespace
