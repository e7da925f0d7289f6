// The installer's download and the hand-off to it.
#include "update/download_progress.h"
#include "update/downloader.h"
#include "update/network_module.h"
#include "update_fixture.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace kelvora::testing;

namespace
{

const QString kErrorCaption = QStringLiteral("Erreur durant le téléchargement...");

class UpdateDownload : public UpdateFixture
{
protected:
    LoopbackServer server;
    QByteArray installer;
    // What the signature's address answers; by default the release key's signature of
    // `installer`.
    LoopbackServer::Responder serveSignature;

    // The check answers "update"; the download address gets what `serve` sends.
    void findUpdate(const LoopbackServer::Responder& serve)
    {
        // Signed here, once: gpg inside the server's answer would hold the event loop.
        const QByteArray signature = installer.isEmpty() ? QByteArray() : signatureOf(installer);
        server.respond = [this, serve, signature](const HttpRequest& request, QTcpSocket* socket) {
            if (request.method == "POST")
                LoopbackServer::answer(socket, 200, "update");
            else if (request.path.endsWith("&k=signature") && serveSignature)
                serveSignature(request, socket);
            else if (request.path.endsWith("&k=signature"))
                LoopbackServer::answer(socket, 200, signature);
            else
                serve(request, socket);
        };
        createStore("20261208");
        startOn(server);
        window->btn_updateClick();
        ASSERT_TRUE(window->btn_update_go->isVisibleTo(window.get()));
    }

    void serveInstaller(int size)
    {
        installer.resize(size);
        for (int i = 0; i < size; ++i)
            installer[i] = char(i * 7 % 251);
        serveInstaller();
    }

    // Serves `installer` as it is, announced length first.
    void serveInstaller()
    {
        findUpdate([this](const HttpRequest&, QTcpSocket* socket) {
            socket->write(LoopbackServer::head(200, installer.size()));
            sendSlices(socket, 0);
        });
    }

    QString installerPath() const { return commonFolder() + QStringLiteral("/kelvoraps-last.exe"); }

    // The installer in four slices, one per turn of the event loop, so that the window sees
    // several blocks arrive.
    void sendSlices(QTcpSocket* socket, int slice)
    {
        const qsizetype size = installer.size() / 4;
        socket->write(slice < 3 ? installer.mid(slice * size, size) : installer.mid(3 * size));
        if (slice == 3) {
            socket->disconnectFromHost();
            return;
        }
        QTimer::singleShot(20, socket, [this, socket, slice] { sendSlices(socket, slice + 1); });
    }

