// The update page's installation: the bar and its text follow the helper's progress, the
// program closes once the newer release is installed, and every other outcome is said in
// French with the page back as it was.
#include "common/update_outcome.h"
#include "platform/linux_platform.h"
#include "update_fixture.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

using namespace kelvora::testing;
using kelvora::update::InstallerExit;

namespace
{

const QString kDownloadCaption = QStringLiteral("Erreur durant le téléchargement...");
const QString kLaunchCaption = QStringLiteral("Erreur Lancement Mise à Jour...");
const QString kLaunchFirstLine =
    QStringLiteral("Impossible de lancer la mise à jour ! \rVeuillez relancer la procédure");

class UpdateInstall : public UpdateFixture
{
protected:
    LoopbackServer server;
    QTemporaryDir bin;

    // The check answers "update": the download button shows.
    void findUpdate()
    {
        server.respond = [](const HttpRequest&, QTcpSocket* socket) {
            LoopbackServer::answer(socket, 200, "update");
        };
        createStore("20261208");
        startOn(server);
        window->btn_updateClick();
        ASSERT_TRUE(window->tab_update->btn_update_go->isVisibleTo(window.get()));
    }

    // The installation runs through the real platform code over a stand-in pkexec that writes
    // `body` (progress lines, words) and ends with `code`.
    void standInPkexec(const QByteArray& body, int code)
    {
        const QString script = bin.filePath(QStringLiteral("pkexec"));
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + body + "\nexit " + QByteArray::number(code) + "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        platform.installer = [script](const kelvora::UpdateProgressHandler& progress) {
            kelvora::LinuxPlatform real;
            real.setElevationTool(script);
            return real.installUpdate(progress);
        };
    }

    QList<QToolButton*> hiddenDuringInstallation() const
    {
        return {window->btn_vitale, window->btn_diagnostique, window->btn_about, window->btn_update,
                window->btn_quit};
    }
};

TEST_F(UpdateInstall, TheBarFollowsTheHelperAndTheProgramClosesOnceInstalled)
{
    findUpdate();
    // What the page shows at each step the platform reports.
    QList<std::tuple<int, QString, bool>> seen;
    platform.installer = [this, &seen](const kelvora::UpdateProgressHandler& progress) {
        for (const auto& [percent, step] :
             {std::pair{0, QStringLiteral("Recherche de la mise à jour")},
              {25, QStringLiteral("Téléchargement de la mise à jour")},
              {80, QStringLiteral("Installation de la mise à jour")}}) {
            progress(percent, step);
            bool toolbarHidden = window->btn_config->isVisibleTo(window.get());
            for (QToolButton* b : hiddenDuringInstallation())
                toolbarHidden = toolbarHidden && !b->isVisibleTo(window.get());
            EXPECT_TRUE(window->tab_update->clProgressBarDC1->isVisibleTo(window.get()));
            EXPECT_FALSE(window->tab_update->btn_update_go->isVisibleTo(window.get()));
            seen.append({window->tab_update->clProgressBarDC1->value(), window->tab_update->txt_suivi_download->text(),
                         toolbarHidden});
        }
        return std::optional<kelvora::Failure>();
    };

    window->btn_update_goClick();

    EXPECT_EQ(seen, (QList<std::tuple<int, QString, bool>>{
                        {0, QStringLiteral("Recherche de la mise à jour : 0 %"), true},
                        {25, QStringLiteral("Téléchargement de la mise à jour : 25 %"), true},
                        {80, QStringLiteral("Installation de la mise à jour : 80 %"), true}}));
    EXPECT_EQ(platform.quitRequests, 1);
    EXPECT_TRUE(platform.messages.isEmpty());
}

// Each outcome of the helper (and of pkexec) as the user reads it, through the real platform
// code and its protocol: the stand-in pkexec writes progress lines, then answers.
TEST_F(UpdateInstall, EveryOutcomeIsSaidInFrenchAndThePageComesBack)
{
    struct Case {
        const char* name;
        int code;
        QByteArray said; // on the stand-in's error output
        QString caption;
        QStringList words; // in the box's text, in order
    };
    const QString site = QStringLiteral("https://www.kelvora.fr/");
    const Case cases[] = {
        {"metadata expired",
         int(InstallerExit::Expired),
         "E: Release file for http://127.0.0.1/dists/stable/InRelease is expired",
         kDownloadCaption,
         {QStringLiteral("Les informations de mise à jour publiées par Kelvora ont expiré…"),
          QStringLiteral("Consultez ") + site}},
        {"signature refused",
         int(InstallerExit::BadSignature),
         "",
         kDownloadCaption,
         {QStringLiteral("pas de signature valide de Kelvora")}},
        {"hash mismatch",
         int(InstallerExit::BadHash),
         "",
         kDownloadCaption,
         {QStringLiteral("ne correspond pas à ce que Kelvora a signé")}},
        {"no newer version",
         int(InstallerExit::UpToDate),
         "",
         kLaunchCaption,
         {kLaunchFirstLine, QStringLiteral("pas de version plus récente")}},
        {"dpkg interrupted",
         int(InstallerExit::Interrupted),
         "",
         kLaunchCaption,
         {kLaunchFirstLine, QStringLiteral("« dpkg --configure -a »")}},
        {"another installation",
         int(InstallerExit::Locked),
         "",
         kLaunchCaption,
         {kLaunchFirstLine, QStringLiteral("Une autre installation de logiciels est en cours")}},
        {"no space",
         int(InstallerExit::NoSpace),
         "",
         kLaunchCaption,
         {kLaunchFirstLine, QStringLiteral("plus assez de place")}},
        {"prompt dismissed",
         126,
         "Error executing command as another user: Request dismissed",
         kLaunchCaption,
         {kLaunchFirstLine, QStringLiteral("le mot de passe administrateur n'a")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        findUpdate();
        standInPkexec("echo 'progression:0:Recherche de la mise à jour'\n"
                      "echo 'progression:30:Téléchargement de la mise à jour'\n"
                      "echo '" +
                          c.said + "' >&2",
                      c.code);
        int lastPercent = -1;
        const auto forward = platform.installer;
        platform.installer = [&](const kelvora::UpdateProgressHandler& progress) {
            return forward([&](int percent, const QString& step) {
                progress(percent, step);
                lastPercent = window->tab_update->clProgressBarDC1->value();
            });
        };

        window->btn_update_goClick();

        EXPECT_EQ(lastPercent, 30);
        EXPECT_EQ(platform.quitRequests, 0);
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0].caption, c.caption);
        qsizetype at = 0;
        for (const QString& word : c.words) {
            at = platform.messages[0].text.indexOf(word, at);
            EXPECT_GE(at, 0) << word.toStdString() << " in "
                             << platform.messages[0].text.toStdString();
        }
        // Back to "update found", the toolbar shown, the cause in the log.
        EXPECT_TRUE(window->tab_update->btn_update_go->isVisibleTo(window.get()));
        EXPECT_FALSE(window->tab_update->clProgressBarDC1->isVisibleTo(window.get()));
        EXPECT_FALSE(window->tab_update->txt_suivi_download->isVisibleTo(window.get()));
        for (QToolButton* b : hiddenDuringInstallation())
            EXPECT_TRUE(b->isVisibleTo(window.get())) << b->objectName().toStdString();
        EXPECT_FALSE(
            runsOf(QStringLiteral("Mise à jour non installée (code %1)").arg(c.code)).isEmpty());
        platform.messages.clear();
        window.reset();
        QFile::remove(storePath());
    }
}

} // namespace
