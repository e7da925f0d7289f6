#include "update/update_service.h"

#include "diagnostics/system_report.h"
#include "run/text_format.h"
#include "store/statements.h"
#include "update/download_progress.h"
#include "update/downloader.h"
#include "update/no_cookie_jar.h"

#include <QEventLoop>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QUrl>

namespace kelvora
{

namespace
{

// Thrown inside the stage's work when a check is already under way: the stage contract has
// no early exit, and the row must stay "in progress".
struct CheckUnderWay {
};

const QString kDownloadErrorCaption = QStringLiteral("Erreur durant le téléchargement...");

QByteArray formField(const char* name, const QString& value)
{
    return QByteArray(name) + '=' + QUrl::toPercentEncoding(value);
}

} // namespace

UpdateService::UpdateService(RunCore& core, QObject* parent) : QObject(parent), core_(core)
{
    auto* connection = new QNetworkAccessManager(this);
    connection->setCookieJar(new NoCookieJar(connection));
    web1_connect = connection;

    web1_download2 = new Downloader(this);
    web1_download2->setAgent(QByteArrayLiteral("Mozilla/4.0 (compatible; Dovrane)"));
    const auto guarded = [this](const std::function<void()>& handler) {
        try {
            handler();
        } catch (const std::exception& e) {
            core_.platform().messageBox(QString::fromUtf8(e.what()), core_.appli_nom,
                                        MessageIcon::Error);
        }
    };
    connect(web1_download2, &Downloader::progress, this,
            [this, guarded](qint64 received, qint64 total, qint64 remaining) {
                guarded([&] { web1_download2DataItemProceed(received, total, remaining); });
            });
    connect(web1_download2, &Downloader::failed, this,
            [this, guarded] { guarded([this] { web1_download2Error(); }); });
    connect(web1_download2, &Downloader::completed, this,
            [this, guarded] { guarded([this] { web1_download2ProcessCompleted(); }); });
}

UpdateService::~UpdateService() = default;

// Posts the form and waits for the whole answer. The window keeps processing events while
// waiting; the guards of the check and of the run keep a second one from starting.
// Returns false on any failure: network, TLS, time-out, HTTP error status.
bool UpdateService::postForm()
{
    QNetworkRequest request{QUrl(core_.appli_url_update)};
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "*/*");
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Mozilla/4.0 (compatible; DOVRANE)"));
    request.setMaximumRedirectsAllowed(15);
    request.setTransferTimeout(core_.appli_update_timeout_ms);
    const QByteArray body = formField("logiciel", core_.appli_logiciel) + '&' +
                            formField("version", core_.appli_version) + '&' +
                            formField("licence", core_.appli_client);

    QNetworkReply* reply = web1_connect->post(request, body);
    web1_reponse = reply;
    const auto done = qScopeGuard([this, reply] {
        web1_reponse = nullptr;
        reply->deleteLater();
    });
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // The loop also ends when the application quits; an unfinished request then fails.
    if (!reply->isFinished())
        reply->abort();
    if (reply->error() != QNetworkReply::NoError)
        return false;
    core_.appli_web_data = reply->readAll();
    return true;
}

void UpdateService::askServer()
{
    RunCore& c = core_;
    c.appli_update_data.clear();
    if (c.appli_maj_en_cours)
        throw CheckUnderWay{};
    c.appli_maj_en_cours = true;
    const auto under_way = qScopeGuard([&c] {
        c.appli_maj_en_cours = false;
        c.appli_web_data.clear();
    });

    c.AddDebugText(QStringLiteral("Envoi de la demande\r\n"), StyleNone, ClBlack);
    c.appli_web_data.clear();
    if (postForm()) {
        c.appli_update_data = QString::fromUtf8(c.appli_web_data);
        c.platform().processEvents();
        if (c.appli_update_data == QLatin1String("update")) {
            const QString address = c.appli_url_update + QStringLiteral("?l=") + c.appli_logiciel +
                                    QStringLiteral("&v=") + c.appli_version +
                                    QStringLiteral("&k=force");
            c.AddDebugText(QStringLiteral("Mise à jour disponible\r\n"), StyleBold, ClRed);
            c.AddDebugText(address + QStringLiteral("\r\n"), StyleNone, ClRed);
            c.appli_check_continue = 1;
            c.view().setTelechargementVisible(true);
            web1_download2->setAddress(address);
        }
    } else {
        c.AddDebugText(QStringLiteral("Le serveur est injoignable\r\n"), StyleNone, ClGreen);
        c.view().setMiseAJourTexte(QStringLiteral("Le serveur est injoignable"));
        c.platform().processEvents();
        c.appli_update_data = QStringLiteral("error");
    }
    if (c.appli_update_data != QLatin1String("update") &&
        c.appli_update_data != QLatin1String("error")) {
        c.AddDebugText(QStringLiteral("Votre version est à jour\r\n"), StyleNone, ClGreen);
        c.view().setMiseAJourTexte(QStringLiteral("Votre version est à jour"));
        c.platform().processEvents();
    }

    // Recorded after every attempt, so a refused or failed check waits for the next day.
    c.appli_maj_date = dateNumber(c.platform().now().date());
    if (c.Base_donnees) {
        store::updateDateMaj(*c.Base_donnees, QString::number(c.appli_maj_date).toStdString());
        c.platform().processEvents();
    }
}

