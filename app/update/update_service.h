// The update check and the installer's download: the network objects they share, and the
// handlers of the update page and of the reading run's update stage.
#pragma once

#include "run/run_core.h"
#include "update/http_transport.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;

namespace kelvora
{

class Downloader;
class NetworkModule;

class UpdateService : public QObject
{
public:
    explicit UpdateService(RunCore& core, QObject* parent = nullptr);
    ~UpdateService() override;

    // The reading run's update stage: asks the server when the last check is older than today.
    void maj_quotidienneExecute();
    void check_majExecute();
    // The toolbar's " Mise à Jour". `startLog` begins the diagnostic log anew once the check is
    // sure to run; whoever starts the check owns the log.
    void btn_updateClick(const std::function<void()>& startLog);
    // The update page's download button.
    void btn_update_goClick();
    // Downloader events: progress per block, failure, end of every transfer.
    void web1_download2DataItemProceed(qint64 received, qint64 total, qint64 remainingSeconds);
    void web1_download2Error();
    void web1_download2ProcessCompleted();
    void update_adminExecute();
    // The application is ending (Quitter, closing): abandons a download or a check in
    // progress, and the reading run stops before its next stage.
    void stopDownloader();
    // Where the check and the downloads take their transport: the module beside the program
    // unless the tests name another.
    void setNetwork(NetworkModule& network);

    // Made by the module on the first check.
    std::unique_ptr<net::HttpTransport> web1_connect;
    net::HttpReply* web1_reponse = nullptr;
    Downloader* web1_download2 = nullptr;
    // The detached signature fetched once the package is complete.
    Downloader* web1_signature = nullptr;

    // The release keys that must have signed an update: compiled in, never read from the
    // environment; the tests put a throw-away key of theirs here.
    QString keyring;
    std::vector<std::string> fingerprints;

    // The check's answer is read up to this many bytes; a longer one is not "update".
    static constexpr qsizetype kMaxAnswerBytes = 4096;

private:
    enum class Answer { Received, Failed, Abandoned };
    Answer postForm();
    StageResult askServer();
    void showErrors();
    void restoreAfterFailure();
    // Deletes a downloaded file that will not be installed and tells the user why.
    void refuseUpdateFile(const QString& why);
    // The signature's path beside the package, and its address beside the package's.
    QString signaturePath() const;
    // Downloads the signature, waiting with the window repainting; the reason when it failed.
    std::optional<QString> fetchSignature();
    // gpgv's verdict on the package and its signature; the reason when it is not accepted.
    std::optional<QString> checkSignature();
    void removeDownloadedFiles();

    QEventLoop* signatureWait_ = nullptr;
    NetworkModule* network_;

    RunCore& core_;
};

} // namespace kelvora
