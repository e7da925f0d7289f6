// The update check: asks the product's server whether a newer version exists, during a
// reading run (once a day) or from the toolbar, and records the date of the attempt.
#include "shell/text_format.h"
#include "shell/tppal.h"
#include "store/statements.h"
#include "update/downloader.h"

#include <QEventLoop>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>

namespace
{

// Thrown inside the stage's work when a check is already under way: the stage contract has
// no early exit, and the row must stay "in progress".
struct CheckUnderWay {
};

QByteArray formField(const char* name, const QString& value)
{
    return QByteArray(name) + '=' + QUrl::toPercentEncoding(value);
}

// Posts the form and waits for the whole answer. The window keeps processing events while
// waiting; the guards of the check and of the run keep a second one from starting.
// Returns false on any failure: network, TLS, time-out, HTTP error status.
bool postForm(Tppal& w)
{
    QNetworkRequest request{QUrl(w.appli_url_update)};
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "*/*");
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Mozilla/4.0 (compatible; DOVRANE)"));
    request.setMaximumRedirectsAllowed(15);
    request.setTransferTimeout(w.appli_update_timeout_ms);
    const QByteArray body = formField("logiciel", w.appli_logiciel) + '&' +
                            formField("version", w.appli_version) + '&' +
                            formField("licence", w.appli_client);

    QNetworkReply* reply = w.web1_connect->post(request, body);
    w.web1_reponse = reply;
    const auto done = qScopeGuard([&w, reply] {
        w.web1_reponse = nullptr;
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
    w.appli_web_data = reply->readAll();
    return true;
}

void askServer(Tppal& w)
{
    w.appli_update_data.clear();
    if (w.appli_maj_en_cours)
        throw CheckUnderWay{};
    w.appli_maj_en_cours = true;
    const auto under_way = qScopeGuard([&w] {
        w.appli_maj_en_cours = false;
        w.appli_web_data.clear();
    });

    w.AddDebugText(QStringLiteral("Envoi de la demande\r\n"), StyleNone, ClBlack);
    w.appli_web_data.clear();
    if (postForm(w)) {
        w.appli_update_data = QString::fromUtf8(w.appli_web_data);
        w.platform().processEvents();
        if (w.appli_update_data == QLatin1String("update")) {
            const QString address = w.appli_url_update + QStringLiteral("?l=") + w.appli_logiciel +
                                    QStringLiteral("&v=") + w.appli_version +
                                    QStringLiteral("&k=force");
            w.AddDebugText(QStringLiteral("Mise à jour disponible\r\n"), StyleBold, ClRed);
            w.AddDebugText(address + QStringLiteral("\r\n"), StyleNone, ClRed);
            w.appli_check_continue = 1;
            w.btn_update_go->setVisible(true);
            w.web1_download2->setAddress(address);
        }
    } else {
        w.AddDebugText(QStringLiteral("Le serveur est injoignable\r\n"), StyleNone, ClGreen);
        w.label_update2->setText(QStringLiteral("Le serveur est injoignable"));
        w.platform().processEvents();
        w.appli_update_data = QStringLiteral("error");
    }
    if (w.appli_update_data != QLatin1String("update") &&
        w.appli_update_data != QLatin1String("error")) {
        w.AddDebugText(QStringLiteral("Votre version est à jour\r\n"), StyleNone, ClGreen);
        w.label_update2->setText(QStringLiteral("Votre version est à jour"));
        w.platform().processEvents();
    }

    // Recorded after every attempt, so a refused or failed check waits for the next day.
    w.appli_maj_date = kelvora::dateNumber(w.platform().now().date());
    if (w.Base_donnees) {
        kelvora::store::updateDateMaj(*w.Base_donnees,
                                      QString::number(w.appli_maj_date).toStdString());
        w.platform().processEvents();
    }
}

} // namespace

void Tppal::check_majExecute()
{
    const bool unannounced = appli_check_continue2 == 0;
    try {
        runStage(
            EtatRow::MiseAJour,
            {QStringLiteral("Contrôle Mise à Jour"), QStringLiteral("Recherche d'une mise à jour"),
             QStringLiteral("Mise à Jour disponible")},
            [this] { askServer(*this); }, false);
    } catch (const CheckUnderWay&) {
        return;
    }
    if (unannounced && appli_check_continue == 1) {
        label_update2->setText(QStringLiteral("Une mise à jour est disponible"));
        tab_master->setCurrentWidget(tab_update);
    }
}

void Tppal::btn_updateClick()
{
    // A reading run checks on its own when due, and one request at a time is enough.
    if (appli_run_en_cours || appli_maj_en_cours)
        return;
    appli_run_en_cours = true;
    const auto ended = qScopeGuard([this] { appli_run_en_cours = false; });

    btn_diagnostique->setVisible(true);
    raz_etatExecute();
    platform().processEvents();
    tab_master->setCurrentWidget(tab_update);
    debug_modeExecute();
    platform().processEvents();
    check_majExecute();
    platform().processEvents();
}
