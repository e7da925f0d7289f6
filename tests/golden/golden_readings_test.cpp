// Whole readings on a demo installation with the stand-in library: the saved RTF log and the
// certificate are compared byte for byte with files kept beside this test, dates and times
// masked. KELVORA_GOLDEN_UPDATE=1 rewrites the files; a change to them says why in its commit.
#include "support/app_fixture.h"
#include "diagnostics/log_save.h"
#include "support/export_checks.h"
#include "support/fake_view.h"
#include "support/loopback_server.h"
#include "support/private_dev.h"
#include "reading/reading.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>

using namespace kelvora;
using namespace kelvora::testing;

namespace
{

// How the reading is made: through the window, or through the run core alone.
enum class Driver { Window, Core };

struct GoldenCase {
    const char* name;
    const char* pin;
    // Changes the demo installation before the reading.
    std::function<void(const QString& apilec, const QString& common)> prepare;
    // Update check: already done today, an unreachable server, or a server answering "update".
    enum class Update { Done, Unreachable, Available } update = Update::Done;
};

void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.name;
}

void PrintTo(Driver d, std::ostream* os)
{
    *os << (d == Driver::Window ? "fenetre" : "sans_ecran");
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void replaceInFile(const QString& path, const QByteArray& from, const QByteArray& to)
{
    QByteArray bytes = readAll(path);
    ASSERT_TRUE(bytes.contains(from)) << path.toStdString() << " lacks " << from.toStdString();
    bytes.replace(from, to);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Times, dates and the loopback port differ from run to run and from locale to locale.
QByteArray masked(QByteArray bytes)
{
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral("D:\\d{14}[^)]*")),
        QRegularExpression(QStringLiteral("\\d\\d\\D\\d\\d\\D\\d{4} \\d\\d\\D\\d\\d")),
        QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:\\d+")),
    };
    static const char* const masks[] = {"D:<date>", "<date heure>", "127.0.0.1:<port>"};
    QString text = QString::fromLatin1(bytes);
    for (std::size_t i = 0; i < std::size(patterns); ++i)
        text.replace(patterns[i], QString::fromLatin1(masks[i]));
    return text.toLatin1();
}

class GoldenReading : public AppFixture,
                      public ::testing::WithParamInterface<std::tuple<GoldenCase, Driver>>
{
protected:
    // Made once the application exists: a server needs its event loop.
    std::unique_ptr<LoopbackServer> server;

    void SetUp() override
    {
        AppFixture::SetUp();
        platform.exeFolder = QStringLiteral(KELVORA_BIN_DIR "/");
        platform.libraryVersion = QStringLiteral("5.20.1.0");
        QProcess admin;
        admin.start(QStringLiteral(KELVORA_BIN_DIR "/kelvora-admin"),
                    {QStringLiteral("demo"), dataFolder()});
        ASSERT_TRUE(admin.waitForFinished(60000));
        ASSERT_EQ(admin.exitCode(), 0) << admin.readAllStandardError().toStdString();
    }

    void setDateMaj(const char* value)
    {
        QProcess admin;
        admin.start(QStringLiteral(KELVORA_BIN_DIR "/kelvora-admin"),
                    {QStringLiteral("sql"), storePath(),
                     QStringLiteral("UPDATE configuration SET valeur = %1 WHERE id = 'date_maj'")
                         .arg(QLatin1String(value))});
        ASSERT_TRUE(admin.waitForFinished(60000));
        ASSERT_EQ(admin.exitCode(), 0) << admin.readAllStandardError().toStdString();
    }

    // Runs the reading through the window and saves its log; returns the log's bytes.
    QByteArray readThroughWindow(const GoldenCase& c)
    {
        start();
        if (c.update == GoldenCase::Update::Available) {
            server = std::make_unique<LoopbackServer>();
            server->respond = [](const HttpRequest&, QTcpSocket* socket) {
                LoopbackServer::answer(socket, 200, "update");
            };
            window->core().appli_url_update =
                server->url(QStringLiteral("/obtenir-derniere-version.php"));
        }
        window->tab_carte->pin_cps->setText(QString::fromLatin1(c.pin));
        window->action_vitale2Click();
        platform.savePath = temp.path() + QStringLiteral("/diagnostic.rtf");
        window->btn_sauve_fichierClick();
        return readAll(platform.savePath);
    }

    // Runs the same reading on the run core with a screen in memory; returns the log's bytes.
    QByteArray readThroughCore(const GoldenCase& c)
    {
        FakeView view;
        RunCore core(platform, platform, view);
        core.FormCreate();
        UpdateService maj(core);
        if (c.update == GoldenCase::Update::Available) {
            server = std::make_unique<LoopbackServer>();
            server->respond = [](const HttpRequest&, QTcpSocket* socket) {
                LoopbackServer::answer(socket, 200, "update");
            };
            core.appli_url_update = server->url(QStringLiteral("/obtenir-derniere-version.php"));
        } else {
            core.appli_url_update = QStringLiteral("http://127.0.0.1:9/obtenir-derniere-version.php");
        }
        view.pin = QString::fromLatin1(c.pin);
        action_vitale2Click(core, maj);
        const QString path = temp.path() + QStringLiteral("/diagnostic.rtf");
        diagnostics::saveDebugLog(core.debug, path);
        return readAll(path);
    }

    void compare(const QString& file, const QByteArray& produced)
    {
        const QString golden = QStringLiteral(KELVORA_GOLDEN_DIR "/") + file;
        if (qEnvironmentVariableIntValue("KELVORA_GOLDEN_UPDATE") == 1) {
            QFile out(golden);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(produced);
            return;
        }
        ASSERT_TRUE(QFile::exists(golden)) << "no golden file " << golden.toStdString();
        EXPECT_EQ(produced, readAll(golden))
            << file.toStdString() << " differs from the file kept beside the test";
    }
};