void UpdateService::maj_quotidienneExecute()
{
    RunCore& c = core_;
    c.AddDebugText(QStringLiteral("\r\nPréparation Mise à Jour\r\n"), StyleBold | StyleUnderline,
                   ClBlack);
    const qint32 today = dateNumber(c.platform().now().date());
    c.appli_maj_date_test = QString::number(c.appli_maj_date);
    c.appli_maj_date_format = formatMajDate(c.appli_maj_date);
    if (c.appli_maj_date < today) {
        c.AddDebugText(QStringLiteral("Dernier contrôle dépassé (") + c.appli_maj_date_format +
                           QStringLiteral(")\r\n"),
                       StyleNone, ClBlack);
        check_majExecute();
    } else {
        c.AddDebugText(QStringLiteral("Dernier contrôle ce jour (") + c.appli_maj_date_format +
                           QStringLiteral(")\r\n"),
                       StyleNone, ClBlack);
        c.setEtat(EtatRow::MiseAJour, EtatNonTeste);
    }
}

void UpdateService::check_majExecute()
{
    const bool unannounced = core_.appli_check_continue2 == 0;
    try {
        core_.runStage(
            EtatRow::MiseAJour,
            {QStringLiteral("Contrôle Mise à Jour"), QStringLiteral("Recherche d'une mise à jour"),
             QStringLiteral("Mise à Jour disponible")},
            [this] { askServer(); }, false);
    } catch (const CheckUnderWay&) {
        return;
    }
    if (unannounced && core_.appli_check_continue == 1) {
        core_.view().setMiseAJourTexte(QStringLiteral("Une mise à jour est disponible"));
        core_.view().showPage(Page::MiseAJour);
    }
}

void UpdateService::btn_updateClick()
{
    RunCore& c = core_;
    // A reading run checks on its own when due, and one request at a time is enough.
    if (c.appli_run_en_cours || c.appli_maj_en_cours)
        return;
    c.appli_run_en_cours = true;
    const auto ended = qScopeGuard([&c] { c.appli_run_en_cours = false; });

    c.view().setDiagnosticVisible(true);
    c.raz_etatExecute();
    c.platform().processEvents();
    c.view().showPage(Page::MiseAJour);
    diagnostics::debug_modeExecute(c);
    c.platform().processEvents();
    check_majExecute();
    c.platform().processEvents();
}

void UpdateService::showErrors()
{
    core_.platform().messageBox(web1_download2->errors().join(QLatin1Char('\r')),
                                kDownloadErrorCaption, MessageIcon::Information);
}

// Back to "update found": the download button again, no progress widgets.
void UpdateService::restoreAfterFailure()
{
    core_.view().setProgression(false);
    core_.view().setTelechargementVisible(true);
    core_.view().setSuiviTelechargement(false, QString());
}

void UpdateService::btn_update_goClick()
{
    RunView& v = core_.view();
    v.setBarreTelechargement(false);
    v.setTelechargementVisible(false);
    v.setProgression(true, 0);
    web1_download2->setTarget(core_.appli_maj_name);
    web1_download2->setTimeout(core_.appli_update_timeout_ms);
    const bool started = web1_download2->start();
    v.setSuiviTelechargement(true, QString());
    if (!started) {
        showErrors();
        restoreAfterFailure();
        v.setBarreTelechargement(true);
    }
}

void UpdateService::web1_download2DataItemProceed(qint64 received, qint64 total,
                                                  qint64 remainingSeconds)
{
    const double done = double(received) / 1024;
    const double size = double(total) / 1024;
    const double minutes = double(remainingSeconds) / 60;
    // The user's own separators, as everywhere the user reads numbers on this page.
    core_.view().setSuiviTelechargement(true,
                                        downloadProgressText(QLocale(), done, size, minutes));
    if (const auto percent = downloadPercent(done, size))
        core_.view().setProgression(true, *percent);
}

void UpdateService::web1_download2Error()
{
    showErrors();
    restoreAfterFailure();
    core_.view().setBarreTelechargement(true);
}

void UpdateService::web1_download2ProcessCompleted()
{
    // After a failed transfer the error event has already restored the page; whatever file
    // may be there is not what was asked for, so nothing is launched.
    if (!web1_download2->isComplete())
        return;
    RunView& v = core_.view();
    v.setTelechargementVisible(false);
    v.setProgression(false);
    v.setSuiviTelechargement(false);
    core_.platform().processEvents();
    update_adminExecute();
    core_.platform().processEvents();
    v.setBarreTelechargement(true);
}

void UpdateService::update_adminExecute()
{
    if (core_.platform().startElevated(core_.appli_maj_name)) {
        core_.platform().requestQuit();
        return;
    }
    core_.platform().messageBox(
        QStringLiteral("Impossible de lancer la mise à jour ! \rVeuillez relancer la procédure"),
        QStringLiteral("Erreur Lancement Mise à Jour..."), MessageIcon::Information);
}

void UpdateService::stopDownloader()
{
    if (web1_download2)
        web1_download2->stop();
    // An update request under way ends too; the check then reports the server unreachable.
    if (web1_reponse)
        web1_reponse->abort();
}

} // namespace kelvora
