// The reader stages over the real stand-in card-reader library, loaded by the real binding from
// the build's executable folder, with the scenario in the card-reader data folder. The stages
// run on the run core with a screen in memory; ReaderSetup<AppFixture> gives the window instead.
#pragma once

#include "support/fake_view.h"
#include "support/installation_fixture.h"
#include "reading/reading.h"
#include "update/update_service.h"

#include <QCoreApplication>
#include <QProcess>
#include <optional>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace kelvora::testing
{

inline const QByteArray kReaderA = "SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0";
inline const QByteArray kReaderB = "Generic EMV Smartcard Reader 0";

// Result codes the tests mark in `erreur`: one blocking, one explicitly not, one lower-case.
inline constexpr int kBloquant = 60;
inline constexpr int kNonBloquant = 61;
inline constexpr int kMinuscule = 62;

template <class Base>
class ReaderSetup : public Base
{
protected:
    using Base::apilecFolder;
    using Base::createStore;
    using Base::platform;
    using Base::sql;
    using Base::writeFile;

    void SetUp() override
    {
        Base::SetUp();
        platform.exeFolder = QStringLiteral(KELVORA_BIN_DIR "/");
        createStore("20261209", true,
                    "INSERT INTO erreur VALUES ('60','O'),('61','N'),('62','o'),('16','O'),"
                    "('17','O'),('18','O'),('24','O'),('25','O'),('42','O')");
        writeIni("[Lecteur]\r\nRessource_Vitale=" + kReaderA + "\r\nRessource_CPS=" + kReaderA +
                 "\r\n");
    }

    // A scenario with `readers` ("|"-separated), both cards, PIN 1234, and `retours` lines.
    void scenario(const QByteArray& readers = kReaderA, const QByteArray& retours = {},
                  const QByteArray& cps = "Inseree=1\r\nPIN=1234")
    {
        QFile::remove(apilecFolder() + QStringLiteral("api_lec_sim.log"));
        writeFile(apilecFolder() + QStringLiteral("api_lec_sim.ini"),
                  "[Lecteurs]\r\nListe=" + readers + "\r\n[CPS]\r\n" + cps +
                      "\r\n[Vitale]\r\nInseree=1\r\nDocument=carte.xml\r\n[Retours]\r\n" + retours +
                      "\r\n");
    }

    void writeIni(const QByteArray& bytes)
    {
        writeFile(apilecFolder() + QStringLiteral("api_lec.ini"), bytes);
    }

    QByteArray callLog() const
    {
        QFile f(apilecFolder() + QStringLiteral("api_lec_sim.log"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// The stages on the run core alone: no window, no QApplication.
class ReaderStageFixture : public ReaderSetup<InstallationFixture>
{
protected:
    FakeView view;

    ReaderStageFixture()
    {
        // Qt's event loop for the update service's network objects; a core application only.
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "kelvora-stage-tests";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
    }

    void TearDown() override { stop(); }

    // The demo installation kelvora-admin lays out (store, reader files, cards), checked for
    // updates today already so that no request leaves the test.
    void layOutDemo()
    {
        ASSERT_EQ(QProcess::execute(QStringLiteral(KELVORA_BIN_DIR "/kelvora-admin"),
                                    {QStringLiteral("demo"), dataFolder()}),
                  0);
        sql("UPDATE configuration SET valeur='20261209' WHERE id='date_maj'");
    }

    // Start-up as the program makes it: paths, the card library, the store.
    void start()
    {
        core_ = std::make_unique<RunCore>(platform, platform, view);
        core_->FormCreate();
        core_->appli_url_update = QStringLiteral("http://127.0.0.1:9/obtenir-derniere-version.php");
        maj_ = std::make_unique<UpdateService>(*core_);
    }
    void stop()
    {
        maj_.reset();
        core_.reset();
    }
    RunCore& core() { return *core_; }

    void run(const QString& pin = QStringLiteral("1234"))
    {
        view.pin = pin;
        action_vitale2Click(*core_, *maj_);
    }

    QString log() const { return core_->debug.plainText(); }
    QList<RtfRun> logRuns() const { return core_->debug.runs(); }

    // What a stage wrote after its run heading, up to the next run heading.
    QString section(const QString& heading) const
    {
        const QString text = log();
        const QString start = QStringLiteral("### ") + heading + QStringLiteral("\n");
        const qsizetype from = text.indexOf(start);
        if (from < 0)
            return QStringLiteral("<no heading %1>").arg(heading);
        const qsizetype begin = from + start.size();
        // A stage that did not run leaves its heading right before the next one.
        if (text.mid(begin, 4) == QStringLiteral("### "))
            return QString();
        const qsizetype end = text.indexOf(QStringLiteral("\n### "), begin);
        return text.mid(begin, end < 0 ? -1 : end - begin);
    }

    // Style and colour of the log line that reads exactly `line`.
    std::optional<std::pair<int, quint32>> format(const QString& line) const
    {
        for (const RtfRun& run : logRuns()) {
            if (run.text == line)
                return std::make_pair(run.style, run.color);
        }
        return std::nullopt;
    }

private:
    std::unique_ptr<RunCore> core_;
    std::unique_ptr<UpdateService> maj_;
};

inline const std::pair<int, quint32> kBoldRed{StyleBold, ClRed};
inline const std::pair<int, quint32> kBoldGreen{StyleBold, ClGreen};
inline const std::pair<int, quint32> kPlain{StyleNone, ClBlack};

} // namespace kelvora::testing