TEST_P(GoldenReading, LogAndCertificateMatchTheKeptFiles)
{
    const auto& [c, driver] = GetParam();
    if (c.update == GoldenCase::Update::Done)
        setDateMaj("'20261209'");
    if (c.prepare)
        c.prepare(apilecFolder(), commonFolder());

    const QByteArray rtf = driver == Driver::Window ? readThroughWindow(c) : readThroughCore(c);
    ASSERT_FALSE(rtf.isEmpty());
    compare(QString::fromLatin1(c.name) + QStringLiteral(".rtf"), masked(rtf));

    // A failed reading leaves no certificate, or an emptied one.
    const QByteArray pdf = readAll(commonFolder() + QStringLiteral("/attestation.pdf"));
    if (!pdf.isEmpty())
        compare(QString::fromLatin1(c.name) + QStringLiteral(".pdf"), masked(pdf));
    else
        EXPECT_FALSE(QFile::exists(QStringLiteral(KELVORA_GOLDEN_DIR "/") +
                                   QString::fromLatin1(c.name) + QStringLiteral(".pdf")));
}

const auto useScenario = [](const char* from, const char* to) {
    return [from, to](const QString& apilec, const QString&) {
        replaceInFile(apilec + QStringLiteral("api_lec_sim.ini"), from, to);
    };
};

INSTANTIATE_TEST_SUITE_P(
    Readings, GoldenReading,
    ::testing::Combine(::testing::Values(
        GoldenCase{"carte-demo", "1234", {}},
        GoldenCase{"carte-dix-beneficiaires", "1234",
                   useScenario("Document=carte.xml", "Document=carte-10.xml")},
        GoldenCase{"code-faux", "4321", {}},
        GoldenCase{"sans-lecteur", "1234",
                   useScenario("Liste=SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0",
                               "Liste=")},
        GoldenCase{"fichier-manquant", "1234",
                   [](const QString& apilec, const QString&) {
                       QFile::remove(apilec + QStringLiteral("api_lec.ini"));
                   }},
        GoldenCase{"document-illisible", "1234",
                   [](const QString& apilec, const QString& common) {
                       QFile f(apilec + QStringLiteral("pas-xml.txt"));
                       ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                       f.write("Ceci n'est pas un document de carte.\r\n");
                       useScenario("Document=carte.xml", "Document=pas-xml.txt")(apilec, common);
                   }},
        GoldenCase{"mise-a-jour-disponible", "1234", {}, GoldenCase::Update::Available},
        GoldenCase{"serveur-injoignable", "1234", {}, GoldenCase::Update::Unreachable}),
                       ::testing::Values(Driver::Window, Driver::Core)),
    [](const ::testing::TestParamInfo<std::tuple<GoldenCase, Driver>>& info) {
        QString name = QString::fromLatin1(std::get<0>(info.param).name);
        name.replace(QLatin1Char('-'), QLatin1Char('_'));
        return name.toStdString() +
               (std::get<1>(info.param) == Driver::Window ? "_fenetre" : "_sans_ecran");
    });

} // namespace

namespace
{

// kelvora-admin lecture on a demo installation checked today already, on the real clock.
class AdminReading : public ::testing::Test
{
protected:
    QTemporaryDir temp;
    QString common() const { return temp.path() + QStringLiteral("/Talvix/kelvoraps"); }

    void SetUp() override
    {
        ASSERT_EQ(admin({QStringLiteral("demo"), temp.path()}).exitCode, 0);
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
        ASSERT_EQ(admin({QStringLiteral("sql"), common() + QStringLiteral("/attest.vqs"),
                         QStringLiteral("UPDATE configuration SET valeur = '%1' "
                                        "WHERE id = 'date_maj'")
                             .arg(today)})
                      .exitCode,
                  0);
    }

    struct Outcome {
        int exitCode = -1;
        QString out;
        QString err;
    };

