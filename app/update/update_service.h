// The update check and the installation of the newer release: the check's network objects, and
// the handlers of the update page and of the reading run's update stage.
#pragma once

#include "base/failure.h"
#include "run/run_core.h"
#include "update/http_transport.h"

#include <QObject>
#include <functional>
#include <memory>

class QEventLoop;

namespace kelvora
{

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
    // The update page's download button: the installation with administrator rights.
    void btn_update_goClick();
    // The installation's progress, from the platform: the page's bar and text.
    void installProgress(int percent, const QString& step);
    void update_adminExecute();
    // The application is ending (Quitter, closing): abandons a check in progress, and the
    // reading run stops before its next stage. An installation under way is never cut.
    void stopDownloader();
    // Where the check takes its transport: the module beside the program unless the tests name
    // another.
    void setNetwork(NetworkModule& network);

    // Made by the module on the first check.
    std::unique_ptr<net::HttpTransport> web1_connect;
    net::HttpReply* web1_reponse = nullptr;

    // The check's answer is read up to this many bytes; a longer one is not "update".
    static constexpr qsizetype kMaxAnswerBytes = 4096;

private:
    enum class Answer { Received, Failed, Abandoned };
    Answer postForm();
    StageResult askServer();
    void restoreAfterFailure();
    // The box that says why an installation did not happen.
    void showInstallFailure(const Failure& failure);

    NetworkModule* network_;

    RunCore& core_;
};

} // namespace kelvora
