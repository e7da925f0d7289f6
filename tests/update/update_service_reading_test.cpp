// The update check inside whole readings on a demo installation with the stand-in card library:
// quitting during the check, and a store that cannot record the date.
#include "update_fixture.h"

#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QTabWidget>
#include <QTimer>

using namespace kelvora::testing;

namespace
{

class UpdateInReading : public UpdateFixture
{
protected:
    LoopbackServer server;

    void SetUp() override
    {
        UpdateFixture::SetUp();
        platform.exeFolder = QStringLiteral(KELVORA_BIN_DIR "/");
        QProcess admin;
        admin.start(QStringLiteral(KELVORA_BIN_DIR "/kelvora-admin"),
                    {QStringLiteral("demo"), dataFolder()});
        ASSERT_TRUE(admin.waitForFinished(60000));
        ASSERT_EQ(admin.exitCode(), 0) << admin.readAllStandardError().toStdString();
        // Last checked the day before the fake clock's: the reading asks the server.
        sql("UPDATE configuration SET valeur = '20261208' WHERE id = 'date_maj'");
    }

    QByteArray callLog() const
    {
        QFile f(apilecFolder() + QStringLiteral("api_lec_sim.log"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString certificate() const { return commonFolder() + QStringLiteral("/attestation.pdf"); }

    void read()
    {
        startOn(server);
        window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
        window->action_vitale2Click();
    }
};

// Quitting while the server keeps silent ends the reading there: no card call, no certificate,
// no date. The same reading left alone reaches the certificate.
TEST_F(UpdateInReading, QuittingDuringASilentCheckEndsTheReading)
{
    enum class Leave { No, Quitter, CloseWindow };
    for (const Leave leave : {Leave::No, Leave::Quitter, Leave::CloseWindow}) {
        SCOPED_TRACE(int(leave));
        QFile::remove(apilecFolder() + QStringLiteral("api_lec_sim.log"));
        QFile::remove(certificate());
        platform.quitRequests = 0;
        server.respond = [this, leave](const HttpRequest&, QTcpSocket* socket) {
            if (leave == Leave::No) {
                LoopbackServer::answer(socket, 200, "");
                return;
            }
            // Silent; the user leaves while the check waits.
            QTimer::singleShot(50, window.get(), [this, leave] {
                if (leave == Leave::Quitter)
                    window->btn_quitClick();
                else
                    window->close();
            });
        };

        read();

        if (leave == Leave::No) {
            EXPECT_TRUE(callLog().contains("Lec_ControleCPS")) << log().toStdString();
            EXPECT_TRUE(QFile::exists(certificate()));
            EXPECT_EQ(storedDate(), kToday);
            EXPECT_EQ(window->tab_master->currentWidget(), window->tab_pdf);
        } else {
            EXPECT_FALSE(callLog().contains("Lec_ControleCPS")) << callLog().toStdString();
            EXPECT_FALSE(callLog().contains("Lec_"));
            EXPECT_FALSE(QFile::exists(certificate()));
            EXPECT_EQ(storedDate(), 20261208);
            EXPECT_FALSE(log().contains(QStringLiteral("Le serveur est injoignable")));
            EXPECT_FALSE(log().contains(QStringLiteral("### Liste Lecteurs")));
            EXPECT_EQ(platform.quitRequests, leave == Leave::Quitter ? 1 : 0);
        }
        EXPECT_FALSE(window->core().appli_run_en_cours);
        window.reset();
        sql("UPDATE configuration SET valeur = '20261208' WHERE id = 'date_maj'");
    }
}

// A store that refuses the date's write (its table is gone under the running program): the
// reason is logged in red, the reading still reaches the certificate, and the day is kept in
// memory so the same process does not ask again.
TEST_F(UpdateInReading, DateThatCannotBeWrittenDoesNotStopTheReading)
{
    server.respond = [](const HttpRequest&, QTcpSocket* socket) {
        LoopbackServer::answer(socket, 200, "");
    };
    startOn(server);
    sql("DROP TABLE configuration");
    window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
    window->action_vitale2Click();

    const QString line = QStringLiteral("Impossible d'enregistrer la date du contrôle : ");
    EXPECT_EQ(runsOf(line).value(0), (std::pair<int, quint32>{StyleBold, ClRed}));
    const QString logged = log().section(line, 1).section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(logged.contains(QStringLiteral("configuration"))) << logged.toStdString();
    EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatValide);
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_pdf);
    EXPECT_TRUE(QFile::exists(certificate()));
    EXPECT_EQ(window->core().appli_maj_date, kToday);

    const qsizetype asked = server.requests.size();
    window->action_vitale2Click();
    EXPECT_EQ(server.requests.size(), asked);
    EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatNonTeste);
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_pdf);
}

} // namespace