    static Outcome admin(const QStringList& arguments, const QByteArray& input = {})
    {
        QProcess process;
        process.start(QStringLiteral(KELVORA_BIN_DIR "/kelvora-admin"), arguments);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(120000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

// The reading's own time is printed on the certificate too.
QByteArray maskedWithExtraction(const QByteArray& pdf)
{
    QString text = QString::fromLatin1(masked(pdf));
    text.replace(QRegularExpression(QStringLiteral("\\d\\d/\\d\\d/\\d{4} - \\d\\d:\\d\\d:\\d\\d")),
                 QStringLiteral("<extraction>"));
    return text.toLatin1();
}

TEST_F(AdminReading, DemoCardGivesTheCertificateTheWindowWrites)
{
    const Outcome run = admin({QStringLiteral("lecture"), temp.path()}, "1234\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Génération du PDF : validée"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Contrôle Mise à Jour : non testée")));
    EXPECT_EQ(maskedWithExtraction(readAll(common() + QStringLiteral("/attestation.pdf"))),
              maskedWithExtraction(readAll(QStringLiteral(KELVORA_GOLDEN_DIR "/carte-demo.pdf"))));
    EXPECT_TRUE(readAll(common() + QStringLiteral("/diag-Kelvora.rtf")).startsWith("{\\rtf1"));
    // Shared with the group kelvora, never with other accounts.
    for (const char* name : {"/attestation.pdf", "/diag-Kelvora.rtf"})
        EXPECT_EQ(QFile::permissions(common() + QLatin1String(name)) &
                      (QFileDevice::ReadOther | QFileDevice::WriteOther),
                  QFileDevice::Permissions())
            << name;
}

TEST_F(AdminReading, WrongPinStopsAfterThePinControlAndWritesNoCertificate)
{
    const Outcome run = admin({QStringLiteral("lecture"), temp.path()}, "4321\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("« Contrôle cartes CPS & Vitale »")))
        << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(common() + QStringLiteral("/attestation.pdf")));
    const QByteArray calls =
        readAll(temp.path() + QStringLiteral("/santesocial/api_lec/api_lec_sim.log"));
    EXPECT_TRUE(calls.contains("Lec_ControleCPS"));
    EXPECT_FALSE(calls.contains("Lec_LectureVitale"));
}

// The card's data after the certificate: a FHIR bundle alone on standard output (the stage
// lines go to the error output), the JSON record in a file of the group's modes.
TEST_F(AdminReading, TheCardsDataGoWhereAskedWithTheBundleAloneOnStandardOutput)
{
    const QString record = temp.path() + QStringLiteral("/donnees.json");
    const Outcome run = admin({QStringLiteral("lecture"), temp.path(), QStringLiteral("--json"),
                               record, QStringLiteral("--fhir"), QStringLiteral("-")},
                              "1234\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Génération du PDF : validée")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("Données (JSON) : ") + record));
    QJsonParseError error{};
    const QJsonDocument bundle = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    EXPECT_EQ(bundle[QStringLiteral("resourceType")].toString(), QStringLiteral("Bundle"));
    EXPECT_EQ(QFile::permissions(record) & (QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());

    const QString bundleFile = temp.path() + QStringLiteral("/fhir.json");
    QFile out(bundleFile);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(run.out.toUtf8());
    out.close();
    const kelvora::testing::ExportCheck check =
        kelvora::testing::checkExports({record}, {bundleFile});
    EXPECT_TRUE(check.passed) << check.output.toStdString();
}

// An export that cannot be written fails the command and says why; the certificate is there.
TEST_F(AdminReading, AnExportThatCannotBeWrittenFailsTheCommand)
{
    const QString record = temp.path() + QStringLiteral("/absent/donnees.json");
    const Outcome run = admin(
        {QStringLiteral("lecture"), temp.path(), QStringLiteral("--json"), record}, "1234\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("données (JSON) impossibles à écrire dans ") +
                                 record))
        << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(common() + QStringLiteral("/attestation.pdf")));
    EXPECT_FALSE(QFile::exists(record));

    const Outcome both = admin({QStringLiteral("lecture"), temp.path(), QStringLiteral("--json"),
                                QStringLiteral("-"), QStringLiteral("--fhir"), QStringLiteral("-")},
                               "1234\n");
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_TRUE(both.err.contains(QStringLiteral("--fhir FICHIER")));
}

// Run by root, an export to /dev/null discards the data and leaves the device as it was (in a
// private /dev of its own, never the machine's).
TEST_F(AdminReading, AnExportToADeviceIsWrittenIntoAndTheDeviceStays)
{
    if (const QString why = kelvora::testing::privateDevUnavailable(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("unshare"),
                  kelvora::testing::privateDevArguments(
                      {QStringLiteral("sh"), QStringLiteral("-c"),
                       QStringLiteral("\"$0\" lecture \"$1\" --json /dev/null --fhir /dev/null; "
                                      "code=$?; LC_ALL=C stat -c 'après : %F %t,%T' /dev/null; "
                                      "exit $code"),
                       QStringLiteral(KELVORA_BIN_DIR "/kelvora-admin"), temp.path()}));
    process.write("1234\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString output = QString::fromUtf8(process.readAll());
    EXPECT_EQ(process.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Données (JSON) : /dev/null")))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("après : character special file 1,3")))
        << output.toStdString();
}

TEST_F(AdminReading, ThePinIsNeverTakenFromTheArguments)
{
    const Outcome run = admin({QStringLiteral("lecture"), temp.path(), QStringLiteral("1234")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(QFile::exists(common() + QStringLiteral("/attestation.pdf")));
}

} // namespace
