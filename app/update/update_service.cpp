#include "update/update_service.h"

#include "base/text_format.h"
#include "common/update_outcome.h"
#include "store/statements.h"
#include "update/network_module.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QTimer>
#include <QUrl>

namespace kelvora
{

namespace
{

const QString kDownloadErrorCaption = QStringLiteral("Erreur durant le téléchargement...");
const QString kLaunchErrorCaption = QStringLiteral("Erreur Lancement Mise à Jour...");

QByteArray formField(const char* name, const QString& value)
{
    return QByteArray(name) + '=' + QUrl::toPercentEncoding(value);
}

} // namespace

UpdateService::UpdateService(RunCore& core, QObject* parent)
    : QObject(parent), network_(&NetworkModule::shared()), core_(core)
{
}

UpdateService::~UpdateService() = default;

void UpdateService::setNetwork(NetworkModule& network)
{
    network_ = &network;
    web1_connect.reset();
}

// Posts the form and waits for the answer, the window processing events meanwhile; the
// guards of the check and of the run keep a second one from starting. The whole exchange,
// redirections included, has one deadline, and the answer is read up to kMaxAnswerBytes.
// Failed: network, TLS, deadline, HTTP error status. Abandoned: the application is ending.
UpdateService::Answer UpdateService::postForm()
{
    if (!web1_connect)
        web1_connect = network_->createTransport();
    if (!web1_connect) {
        core_.AddDebugText(network_->errorString() + QStringLiteral("\r\n"), StyleNone, ClRed);
        return Answer::Failed;
    }
    net::HttpRequest request;
    request.url = core_.appli_url_update;
    request.agent = QByteArrayLiteral("Mozilla/4.0 (compatible; DOVRANE)");
    request.headers = {{"Content-Type", "application/x-www-form-urlencoded"}, {"Accept", "*/*"}};
    request.maxRedirects = 15;
    const QByteArray body = formField("logiciel", core_.appli_logiciel) + '&' +
                            formField("version", core_.appli_version) + '&' +
                            formField("licence", core_.appli_client);

    std::unique_ptr<net::HttpReply> reply;
    QByteArray answer;
    bool tooLong = false;
    const auto take = [&reply, &answer, &tooLong] {
        answer += reply->read(kMaxAnswerBytes + 1 - answer.size());
        if (answer.size() > kMaxAnswerBytes && !tooLong) {
            tooLong = true;
            reply->abort();
        }
    };
    QEventLoop loop;
    reply = web1_connect->post(request, body, {{}, take, [&loop] { loop.quit(); }});
    web1_reponse = reply.get();
    const auto done = qScopeGuard([this, &reply] {
        web1_reponse = nullptr;
        reply.reset();
    });
    // A server that trickles its answer byte by byte must not hold the reading either.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &deadline, [&reply] { reply->abort(); });
    deadline.start(core_.appli_update_timeout_ms);
    if (!reply->isFinished())
        loop.exec();
    // The loop also ends when the application quits without Quitter (session end).
    if (!reply->isFinished())
        core_.appli_quitte = true;
    if (core_.appli_quitte) {
        reply->abort();
        return Answer::Abandoned;
    }
    if (tooLong) {
        // Kept for the log's sake; at this length it can never read "update".
        core_.appli_web_data = answer.left(kMaxAnswerBytes);
        return Answer::Received;
    }
    if (reply->failed())
        return Answer::Failed;
    take();
    core_.appli_web_data = answer;
    return Answer::Received;
}

StageResult UpdateService::askServer()
{
    RunCore& c = core_;
    c.appli_update_data.clear();
    // A check already under way: this one returns without ending, its row left in progress.
    if (c.appli_maj_en_cours)
        return StageResult::unfinished();
    c.appli_maj_en_cours = true;
    const auto under_way = qScopeGuard([&c] {
        c.appli_maj_en_cours = false;
        c.appli_web_data.clear();
    });

    // Only this check's "update" offers the installation.
    c.view().setTelechargementVisible(false);

    // An update found ends the stage as failed: the reading stops and the update page shows.
    StageResult result;
    c.AddDebugText(QStringLiteral("Envoi de la demande\r\n"), StyleNone, ClBlack);
    c.appli_web_data.clear();
    const Answer answer = postForm();
    // The user is leaving: nothing more is written, not even the date, so the next start asks.
    if (answer == Answer::Abandoned)
        return result;
    if (answer == Answer::Received) {
        c.appli_update_data = QString::fromUtf8(c.appli_web_data);
        c.dialogs().processEvents();
        if (c.appli_quitte)
            return result;
        if (c.appli_update_data == QLatin1String("update")) {
            const QString address = c.appli_url_update + QStringLiteral("?l=") + c.appli_logiciel +
                                    QStringLiteral("&v=") + c.appli_version +
                                    QStringLiteral("&k=force");
            c.AddDebugText(QStringLiteral("Mise à jour disponible\r\n"), StyleBold, ClRed);
            c.AddDebugText(address + QStringLiteral("\r\n"), StyleNone, ClRed);
            result.fail();
            c.view().setTelechargementVisible(true);
        }
    } else {
        c.AddDebugText(QStringLiteral("Le serveur est injoignable\r\n"), StyleNone, ClGreen);
        c.view().setMiseAJourTexte(QStringLiteral("Le serveur est injoignable"));
        c.dialogs().processEvents();
        c.appli_update_data = QStringLiteral("error");
    }
    if (c.appli_update_data != QLatin1String("update") &&
        c.appli_update_data != QLatin1String("error")) {
        c.AddDebugText(QStringLiteral("Votre version est à jour\r\n"), StyleNone, ClGreen);
        c.view().setMiseAJourTexte(QStringLiteral("Votre version est à jour"));
        c.dialogs().processEvents();
    }
    if (c.appli_quitte)
        return result;

    // Recorded after every attempt, so a refused or failed check waits for the next day. The
    // day is kept in memory even when the store cannot be written: the reading goes on, and
    // this process does not ask again.
    c.appli_maj_date = dateNumber(c.platform().now().date());
    if (c.Base_donnees) {
        try {
            store::updateDateMaj(*c.Base_donnees, QString::number(c.appli_maj_date).toStdString());
        } catch (const std::exception& e) {
            c.AddDebugText(QStringLiteral("Impossible d'enregistrer la date du contrôle : ") +
                               QString::fromUtf8(e.what()) + QStringLiteral("\r\n"),
                           StyleBold, ClRed);
        }
        c.dialogs().processEvents();
    }
    return result;
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
    core_.runStage(
        EtatRow::MiseAJour,
        {QStringLiteral("Contrôle Mise à Jour"), QStringLiteral("Recherche d'une mise à jour"),
         QStringLiteral("Mise à Jour disponible")},
        [this] { return askServer(); }, false);
    if (unannounced && core_.appli_check_continue == 1) {
        core_.view().setMiseAJourTexte(QStringLiteral("Une mise à jour est disponible"));
        core_.view().showPage(Page::MiseAJour);
    }
}

void UpdateService::btn_updateClick(const std::function<void()>& startLog)
{
    RunCore& c = core_;
    // A reading run checks on its own when due, and one request at a time is enough.
    if (c.appli_run_en_cours || c.appli_maj_en_cours)
        return;
    c.appli_run_en_cours = true;
    const auto ended = qScopeGuard([&c] { c.appli_run_en_cours = false; });

    c.view().setDiagnosticVisible(true);
    c.raz_etatExecute();
    c.dialogs().processEvents();
    c.view().showPage(Page::MiseAJour);
    startLog();
    c.dialogs().processEvents();
    check_majExecute();
    c.dialogs().processEvents();
}

// Back to "update found": the download button again, no progress widgets, the toolbar shown.
void UpdateService::restoreAfterFailure()
{
    RunView& v = core_.view();
    v.setProgression(false);
    v.setTelechargementVisible(true);
    v.setSuiviTelechargement(false, QString());
    v.setBarreTelechargement(true);
}

void UpdateService::btn_update_goClick()
{
    RunView& v = core_.view();
    v.setBarreTelechargement(false);
    v.setTelechargementVisible(false);
    v.setProgression(true, 0);
    v.setSuiviTelechargement(true, QString());
    core_.dialogs().processEvents();
    update_adminExecute();
}

void UpdateService::installProgress(int percent, const QString& step)
{
    core_.view().setSuiviTelechargement(true, step + QStringLiteral(" : ") +
                                                  QString::number(percent) + QStringLiteral(" %"));
    core_.view().setProgression(true, percent);
}

void UpdateService::showInstallFailure(const Failure& failure)
{
    QString reason = failure.reason;
    // An expired repository is Kelvora's to mend: the user is sent to the product's site.
    if (failure.error == static_cast<int>(update::InstallerExit::Expired))
        reason += QStringLiteral("\rConsultez ") + core_.appli_url_logiciel;
    // A refused or failed transfer is said as the page always said a failed download; every
    // other outcome keeps the installer's first line.
    if (update::isTransferFailure(failure.error)) {
        core_.dialogs().messageBox(reason, kDownloadErrorCaption, MessageIcon::Information);
        return;
    }
    QString text = QStringLiteral("Impossible de lancer la mise à jour ! \rVeuillez relancer la "
                                  "procédure");
    if (!reason.isEmpty())
        text += QLatin1Char('\r') + reason;
    core_.dialogs().messageBox(text, kLaunchErrorCaption, MessageIcon::Information);
}

void UpdateService::update_adminExecute()
{
    RunCore& c = core_;
    const std::optional<Failure> failed = c.platform().installUpdate(
        [this](int percent, const QString& step) { installProgress(percent, step); });
    if (!failed) {
        c.dialogs().requestQuit();
        return;
    }
    c.AddDebugText(QStringLiteral("Mise à jour non installée (code %1) : %2\r\n")
                       .arg(failed->error)
                       .arg(failed->detail.isEmpty() ? failed->reason : failed->detail),
                   StyleBold, ClRed);
    restoreAfterFailure();
    showInstallFailure(*failed);
}

void UpdateService::stopDownloader()
{
    core_.appli_quitte = true;
    // An update request under way ends too; the check then records nothing.
    if (web1_reponse)
        web1_reponse->abort();
}

} // namespace kelvora