    QStringList filesOfTheDataFolder() const
    {
        return QDir(commonFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QList<QToolButton*> hiddenDuringDownload() const
    {
        return {window->btn_vitale, window->btn_diagnostique, window->btn_about, window->btn_update,
                window->btn_quit};
    }

    void expectToolbarShown()
    {
        for (QToolButton* b : hiddenDuringDownload())
            EXPECT_TRUE(b->isVisibleTo(window.get())) << b->objectName().toStdString();
        EXPECT_TRUE(window->btn_config->isVisibleTo(window.get()));
    }

    // Nothing was handed on: one box under the launch's caption, nothing to quit for.
    void expectOneLaunchRefusal()
    {
        EXPECT_TRUE(platform.installed.isEmpty());
        EXPECT_EQ(platform.quitRequests, 0);
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Erreur Lancement Mise à Jour..."));
    }
};

TEST(DownloadProgress, TextUsesTheLocaleSeparators)
{
    const QLocale french(QLocale::French, QLocale::France);
    EXPECT_EQ(kelvora::downloadProgressText(french, 2500, 5000, 1.5),
              QStringLiteral("2\u202f500,00 sur 5\u202f000,00 Kb fait, temps restant 1,50 min"));
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(kelvora::downloadProgressText(english, 1234.567, 0.004, 0),
              QStringLiteral("1,234.57 sur 0.00 Kb fait, temps restant 0.00 min"));
    // A locale that leaves out thousands separators by default still shows them here.
    EXPECT_EQ(kelvora::downloadProgressText(QLocale::c(), 2500, 5000, 90),
              QStringLiteral("2,500.00 sur 5,000.00 Kb fait, temps restant 90.00 min"));
}

TEST(DownloadProgress, BarRoundsHalvesToEven)
{
    struct Case {
        double done, total;
        std::optional<int> percent;
    };
    const Case cases[] = {
        {2500, 5000, 50},
        {1, 200, 0},   // 0.5 goes down to 0
        {3, 200, 2},   // 1.5 goes up to 2
        {2.5, 100, 2}, // done rounds to 2 first
        {3.5, 100, 4}, // and 3.5 to 4
        {0.4, 0.6, 0},
        {0.3, 0.5, std::nullopt}, // half a kilobyte rounds to nothing
        {0.3, 513.0 / 1024, 0},
        {0, 0, std::nullopt}, // unknown total
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.done << " / " << c.total);
        EXPECT_EQ(kelvora::downloadPercent(c.done, c.total), c.percent);
    }
}

TEST_F(UpdateDownload, ProgressEventShowsFrenchTextAndTheBar)
{
    createStore("20261209");
    start();
    window->clProgressBarDC1->setValue(7);
    window->maj().web1_download2DataItemProceed(300, 400,
                                                0); // under half a kilobyte: no percentage
    EXPECT_EQ(window->txt_suivi_download->text(),
              QStringLiteral("0,29 sur 0,39 Kb fait, temps restant 0,00 min"));
    EXPECT_EQ(window->clProgressBarDC1->value(), 7);

    window->maj().web1_download2DataItemProceed(2560000, 5120000, 90);
    EXPECT_EQ(window->txt_suivi_download->text(),
              QStringLiteral("2\u202f500,00 sur 5\u202f000,00 Kb fait, temps restant 1,50 min"));
    EXPECT_EQ(window->clProgressBarDC1->value(), 50);
}

QByteArray gzip(const QByteArray& bytes)
{
    QProcess gz;
    gz.start(QStringLiteral("gzip"), {QStringLiteral("-c")});
    gz.write(bytes);
    gz.closeWriteChannel();
    gz.waitForFinished(60000);
    return gz.readAllStandardOutput();
}

// A server that compresses for clients that accept it: the download asks for the bytes as they
// are, so the file arrives whole and the progress counts its real length.
TEST_F(UpdateDownload, CompletedKelvoraPackageIsHandedToTheHelper)
{
    const QString refusal =
        QStringLiteral("Le paquet n'est pas plus récent que la version installée (1.09).");
    struct Case {
        const char* name;
        kelvora::UpdateInstallResult result;
    };
    const Case cases[] = {
        {"installed", {true, {}, 0, {}}},
        {"helper refuses", {false, refusal, 10, refusal}},
    };
    installer = debianPackage("kelvora", "9.0", 2048000);
    ASSERT_EQ(installer.size(), 2048000);
    const QByteArray compressed = gzip(installer);
    ASSERT_FALSE(compressed.isEmpty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        QFile::remove(installerPath());
        platform.installResult = c.result;
        platform.installed.clear();
        platform.messages.clear();
        platform.quitRequests = 0;
        server.requests.clear();
        findUpdate([this, &compressed](const HttpRequest& request, QTcpSocket* socket) {
            if (request.headers.value("accept-encoding") != "identity") {
                LoopbackServer::answer(socket, 200, compressed, "Content-Encoding: gzip\r\n");
                return;
            }
            socket->write(LoopbackServer::head(200, installer.size()));
            sendSlices(socket, 0);
        });
        QStringList texts;
        QObject::connect(window->txt_suivi_download, &QLineEdit::textChanged,
                         [&texts](const QString& t) { texts.append(t); });

        window->btn_update_goClick();
        for (QToolButton* b : hiddenDuringDownload())
            EXPECT_FALSE(b->isVisibleTo(window.get()));
        EXPECT_TRUE(window->btn_config->isVisibleTo(window.get()));
        EXPECT_FALSE(window->btn_update_go->isVisibleTo(window.get()));
        EXPECT_TRUE(window->clProgressBarDC1->isVisibleTo(window.get()));
        EXPECT_TRUE(window->txt_suivi_download->isVisibleTo(window.get()));
        // gpgv runs in between; a loaded machine may take its time.
        ASSERT_TRUE(waitFor([&] { return !platform.installed.isEmpty(); }, 60000));

        EXPECT_EQ(window->core().appli_maj_name, installerPath());
        EXPECT_EQ(platform.installed, QStringList{installerPath()});
        EXPECT_TRUE(platform.installedBytes == installer);
        EXPECT_FALSE(platform.installedSignature.isEmpty());
        // Once the helper has answered, whatever it answered, neither file stays behind.
        EXPECT_EQ(filesOfTheDataFolder(), QStringList{QStringLiteral("attest.vqs")});

        ASSERT_GE(server.requests.size(), 2);
        const HttpRequest& get = server.requests[server.requests.size() - 2];
        EXPECT_EQ(get.method, "GET");
        EXPECT_EQ(get.path, "/obtenir-derniere-version.php?l=kelvoraps&v=1.09&k=force");
        EXPECT_EQ(get.headers.value("user-agent"), "Mozilla/4.0 (compatible; Dovrane)");
        EXPECT_EQ(get.headers.value("accept-encoding"), "identity");
        EXPECT_EQ(server.requests.last().path,
                  "/obtenir-derniere-version.php?l=kelvoraps&v=1.09&k=signature");

        ASSERT_GE(texts.size(), 4);
        for (const QString& text : texts) {
            EXPECT_TRUE(
                QRegularExpression(
                    QStringLiteral("^\\d{1,3}(\u202f\\d{3})?,\\d\\d sur 2\u202f000,00 Kb fait, "
                                   "temps restant \\d+,\\d\\d min$"))
                    .match(text)
                    .hasMatch())
                << text.toStdString();
        }
        EXPECT_EQ(
            texts.last(),
            QStringLiteral("2\u202f000,00 sur 2\u202f000,00 Kb fait, temps restant 0,00 min"));
        EXPECT_EQ(window->clProgressBarDC1->value(), 100);
        EXPECT_FALSE(window->clProgressBarDC1->isVisibleTo(window.get()));
        EXPECT_FALSE(window->txt_suivi_download->isVisibleTo(window.get()));
        EXPECT_FALSE(window->btn_update_go->isVisibleTo(window.get()));
        expectToolbarShown();
        EXPECT_EQ(storedDate(), kToday);

        EXPECT_EQ(platform.quitRequests, c.result.installed ? 1 : 0);
        if (c.result.installed) {
            EXPECT_TRUE(platform.messages.isEmpty());
        } else {
            ASSERT_EQ(platform.messages.size(), 1);
            EXPECT_EQ(platform.messages[0].text,
                      QStringLiteral("Impossible de lancer la mise à jour ! \rVeuillez relancer "
                                     "la procédure\r") +
                          refusal);
            EXPECT_EQ(platform.messages[0].caption,
                      QStringLiteral("Erreur Lancement Mise à Jour..."));
        }
        window.reset();
    }
}

// What the file is decides, before anything runs it: only the kind the system installs goes
// on, and on Linux only a package named kelvora. Anything else is deleted, with a reason.
TEST_F(UpdateDownload, FileKindIsCheckedBeforeAnythingRunsIt)
{
    using kelvora::update::UpdateKind;
    QByteArray random(30000, '\0');
    for (qsizetype i = 0; i < random.size(); ++i)
        random[i] = char((i * 131 + 17) % 253);
    const QByteArray windows = "MZ" + random;
    const QByteArray otherPackage = debianPackage("autre-paquet", "9.0");
    const QByteArray kelvoraPackage = debianPackage("kelvora", "9.0");
    ASSERT_FALSE(otherPackage.isEmpty());
    ASSERT_FALSE(kelvoraPackage.isEmpty());
    const QString site = QStringLiteral(KELVORA_SITE_URL);
    struct Case {
        const char* name;
        UpdateKind system; // what the platform installs
        QByteArray file;
        bool handedOn;
        QStringList said; // pieces of the refusal's message
    };
    const Case cases[] = {
        {"Windows installer on Linux",
         UpdateKind::DebianPackage,
         windows,
         false,
         {QStringLiteral("Windows"), site}},
        {"random bytes",
         UpdateKind::DebianPackage,
         random,
         false,
         {QStringLiteral("n'est pas une mise à jour de Kelvora")}},
        {"package of another name",
         UpdateKind::DebianPackage,
         otherPackage,
         false,
         {QStringLiteral("« autre-paquet »"), QStringLiteral("supprimé")}},
        {"kelvora package", UpdateKind::DebianPackage, kelvoraPackage, true, {}},
        {"Windows installer on Windows", UpdateKind::WindowsExecutable, windows, true, {}},
        {"package on Windows",
         UpdateKind::WindowsExecutable,
         kelvoraPackage,
         false,
         {QStringLiteral("n'est pas une mise à jour de Kelvora")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        QFile::remove(installerPath());
        platform.updateKind = c.system;
        platform.installResult = {true, {}, 0, {}};
        platform.installed.clear();
        platform.messages.clear();
        platform.quitRequests = 0;
        installer = c.file;
        serveInstaller();

        window->btn_update_goClick();
        ASSERT_TRUE(waitFor(
            [&] { return !platform.installed.isEmpty() || !platform.messages.isEmpty(); }, 60000));

        if (c.handedOn) {
            EXPECT_EQ(platform.installed, QStringList{installerPath()});
            EXPECT_TRUE(platform.messages.isEmpty());
            EXPECT_EQ(platform.quitRequests, 1);
        } else {
            expectOneLaunchRefusal();
            ASSERT_EQ(platform.messages.size(), 1);
            for (const QString& piece : c.said)
                EXPECT_TRUE(platform.messages[0].text.contains(piece))
                    << platform.messages[0].text.toStdString();
            EXPECT_EQ(filesOfTheDataFolder(), QStringList{QStringLiteral("attest.vqs")});
            EXPECT_EQ(runsOf(platform.messages[0].text.section(QLatin1Char('\r'), 0, 0)),
                      (QList<std::pair<int, quint32>>{{StyleBold, ClRed}}));
            expectToolbarShown();
        }
        window.reset();
    }
}

// Nothing that cannot be verified is kept: no announced length, an encoding the download did
// not ask for, or more than an update may weigh, refused as soon as the head says so.
TEST_F(UpdateDownload, UnverifiableTransfersAreRefused)
{
    const QByteArray body = debianPackage("kelvora", "9.0");
    ASSERT_FALSE(body.isEmpty());
    const QByteArray compressed = gzip(body);
    qint64 sent = 0;
    QPointer<QTcpSocket> transfer;
    struct Case {
        const char* name;
        LoopbackServer::Responder serve;
        QString said;
    };
    const Case cases[] = {
        {"no announced length",
         [&body](const HttpRequest&, QTcpSocket* socket) {
             socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body);
             socket->disconnectFromHost();
         },
         QStringLiteral("n'a pas annoncé la taille")},
        {"compressed although the bytes were asked for",
         [&compressed](const HttpRequest&, QTcpSocket* socket) {
             LoopbackServer::answer(socket, 200, compressed, "Content-Encoding: gzip\r\n");
         },
         QStringLiteral("compressé (gzip)")},
        {"513 MB announced",
         [&sent, &transfer](const HttpRequest&, QTcpSocket* socket) {
             transfer = socket;
             socket->write(LoopbackServer::head(200, 513ll * 1024 * 1024));
             auto* timer = new QTimer(socket);
             QObject::connect(timer, &QTimer::timeout, socket, [socket, &sent] {
                 sent += socket->write(QByteArray(64 * 1024, 'x'));
             });
             timer->start(5);
         },
         QStringLiteral("512 Mo")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        QFile::remove(installerPath());
        platform.messages.clear();
        findUpdate(c.serve);

        window->btn_update_goClick();
        ASSERT_TRUE(waitFor([&] { return !platform.messages.isEmpty(); }));
        waitFor([] { return false; }, 100); // nothing more is to come

        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0].caption, kErrorCaption);
        EXPECT_TRUE(platform.messages[0].text.contains(c.said))
            << platform.messages[0].text.toStdString();
        EXPECT_TRUE(platform.installed.isEmpty());
        EXPECT_EQ(filesOfTheDataFolder(), QStringList{QStringLiteral("attest.vqs")});
        EXPECT_TRUE(window->btn_update_go->isVisibleTo(window.get()));
        expectToolbarShown();
        window.reset();
    }
    // The oversized transfer ended long before its end: the connection went at once.
    EXPECT_TRUE(waitFor([&] { return transfer.isNull(); }));
    EXPECT_LT(sent, 64ll * 1024 * 1024);
}

TEST_F(UpdateDownload, FailedTransferLeavesNoInstallerAndLaunchesNothing)
{
    struct Case {
        const char* name;
        LoopbackServer::Responder serve;
        bool oldInstaller; // an installer of an earlier update is already there
    };
    const auto cut = [](const HttpRequest&, QTcpSocket* socket) {
        socket->write(LoopbackServer::head(200, 100000) + QByteArray(50000, 'x'));
        socket->disconnectFromHost();
    };
    const Case cases[] = {
        {"cut in the middle", cut, false},
        // The name is cleared when a download begins: nothing another account left there is
        // ever written through or kept.
        {"cut in the middle over an earlier installer", cut, true},
        {"body shorter than announced",
         [](const HttpRequest&, QTcpSocket* socket) {
             // A well-formed chunked body that stops short of the length the server announced.
             socket->write(LoopbackServer::head(200, 100000, "Transfer-Encoding: chunked\r\n") +
                           "c350\r\n" + QByteArray(50000, 'x') + "\r\n0\r\n\r\n");
             socket->disconnectFromHost();
         },
         false},
        {"status 404",
         [](const HttpRequest&, QTcpSocket* s) { LoopbackServer::answer(s, 404, "absent"); },
         false},
        {"no answer", [](const HttpRequest&, QTcpSocket*) {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        const QString path = commonFolder() + QStringLiteral("/kelvoraps-last.exe");
        QFile::remove(path);
        if (c.oldInstaller)
            writeFile(path, "earlier installer");
        platform.messages.clear();
        findUpdate(c.serve);
        window->core().appli_update_timeout_ms = 300;

        window->btn_update_goClick();
        ASSERT_TRUE(waitFor([&] { return !platform.messages.isEmpty(); }));
        waitFor([] { return false; }, 100); // nothing more is to come

        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0].caption, kErrorCaption);
        EXPECT_FALSE(platform.messages[0].text.isEmpty());
        EXPECT_TRUE(platform.installed.isEmpty());
        EXPECT_EQ(platform.quitRequests, 0);
        EXPECT_EQ(filesOfTheDataFolder(), QStringList{QStringLiteral("attest.vqs")});
        // Back to "update found": the user may try again.
        EXPECT_TRUE(window->btn_update_go->isVisibleTo(window.get()));
        EXPECT_FALSE(window->clProgressBarDC1->isVisibleTo(window.get()));
        EXPECT_FALSE(window->txt_suivi_download->isVisibleTo(window.get()));
        EXPECT_TRUE(window->txt_suivi_download->text().isEmpty());
        expectToolbarShown();
        window.reset();
    }
}

TEST_F(UpdateDownload, StoppingDuringTheDownloadDiscardsIt)
{
    for (const bool quit : {false, true}) {
        SCOPED_TRACE(quit ? "Quitter" : "window closed");
        QFile::remove(storePath());
        platform.quitRequests = 0;
        QPointer<QTcpSocket> transfer;
        findUpdate([&transfer](const HttpRequest&, QTcpSocket* socket) {
            transfer = socket;
            socket->write(LoopbackServer::head(200, 100000) + QByteArray(50000, 'x'));
        });

        window->btn_update_goClick();
        ASSERT_TRUE(waitFor([&] { return !window->txt_suivi_download->text().isEmpty(); }));
        if (quit)
            window->btn_quitClick();
        else
            window->close();

        EXPECT_FALSE(window->maj().web1_download2->isActive());
        // The server sees the transfer's connection close.
        EXPECT_TRUE(waitFor([&] { return transfer.isNull(); }));
        EXPECT_EQ(filesOfTheDataFolder(), QStringList{QStringLiteral("attest.vqs")});
        EXPECT_TRUE(platform.installed.isEmpty());
        EXPECT_TRUE(platform.messages.isEmpty());
        EXPECT_EQ(platform.quitRequests, quit ? 1 : 0);
        window.reset();
    }
}

TEST_F(UpdateDownload, DownloadThatCannotStartRestoresThePage)
{
    serveInstaller(1000);
    const int requests = int(server.requests.size());
    window->core().appli_maj_name = temp.path() + QStringLiteral("/absent/kelvoraps-last.exe");

    window->btn_update_goClick();

    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].caption, kErrorCaption);
    EXPECT_TRUE(platform.messages[0].text.contains(window->core().appli_maj_name));
    EXPECT_TRUE(window->btn_update_go->isVisibleTo(window.get()));
    EXPECT_FALSE(window->clProgressBarDC1->isVisibleTo(window.get()));
    EXPECT_FALSE(window->txt_suivi_download->isVisibleTo(window.get()));
    expectToolbarShown();
    waitFor([] { return false; }, 100);
    EXPECT_EQ(server.requests.size(), requests);
    EXPECT_TRUE(platform.installed.isEmpty());
}

