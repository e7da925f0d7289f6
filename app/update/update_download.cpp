// The installer's download from the update page and the hand-off to it.
#include "shell/tppal.h"
#include "update/download_progress.h"
#include "update/downloader.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QNetworkReply>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace
{

const QString kDownloadErrorCaption = QStringLiteral("Erreur durant le téléchargement...");

// The toolbar buttons a download hides; " Gestion" stays.
void showDownloadToolbar(Tppal& w, bool visible)
{
    for (QToolButton* b : {w.btn_vitale, w.btn_diagnostique, w.btn_about, w.btn_update, w.btn_quit})
        b->setVisible(visible);
}

// Back to "update found": the download button again, no progress widgets.
void restoreAfterFailure(Tppal& w)
{
    w.clProgressBarDC1->setVisible(false);
    w.btn_update_go->setVisible(true);
    w.txt_suivi_download->setVisible(false);
    w.txt_suivi_download->clear();
}

void showErrors(Tppal& w)
{
    w.platform().messageBox(w.web1_download2->errors().join(QLatin1Char('\r')),
                            kDownloadErrorCaption, kelvora::MessageIcon::Information);
}

} // namespace

void Tppal::btn_update_goClick()
{
    showDownloadToolbar(*this, false);
    btn_update_go->setVisible(false);
    clProgressBarDC1->setValue(0);
    clProgressBarDC1->setVisible(true);
    web1_download2->setTarget(appli_maj_name);
    web1_download2->setTimeout(appli_update_timeout_ms);
    const bool started = web1_download2->start();
    txt_suivi_download->clear();
    txt_suivi_download->setVisible(true);
    if (!started) {
        showErrors(*this);
        restoreAfterFailure(*this);
        showDownloadToolbar(*this, true);
    }
}

void Tppal::web1_download2DataItemProceed(qint64 received, qint64 total, qint64 remainingSeconds)
{
    const double done = double(received) / 1024;
    const double size = double(total) / 1024;
    const double minutes = double(remainingSeconds) / 60;
    // The user's own separators, as everywhere the user reads numbers on this page.
    txt_suivi_download->setText(kelvora::downloadProgressText(QLocale(), done, size, minutes));
    if (const auto percent = kelvora::downloadPercent(done, size))
        clProgressBarDC1->setValue(*percent);
}

void Tppal::web1_download2Error()
{
    showErrors(*this);
    restoreAfterFailure(*this);
    showDownloadToolbar(*this, true);
    btn_config->setVisible(true);
}

void Tppal::web1_download2ProcessCompleted()
{
    // After a failed transfer the error event has already restored the page; whatever file
    // may be there is not what was asked for, so nothing is launched.
    if (!web1_download2->isComplete())
        return;
    btn_update_go->setVisible(false);
    clProgressBarDC1->setVisible(false);
    txt_suivi_download->setVisible(false);
    platform().processEvents();
    update_adminExecute();
    platform().processEvents();
    showDownloadToolbar(*this, true);
    btn_config->setVisible(true);
}

void Tppal::update_adminExecute()
{
    if (platform().startElevated(appli_maj_name)) {
        platform().requestQuit();
        return;
    }
    platform().messageBox(
        QStringLiteral("Impossible de lancer la mise à jour ! \rVeuillez relancer la procédure"),
        QStringLiteral("Erreur Lancement Mise à Jour..."), kelvora::MessageIcon::Information);
}

void Tppal::stopDownloader()
{
    if (web1_download2)
        web1_download2->stop();
    // An update request under way ends too; the check then reports the server unreachable.
    if (web1_reponse)
        web1_reponse->abort();
}
