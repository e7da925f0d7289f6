// The run core: the application state with what every stage works through (the log, the
// screen, the dialogs, the platform, the store and the card library), and the contract stages keep.
// The window, kelvora-admin and the tests each build one; nothing here needs a window.
#pragma once

#include "binding/apilec_library.h"
#include "platform/platform.h"
#include "run/app_state.h"
#include "run/diagnostic_log.h"
#include "run/run_view.h"
#include "run/stage_result.h"
#include "run/user_dialogs.h"

#include <functional>
#include <future>
#include <memory>

namespace kelvora
{

namespace store
{
class Connection;
}

class RunCore : public AppState
{
public:
    RunCore(Platform& platform, UserDialogs& dialogs, RunView& view);
    ~RunCore();
    RunCore(const RunCore&) = delete;
    RunCore& operator=(const RunCore&) = delete;

    // The store being opened on another thread: its key derivation is slow on purpose, so the
    // window starts it first and is built meanwhile. CreationficheExecute takes the result at
    // the place where it would have opened the store itself.
    using PendingStore = std::future<std::unique_ptr<store::Connection>>;
    // With `go`, the opening starts once `go` says true, or after a second without an answer
    // (a window no screen draws yet); false skips it (the program ends first).
    static PendingStore openStoreInBackground(Platform& platform, std::future<bool> go = {});
    void setPendingStore(PendingStore pending) { pendingStore_ = std::move(pending); }
    bool storePending() const { return pendingStore_.valid(); }
    // False while a store opened in the background has no result yet.
    bool storeSettled() const;
    // Takes the store opened in the background, waiting for it when it is not there yet,
    // through CreationficheExecute (same boxes, same end). False when it turned out unusable.
    bool awaitStore();

    Platform& platform() { return platform_; }
    UserDialogs& dialogs() { return dialogs_; }
    RunView& view() { return view_; }

    DiagnosticLog debug;
    std::unique_ptr<store::Connection> Base_donnees;
    // The open store for a stage's work; a closed one throws store::OpenError, so that the
    // stage fails as on any other failure of the store.
    store::Connection& store();
    // The card-reader library, loaded once at start-up from the executable's folder.
    reader::ApiLecLibrary appli_apilec;

    // Identity, paths, the stage display reset, the card library and the store; the store's
    // failures are told in a box and end the application (appli_fin_demandee). A store opened
    // in the background is taken later, by awaitStore.
    void FormCreate();
    void CreationficheExecute();
    void chargement_apilec();

    void AddDebugText(const QString& AText, int AStyle, quint32 AColor)
    {
        debug.AddDebugText(AText, AStyle, AColor);
    }

    // --- Stage display ---
    void setEtat(EtatRow row, int icon);
    int etat(EtatRow row) const { return appli_etats[std::size_t(row)]; }
    void raz_etatExecute();

    struct StageTexts {
        QString title;    // sub-heading in the log
        QString activity; // follow-up label while the stage works
        QString failure;  // follow-up label when the stage is the first to fail
    };
    // The contract every stage keeps; `work` runs only while no earlier stage failed, and what
    // it returns is recorded here and nowhere else. A store that fails under it fails it too.
    void runStage(EtatRow row, const StageTexts& texts, const std::function<StageResult()>& work,
                  bool letRepaint = true);

    // Runs a handler; an error it does not handle ends it through the standard error box.
    // A handler that comes before the store's background opening has ended waits for it first,
    // then runs as it would after a start-up that opened the store itself.
    void guarded(const std::function<void()>& handler);

    // attestation.pdf in the common data folder.
    QString attestationPath() const;

private:
    Platform& platform_;
    UserDialogs& dialogs_;
    RunView& view_;
    PendingStore pendingStore_;
};

} // namespace kelvora