// Without its network module the program fails the check and the download as when the server
// cannot be reached, saying which file is missing; nothing is sent, nothing is written.
TEST_F(UpdateDownload, MissingNetworkModuleFailsLikeAnUnreachableServer)
{
    serveInstaller(1000);
    const int requests = int(server.requests.size());
    kelvora::NetworkModule missing(temp.path() + QStringLiteral("/lib/libkelvora_network.so"));
    window->maj().setNetwork(missing);
    const QString why =
        QStringLiteral("Module réseau introuvable : ") + missing.path() + QStringLiteral(" (");

    window->btn_update_goClick();

    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].caption, kErrorCaption);
    EXPECT_TRUE(platform.messages[0].text.startsWith(why))
        << platform.messages[0].text.toStdString();
    EXPECT_TRUE(window->btn_update_go->isVisibleTo(window.get()));
    EXPECT_FALSE(window->clProgressBarDC1->isVisibleTo(window.get()));
    expectToolbarShown();

    window->btn_updateClick();

    EXPECT_FALSE(missing.loaded());
    EXPECT_EQ(window->core().appli_update_data, QStringLiteral("error"));
    EXPECT_EQ(window->label_update2->text(), QStringLiteral("Le serveur est injoignable"));
    EXPECT_TRUE(log().contains(why)) << log().toStdString();
    EXPECT_EQ(server.requests.size(), requests);
    EXPECT_EQ(filesOfTheDataFolder(), QStringList{QStringLiteral("attest.vqs")});
    EXPECT_TRUE(platform.installed.isEmpty());
}

