#include "update/update_service.h"

#include "base/text_format.h"
#include "common/update_kind.h"
#include "common/update_signature.h"
#include "store/statements.h"
#include "update/debian_package.h"
#include "update/download_progress.h"
#include "update/downloader.h"
#include "update/network_module.h"

#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <filesystem>

namespace kelvora
{

namespace
{

const QString kDownloadErrorCaption = QStringLiteral("Erreur durant le téléchargement...");
// The downloads' user agent, package and signature alike.
const QByteArray kDownloadAgent = QByteArrayLiteral("Mozilla/4.0 (compatible; Dovrane)");

QByteArray formField(const char* name, const QString& value)
{
    return QByteArray(name) + '=' + QUrl::toPercentEncoding(value);
}

} // namespace

UpdateService::UpdateService(RunCore& core, QObject* parent)
    : QObject(parent), keyring(QString::fromStdString(update::updateKeyring().string())),
      fingerprints(update::updateKeyFingerprints()), network_(&NetworkModule::shared()), core_(core)
{
    web1_download2 = new Downloader(this);
    web1_download2->setAgent(kDownloadAgent);
    connect(web1_download2, &Downloader::progress, this,
            [this](qint64 received, qint64 total, qint64 remaining) {
                core_.guarded([&] { web1_download2DataItemProceed(received, total, remaining); });
            });
    connect(web1_download2, &Downloader::failed, this,
            [this] { core_.guarded([this] { web1_download2Error(); }); });
    connect(web1_download2, &Downloader::completed, this,
            [this] { core_.guarded([this] { web1_download2ProcessCompleted(); }); });

    web1_signature = new Downloader(this);
    web1_signature->setAgent(kDownloadAgent);
    web1_signature->setMaximumBytes(qint64(update::kMaxSignatureBytes));
    connect(web1_signature, &Downloader::completed, this, [this] {
        if (signatureWait_)
            signatureWait_->quit();
    });
}

UpdateService::~UpdateService() = default;

void UpdateService::setNetwork(NetworkModule& network)
{
    network_ = &network;
    web1_connect.reset();
    web1_download2->setNetwork(network);
    web1_signature->setNetwork(network);
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

    // Only this check's "update" offers a download, never an earlier one's address.
    c.view().setTelechargementVisible(false);
    web1_download2->setAddress(QString());

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
            web1_download2->setAddress(address);
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

void UpdateService::showErrors()
{
    core_.dialogs().messageBox(web1_download2->errors().join(QLatin1Char('\r')),
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
    core_.view().setSuiviTelechargement(true, downloadProgressText(QLocale(), done, size, minutes));
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
    core_.dialogs().processEvents();
    update_adminExecute();
    core_.dialogs().processEvents();
    v.setBarreTelechargement(true);
}

void UpdateService::removeDownloadedFiles()
{
    QFile::remove(core_.appli_maj_name);
    QFile::remove(signaturePath());
}

void UpdateService::refuseUpdateFile(const QString& why)
{
    removeDownloadedFiles();
    core_.AddDebugText(why + QStringLiteral("\r\n"), StyleBold, ClRed);
    core_.dialogs().messageBox(why, QStringLiteral("Erreur Lancement Mise à Jour..."),
                               MessageIcon::Information);
}

QString UpdateService::signaturePath() const
{
    return core_.appli_maj_name + QStringLiteral(".sig");
}

std::optional<QString> UpdateService::fetchSignature()
{
    QString address = web1_download2->address();
    address.replace(QLatin1String("&k=force"), QLatin1String("&k=signature"));
    web1_signature->setAddress(address);
    web1_signature->setTarget(signaturePath());
    web1_signature->setTimeout(core_.appli_update_timeout_ms);
    if (!web1_signature->start())
        return web1_signature->errors().join(QLatin1Char(' '));
    QEventLoop loop;
    signatureWait_ = &loop;
    const auto done = qScopeGuard([this] { signatureWait_ = nullptr; });
    // The transfer runs in the background; completed() ends the wait.
    if (web1_signature->isActive())
        loop.exec();
    if (web1_signature->isActive()) // the application is ending
        web1_signature->stop();
    if (!web1_signature->isComplete())
        return web1_signature->errors().isEmpty() ? QStringLiteral("téléchargement interrompu")
                                                  : web1_signature->errors().join(QLatin1Char(' '));
    return std::nullopt;
}

std::optional<QString> UpdateService::checkSignature()
{
    // gpgv reads nothing of the account: an empty home, and only the release keyring.
    QTemporaryDir home;
    if (!home.isValid())
        return QStringLiteral("dossier temporaire impossible à créer");
    QStringList arguments;
    for (const std::string& argument :
         update::gpgvArguments(home.path().toStdString(), keyring.toStdString(),
                               signaturePath().toStdString(), core_.appli_maj_name.toStdString()))
        arguments.append(QString::fromStdString(argument));
    QProcess gpgv;
    gpgv.setProgram(QString::fromLatin1(update::kGpgv));
    gpgv.setArguments(arguments);
    gpgv.setStandardInputFile(QProcess::nullDevice());
    gpgv.start();
    if (!gpgv.waitForStarted(30000))
        return QStringLiteral("gpgv n'a pas pu être lancé (%1)").arg(gpgv.errorString());
    gpgv.waitForFinished(60000);
    const QByteArray status = gpgv.readAllStandardOutput();
    const int code = gpgv.exitStatus() == QProcess::NormalExit ? gpgv.exitCode() : -1;
    if (update::signatureAccepted(code, status.toStdString(), fingerprints))
        return std::nullopt;
    const QString said = QString::fromLocal8Bit(gpgv.readAllStandardError()).simplified();
    return QStringLiteral("gpgv a rendu le code %1%2")
        .arg(code)
        .arg(said.isEmpty() ? QString() : QStringLiteral(" : ") + said);
}

void UpdateService::update_adminExecute()
{
    RunCore& c = core_;
    // What the file is, from its own bytes, before anything runs it.
    const update::UpdateKind kind =
        update::classifyUpdateFile(std::filesystem::path(c.appli_maj_name.toStdString()));
    const update::UpdateKind wanted = c.platform().installableUpdateKind();
    if (kind == update::UpdateKind::WindowsExecutable && kind != wanted) {
        refuseUpdateFile(
            QStringLiteral("Cette mise à jour est un programme d'installation pour Windows : elle "
                           "ne peut pas être installée sur ce système.\rTéléchargez la version "
                           "pour votre système sur ") +
            c.appli_url_logiciel);
        return;
    }
    if (kind != wanted) {
        refuseUpdateFile(QStringLiteral("Le fichier téléchargé n'est pas une mise à jour de "
                                        "Kelvora : il a été supprimé."));
        return;
    }
    if (kind == update::UpdateKind::DebianPackage) {
        const QString name = debianPackageName(c.appli_maj_name);
        if (name != QLatin1String(kDebianPackage)) {
            refuseUpdateFile(QStringLiteral("Le paquet téléchargé (« %1 ») n'est pas une mise à "
                                            "jour de Kelvora : il a été supprimé.")
                                 .arg(name));
            return;
        }
    }

    // Where the update comes from is proved by the release key's signature, never by the
    // server that served it.
    std::optional<QString> unsigned_ = fetchSignature();
    if (c.appli_quitte) {
        removeDownloadedFiles();
        return;
    }
    if (!unsigned_)
        unsigned_ = checkSignature();
    if (unsigned_) {
        c.AddDebugText(QStringLiteral("Signature de la mise à jour refusée : ") + *unsigned_ +
                           QStringLiteral("\r\n"),
                       StyleNone, ClRed);
        refuseUpdateFile(QStringLiteral("La mise à jour téléchargée n'a pas de signature valide "
                                        "de Kelvora : elle n'a pas été installée et a été "
                                        "supprimée.\rTéléchargez la dernière version sur ") +
                         c.appli_url_logiciel);
        return;
    }

    const UpdateInstallResult result =
        c.platform().installUpdate(c.appli_maj_name, signaturePath());
    // The helper installs its own copy: whatever it answered, these are of no further use.
    removeDownloadedFiles();
    if (result.installed) {
        c.dialogs().requestQuit();
        return;
    }
    c.AddDebugText(QStringLiteral("Mise à jour non installée (code %1) : %2\r\n")
                       .arg(result.exitCode)
                       .arg(result.detail.isEmpty() ? result.reason : result.detail),
                   StyleBold, ClRed);
    QString text = QStringLiteral("Impossible de lancer la mise à jour ! \rVeuillez relancer la "
                                  "procédure");
    if (!result.reason.isEmpty())
        text += QLatin1Char('\r') + result.reason;
    c.dialogs().messageBox(text, QStringLiteral("Erreur Lancement Mise à Jour..."),
                           MessageIcon::Information);
}

void UpdateService::stopDownloader()
{
    core_.appli_quitte = true;
    if (web1_download2)
        web1_download2->stop();
    if (signatureWait_)
        signatureWait_->quit();
    // An update request under way ends too; the check then records nothing.
    if (web1_reponse)
        web1_reponse->abort();
}

} // namespace kelvora
