// The update check against loopback servers: the request, the verdicts, the stored date.
#include "update_fixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace kelvora::testing;

namespace
{

class UpdateCheck : public UpdateFixture
{
protected:
    // Whether the reader stages after the check got to work: only a stage that runs before
    // any failure is announced writes its sub-heading.
    bool laterStageStarted() const
    {
        return log().contains(QStringLiteral("\nChoix du lecteur\n")) ||
               log().contains(QStringLiteral("\nInitialisation du lecteur\n"));
    }
};

const QString kUnreachable = QStringLiteral("Le serveur est injoignable");
const QString kCurrent = QStringLiteral("Votre version est à jour");
const QString kAvailable = QStringLiteral("Une mise à jour est disponible");

// Answers every request with `body`, after `redirects` redirections through /r/<n>.
LoopbackServer::Responder answering(const QByteArray& body, int status = 200, int redirects = 0)
{
    return [=](const HttpRequest& request, QTcpSocket* socket) {
        const int hop = request.path.startsWith("/r/") ? request.path.mid(3).toInt() : 0;
        if (hop < redirects)
            LoopbackServer::answer(socket, 302, "",
                                   "Location: /r/" + QByteArray::number(hop + 1) + "\r\n");
        else
            LoopbackServer::answer(socket, status, body);
    };
}

TEST_F(UpdateCheck, VerdictsOfTheServer)
{
    struct Case {
        const char* name;
        LoopbackServer::Kind kind;
        LoopbackServer::Responder respond;
        QString data;   // appli_update_data afterwards
        QString status; // label_update2 afterwards
        QString line;   // outcome line of the log, empty when none
        quint32 lineColor;
        int row;
    };
    const auto silent = [](const HttpRequest&, QTcpSocket*) {};
    const Case cases[] = {
        {"update", LoopbackServer::Kind::Http, answering("update"), "update", kAvailable,
         "Mise à jour disponible", ClRed, EtatEchec},
        {"capital U", LoopbackServer::Kind::Http, answering("Update"), "Update", kCurrent, kCurrent,
         ClGreen, EtatValide},
        {"line break", LoopbackServer::Kind::Http, answering("update\n"), "update\n", kCurrent,
         kCurrent, ClGreen, EtatValide},
        {"empty", LoopbackServer::Kind::Http, answering(""), "", kCurrent, kCurrent, ClGreen,
         EtatValide},
        {"error body", LoopbackServer::Kind::Http, answering("error"), "error",
         "Contrôle en cours...", "", 0, EtatValide},
        {"status 500", LoopbackServer::Kind::Http, answering("update", 500), "error", kUnreachable,
         kUnreachable, ClGreen, EtatValide},
        {"15 redirections", LoopbackServer::Kind::Http, answering("update", 200, 15), "update",
         kAvailable, "Mise à jour disponible", ClRed, EtatEchec},
        {"16 redirections", LoopbackServer::Kind::Http, answering("update", 200, 16), "error",
         kUnreachable, kUnreachable, ClGreen, EtatValide},
        {"no answer", LoopbackServer::Kind::Http, silent, "error", kUnreachable, kUnreachable,
         ClGreen, EtatValide},
        {"self-signed certificate", LoopbackServer::Kind::HttpsSelfSigned, answering("update"),
         "error", kUnreachable, kUnreachable, ClGreen, EtatValide},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        createStore("20261208");
        LoopbackServer server(c.kind);
        server.respond = c.respond;
        startOn(server);
        window->core().appli_update_timeout_ms = 300;
        if (QByteArray(c.name).endsWith("redirections"))
            window->core().appli_url_update = server.url(QStringLiteral("/r/0"));

        window->btn_updateClick();

        EXPECT_EQ(window->core().appli_update_data, c.data);
        EXPECT_EQ(window->tab_update->label_update2->text(), c.status);
        EXPECT_EQ(window->etat(EtatRow::MiseAJour), c.row);
        if (!c.line.isEmpty()) {
            EXPECT_EQ(runsOf(c.line),
                      (QList<std::pair<int, quint32>>{
                          {c.row == EtatEchec ? StyleBold : StyleNone, c.lineColor}}));
        }
        for (const QString& other :
             {kUnreachable, kCurrent, QStringLiteral("Mise à jour disponible")}) {
            if (other != c.line) {
                EXPECT_FALSE(log().contains(other)) << other.toStdString();
            }
        }
        EXPECT_EQ(window->tab_master->currentWidget(), window->tab_update);
        EXPECT_EQ(window->tab_update->btn_update_go->isVisibleTo(window.get()), c.row == EtatEchec);
        EXPECT_EQ(window->core().appli_maj_date, kToday);
        EXPECT_EQ(storedDate(), kToday);
        window.reset();
    }
}

TEST_F(UpdateCheck, AvailableUpdateIsAnnouncedWithTheDownloadAddress)
{
    createStore("20261208");
    LoopbackServer server;
    server.respond = answering("update");
    startOn(server);
    window->btn_updateClick();

    const QString address =
        window->core().appli_url_update + QStringLiteral("?l=kelvoraps&v=1.09&k=force");
    EXPECT_TRUE(log().contains(QStringLiteral("\nContrôle Mise à Jour\nEnvoi de la demande\n"
                                              "Mise à jour disponible\n") +
                               address + QStringLiteral("\n")))
        << log().toStdString();
    EXPECT_EQ(runsOf(address), (QList<std::pair<int, quint32>>{{StyleNone, ClRed}}));
    EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Mise à Jour disponible"));
    EXPECT_EQ(window->tab_launch->label_suivi2->text(),
              QStringLiteral("Consulter le diagnostic pour plus d'informations"));
    EXPECT_EQ(Tppal::labelColor(window->tab_launch->label_suivi), ClMaroon);
    EXPECT_EQ(window->core().appli_check_continue, 1);
    EXPECT_TRUE(window->btn_diagnostique->isVisibleTo(window.get()));
}

TEST_F(UpdateCheck, RequestIsTheFormPostOfTheProduct)
{
    createStore("20261208");
    LoopbackServer server;
    server.respond = [](const HttpRequest&, QTcpSocket* socket) {
        LoopbackServer::answer(socket, 200, "", "Set-Cookie: session=abc; Path=/\r\n");
    };
    startOn(server);
    window->core().appli_client = QStringLiteral("Cab 12&Co=é");
    window->btn_updateClick();
    window->btn_updateClick(); // a manual check asks again, without the first one's cookie

    ASSERT_EQ(server.requests.size(), 2);
    for (const HttpRequest& r : server.requests) {
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.path, "/obtenir-derniere-version.php");
        EXPECT_EQ(r.body, "logiciel=kelvoraps&version=1.09&licence=Cab%2012%26Co%3D%C3%A9");
        EXPECT_EQ(r.headers.value("content-type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(r.headers.value("accept"), "*/*");
        EXPECT_EQ(r.headers.value("user-agent"), "Mozilla/4.0 (compatible; DOVRANE)");
        EXPECT_FALSE(r.headers.contains("cookie"));
    }
}

TEST_F(UpdateCheck, WindowStaysResponsiveButNothingElseStartsDuringTheRequest)
{
    createStore("20261208");
    LoopbackServer server;
    bool ranDuringRequest = false;
    server.respond = [&](const HttpRequest&, QTcpSocket* socket) {
        // Runs from the window's event loop while the check waits for this answer.
        QTimer::singleShot(0, [&, socket] {
            ranDuringRequest = true;
            window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
            window->action_vitale2Click();
            window->btn_updateClick();
            window->maj().check_majExecute(); // called straight: returns, row left in progress
            EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatEnCours);
            LoopbackServer::answer(socket, 200, "rien");
        });
    };
    startOn(server);
    window->btn_updateClick();

    EXPECT_TRUE(ranDuringRequest);
    EXPECT_EQ(server.requests.size(), 1);
    EXPECT_FALSE(log().contains(QStringLiteral("### Fichiers")));
    EXPECT_EQ(log().count(QStringLiteral("Diagnostic pour Kelvora")), 1);
    EXPECT_EQ(log().count(QStringLiteral("Envoi de la demande")), 1);
    EXPECT_EQ(window->tab_update->label_update2->text(), kCurrent);
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_update);
    EXPECT_FALSE(window->core().appli_maj_en_cours);
    EXPECT_FALSE(window->core().appli_run_en_cours);
}

// The row is recreated, so that the daily rule holds from then on.
TEST_F(UpdateCheck, MissingDateRowStillChecksAndIsRecreated)
{
    createStore(nullptr, false);
    LoopbackServer server;
    server.respond = answering("");
    startOn(server);
    window->btn_updateClick();
    EXPECT_EQ(window->tab_update->label_update2->text(), kCurrent);
    EXPECT_EQ(window->core().appli_maj_date, kToday);
    EXPECT_EQ(storedDate(), kToday);
}

TEST_F(UpdateCheck, FirstRunOfTheDayStopsOnTheUpdatePage)
{
    createStore("20261208");
    LoopbackServer server;
    server.respond = answering("update");
    startOn(server);
    window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
    window->action_vitale2Click();

    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_update);
    EXPECT_EQ(window->tab_update->label_update2->text(), kAvailable);
    EXPECT_TRUE(window->tab_update->btn_update_go->isVisibleTo(window.get()));
    EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatEchec);
    EXPECT_EQ(window->etat(EtatRow::Lecteur), EtatEchec);
    EXPECT_FALSE(laterStageStarted());
    EXPECT_EQ(storedDate(), kToday);

    // The same day, the run no longer asks.
    window->action_vitale2Click();
    EXPECT_EQ(server.requests.size(), 1);
    EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatNonTeste);
}

TEST_F(UpdateCheck, RunGoesOnWhenTheCertificateIsRefused)
{
    createStore("20261208");
    LoopbackServer server(LoopbackServer::Kind::HttpsSelfSigned);
    server.respond = answering("update");
    startOn(server);
    window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
    window->action_vitale2Click();

    EXPECT_EQ(server.requests.size(), 0);
    EXPECT_EQ(runsOf(kUnreachable), (QList<std::pair<int, quint32>>{{StyleNone, ClGreen}}));
    EXPECT_EQ(window->tab_update->label_update2->text(), kUnreachable);
    EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatValide);
    EXPECT_NE(window->tab_launch->label_suivi->text(), QStringLiteral("Mise à Jour disponible"));
    EXPECT_NE(window->tab_master->currentWidget(), window->tab_update);
    EXPECT_TRUE(laterStageStarted());
    EXPECT_EQ(storedDate(), kToday);
}

// One deadline for the whole exchange: neither a server that trickles its answer nor a chain
// of slow redirections holds the check past it.
TEST_F(UpdateCheck, DeadlineCoversTheWholeExchange)
{
    struct Case {
        const char* name;
        LoopbackServer::Responder respond;
        const char* path;
    };
    // One byte every 100 ms: the gaps stay far below the deadline.
    const auto trickle = [](const HttpRequest&, QTcpSocket* socket) {
        socket->write(LoopbackServer::head(200, 1000));
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("u"); });
        timer->start(100);
    };
    // Each hop answers after 150 ms; the tenth answers "update".
    const auto slowHops = [](const HttpRequest& request, QTcpSocket* socket) {
        const int hop = request.path.mid(3).toInt();
        QTimer::singleShot(150, socket, [socket, hop] {
            if (hop < 10)
                LoopbackServer::answer(socket, 302, "",
                                       "Location: /r/" + QByteArray::number(hop + 1) + "\r\n");
            else
                LoopbackServer::answer(socket, 200, "update");
        });
    };
    const Case cases[] = {
        {"trickling answer", trickle, "/obtenir-derniere-version.php"},
        {"slow redirections", slowHops, "/r/0"},
    };
    constexpr int kDeadline = 800;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        createStore("20261208");
        LoopbackServer server;
        server.respond = c.respond;
        startOn(server);
        window->core().appli_url_update = server.url(QString::fromLatin1(c.path));
        window->core().appli_update_timeout_ms = kDeadline;

        QElapsedTimer clock;
        clock.start();
        window->btn_updateClick();
        const qint64 elapsed = clock.elapsed();

        EXPECT_GE(elapsed, kDeadline);
        EXPECT_LT(elapsed, kDeadline + 1500);
        EXPECT_EQ(window->core().appli_update_data, QStringLiteral("error"));
        EXPECT_EQ(window->tab_update->label_update2->text(), kUnreachable);
        EXPECT_FALSE(window->tab_update->btn_update_go->isVisibleTo(window.get()));
        EXPECT_EQ(storedDate(), kToday);
        window.reset();
    }
}

// Only the first 4 KB of an answer are read; a longer one is not "update", and the check does
// not wait for its end.
TEST_F(UpdateCheck, AnswerOverFourKilobytesIsNotAnUpdate)
{
    struct Case {
        const char* name;
        LoopbackServer::Responder respond;
    };
    const QByteArray longAnswer = "update" + QByteArray(5000, ' ');
    // No announced length, and an end that never comes.
    const auto endless = [](const HttpRequest&, QTcpSocket* socket) {
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nupdate");
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket,
                         [socket] { socket->write(QByteArray(1024, 'x')); });
        timer->start(10);
    };
    const Case cases[] = {
        {"announced 5006 bytes", answering(longAnswer)},
        {"endless stream", endless},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        createStore("20261208");
        LoopbackServer server;
        server.respond = c.respond;
        startOn(server);

        QElapsedTimer clock;
        clock.start();
        window->btn_updateClick();

        EXPECT_LT(clock.elapsed(), window->core().appli_update_timeout_ms);
        EXPECT_TRUE(window->core().appli_update_data.startsWith(QStringLiteral("update")));
        EXPECT_LE(window->core().appli_update_data.size(), kelvora::UpdateService::kMaxAnswerBytes);
        EXPECT_EQ(window->tab_update->label_update2->text(), kCurrent);
        EXPECT_EQ(runsOf(kCurrent), (QList<std::pair<int, quint32>>{{StyleNone, ClGreen}}));
        EXPECT_FALSE(window->tab_update->btn_update_go->isVisibleTo(window.get()));
        EXPECT_EQ(storedDate(), kToday);
        window.reset();
    }
}

// After an "update" answer, a later check that does not find one hides the download button,
// whether it is a manual check or a reading's.
TEST_F(UpdateCheck, LaterCheckHidesTheDownloadButton)
{
    for (const bool reading : {false, true}) {
        SCOPED_TRACE(reading ? "reading run" : "manual check");
        QFile::remove(storePath());
        createStore("20261208");
        LoopbackServer server;
        server.respond = answering("update");
        startOn(server);
        window->btn_updateClick();
        ASSERT_TRUE(window->tab_update->btn_update_go->isVisibleTo(window.get()));

        window->core().appli_url_update =
            QStringLiteral("http://127.0.0.1:9/obtenir-derniere-version.php");
        if (reading) {
            sql("UPDATE configuration SET valeur = '20261208' WHERE id = 'date_maj'");
            window->core().appli_maj_date = 20261208;
            window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
            window->action_vitale2Click();
        } else {
            window->btn_updateClick();
        }

        EXPECT_EQ(window->tab_update->label_update2->text(), kUnreachable);
        EXPECT_FALSE(window->tab_update->btn_update_go->isVisibleTo(window.get()));
        window.reset();
    }
}

// The hidden button also goes with the display's reset, before any request.
TEST_F(UpdateCheck, ResetOfTheDisplayHidesTheDownloadButton)
{
    createStore("20261209");
    start();
    window->tab_update->btn_update_go->setVisible(true);
    window->core().raz_etatExecute();
    EXPECT_FALSE(window->tab_update->btn_update_go->isVisibleTo(window.get()));
}

// A proxy set in the environment carries the check: the address's host name does not even
// resolve, so only the proxy can answer. The request names the program's user agent.
TEST_F(UpdateCheck, SystemProxyCarriesTheCheck)
{
    const QByteArray saved = qgetenv("http_proxy");
    const QByteArray savedNoProxy = qgetenv("no_proxy");
    const auto restore = qScopeGuard([&] {
        qputenv("http_proxy", saved);
        qputenv("no_proxy", savedNoProxy);
    });
    LoopbackServer proxy;
    proxy.respond = [](const HttpRequest&, QTcpSocket* socket) {
        LoopbackServer::answer(socket, 200, "update");
    };
    qputenv("http_proxy", proxy.url(QString()).toLatin1());
    qunsetenv("no_proxy");
    createStore("20261208");
    start();
    const QString address =
        QStringLiteral("http://kelvora-maj.invalid/obtenir-derniere-version.php");
    window->core().appli_url_update = address;
    window->core().appli_update_timeout_ms = 5000;

    window->btn_updateClick();
    ASSERT_EQ(window->tab_update->label_update2->text(), kAvailable);
    ASSERT_EQ(proxy.requests.size(), 1);
    EXPECT_EQ(proxy.requests[0].method + ' ' + proxy.requests[0].path,
              "POST " + address.toLatin1());
    EXPECT_EQ(proxy.requests[0].headers.value("user-agent"), "Mozilla/4.0 (compatible; DOVRANE)");
}

} // namespace