// Only a package signed by a release key reaches pkexec. The server serving the signature
// proves nothing: each refused case leaves no file behind and names the product's site.
TEST_F(UpdateDownload, OnlyAPackageSignedByAReleaseKeyIsHandedOn)
{
    const SigningKey otherKey("Serveur compromis");
    const QByteArray package = debianPackage("kelvora", "9.0");
    ASSERT_FALSE(package.isEmpty());
    const QByteArray good = signatureOf(package);
    ASSERT_FALSE(good.isEmpty());
    struct Case {
        const char* name;
        QByteArray signature; // empty: the address answers 404
        bool handedOn;
    };
    const Case cases[] = {
        {"no signature (404)", {}, false},
        {"signed by another key", signatureOf(package, otherKey), false},
        {"signature of another file", signatureOf(debianPackage("kelvora", "9.1")), false},
        {"signature cut short", good.left(good.size() / 2), false},
        {"valid signature", good, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        platform.installed.clear();
        platform.messages.clear();
        platform.quitRequests = 0;
        installer = package;
        serveSignature = [&c](const HttpRequest&, QTcpSocket* socket) {
            if (c.signature.isEmpty())
                LoopbackServer::answer(socket, 404, "absent");
            else
                LoopbackServer::answer(socket, 200, c.signature);
        };
        serveInstaller();

        window->btn_update_goClick();
        ASSERT_TRUE(waitFor(
            [&] { return !platform.installed.isEmpty() || !platform.messages.isEmpty(); }, 60000));

        EXPECT_EQ(filesOfTheDataFolder(), QStringList{QStringLiteral("attest.vqs")});
        if (c.handedOn) {
            EXPECT_EQ(platform.installed, QStringList{installerPath()});
            EXPECT_TRUE(platform.installedSignature == good);
            EXPECT_TRUE(platform.messages.isEmpty());
        } else {
            expectOneLaunchRefusal();
            ASSERT_EQ(platform.messages.size(), 1);
            EXPECT_TRUE(platform.messages[0].text.startsWith(
                QStringLiteral("La mise à jour téléchargée n'a pas de signature valide de "
                               "Kelvora")))
                << platform.messages[0].text.toStdString();
            EXPECT_TRUE(platform.messages[0].text.endsWith(QStringLiteral(KELVORA_SITE_URL)));
            EXPECT_TRUE(log().contains(QStringLiteral("Signature de la mise à jour refusée")));
            expectToolbarShown();
        }
        window.reset();
    }
}

// Another member of the group may plant links in the shared folder: the download never writes
// through one, at the package's name or at the signature's.
TEST_F(UpdateDownload, LinksPlantedAtTheDownloadNamesAreNotFollowed)
{
    const QString victim = temp.path() + QStringLiteral("/victime");
    writeFile(victim, "à garder");
    ASSERT_TRUE(QFile::link(victim, installerPath()));
    ASSERT_TRUE(QFile::link(victim, installerPath() + QStringLiteral(".sig")));
    installer = debianPackage("kelvora", "9.0");
    serveInstaller();

    window->btn_update_goClick();
    ASSERT_TRUE(waitFor(
        [&] { return !platform.installed.isEmpty() || !platform.messages.isEmpty(); }, 60000));

    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(platform.installedBytes == installer);
    QFile kept(victim);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("à garder"));
    EXPECT_EQ(filesOfTheDataFolder(), QStringList{QStringLiteral("attest.vqs")});
}

// A server that sends a few bytes now and then keeps the transfer alive past any idle
// time-out; the average rate over the window decides. The window is shortened here.
TEST(Downloader, ATricklingTransferIsAbandoned)
{
    application();
    LoopbackServer server;
    server.respond = [](const HttpRequest&, QTcpSocket* socket) {
        socket->write(LoopbackServer::head(200, 100000));
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("xx"); });
        timer->start(50);
    };
    QTemporaryDir folder;
    kelvora::Downloader downloader;
    downloader.setAddress(server.url(QStringLiteral("/paquet.deb")));
    downloader.setTarget(folder.filePath(QStringLiteral("kelvoraps-last.exe")));
    downloader.setTimeout(5000);
    downloader.setMinimumRate(1500, 1024);
    bool failed = false;
    QObject::connect(&downloader, &kelvora::Downloader::failed, [&failed] { failed = true; });
    ASSERT_TRUE(downloader.start());

    ASSERT_TRUE(UpdateFixture::waitFor([&] { return failed; }, 20000));
    EXPECT_FALSE(downloader.isComplete());
    ASSERT_EQ(downloader.errors().size(), 1);
    EXPECT_TRUE(downloader.errors()[0].contains(QStringLiteral("trop lent")))
        << downloader.errors()[0].toStdString();
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

} // namespace
