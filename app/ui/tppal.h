// The main window: the tool bar, one page per tab under the names support knows, and the status
// bar. It passes what the run core tells it through the view interface on to the pages, and
// each click on to the run core. It owns the run core and the update service, so closing it
// in the middle of a run stays safe.
#pragma once

#include "platform/platform.h"
#include "run/run_core.h"
#include "run/run_view.h"
#include "ui/about_page.h"
#include "ui/config_page.h"
#include "ui/debug_page.h"
#include "ui/home_page.h"
#include "ui/pdf_page.h"
#include "ui/progress_page.h"
#include "ui/update_page.h"

#include <QList>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractButton;
class QLabel;
class QTabWidget;
class QToolButton;
class QStatusBar;

namespace kelvora
{
class UpdateService;
}

class Tppal : public QMainWindow, public kelvora::RunView
{
    Q_OBJECT

public:
    Tppal(kelvora::Platform& platform, kelvora::UserDialogs& dialogs, QWidget* parent = nullptr);
    // Takes the store whose opening was started before the window (see RunCore).
    Tppal(kelvora::Platform& platform, kelvora::UserDialogs& dialogs,
          kelvora::RunCore::PendingStore pendingStore,
          QWidget* parent = nullptr);
    ~Tppal() override;

    kelvora::RunCore& core() { return *core_; }
    kelvora::UpdateService& maj() { return *maj_; }
    kelvora::Platform& platform() { return platform_; }

    // The first frame shows the tool bar and the home page only: the other pages are built
    // right after it, or as soon as something shows them. Tests and tools that reach their
    // widgets directly build them all first with this.
    void buildPages();

signals:
    // The first frame is on the screen: what it did not need can be set up now.
    void firstFrameDrawn();

public:
    // --- Start-up and navigation ---
    void FormCreate();
    void CreationficheExecute();
    void raz_tabExecute();
    void btn_vitaleClick();
    void btn_diagnostiqueClick();
    void btn_configClick();
    void btn_aboutClick();
    void btn_quitClick();

    // --- Clicks forwarded to the run core and the subsystems ---
    void action_vitale2Click();
    void btn_updateClick();
    void btn_update_goClick();
    void image_pdfClick();
    void btn_copieClick();
    void btn_exporterClick();
    void btn_imprimerClick();
    void btn_sauve_fichierClick();
    void tab_debugShow();
    void tab_configShow();
    void btn_gestion_4Click();
    void btn_gestion_4bClick();
    void lbl_link2Click();
    void lbl_link3Click();

    // --- Stage display and log, as the run core keeps them ---
    int etat(EtatRow row) const { return core_->etat(row); }
    QList<kelvora::RtfRun> debugRuns() const { return core_->debug.runs(); }

    // --- The view interface ---
    void showEtat(EtatRow row, int icon) override;
    void setSuivi(const QString& text, std::optional<quint32> color = {}) override;
    void setSuivi2(const QString& text, std::optional<quint32> color = {}) override;
    void showPage(kelvora::Page page) override;
    QString pinSaisi() const override;
    void viderPin() override;
    void setDiagnosticVisible(bool visible) override;
    void setMiseAJourTexte(const QString& text) override;
    void setTelechargementVisible(bool visible) override;
    void setProgression(bool visible, std::optional<int> percent = {}) override;
    void setSuiviTelechargement(bool visible, std::optional<QString> text = {}) override;
    void setBarreTelechargement(bool visible) override;

    // A label's text colour as a Windows colour value.
    static quint32 labelColor(const QLabel* label);

    // --- The tool bar, the pages under their tab names, and the status bar ---
    QToolButton* btn_vitale = nullptr;
    QToolButton* btn_diagnostique = nullptr;
    QToolButton* btn_config = nullptr;
    QToolButton* btn_update = nullptr;
    QToolButton* btn_about = nullptr;
    QToolButton* btn_quit = nullptr;
    QTabWidget* tab_master = nullptr;
    HomePage* tab_carte = nullptr;
    ProgressPage* tab_launch = nullptr;
    DebugPage* tab_debug = nullptr;
    UpdatePage* tab_update = nullptr;
    PdfPage* tab_pdf = nullptr;
    AboutPage* tab_about = nullptr;
    ConfigPage* tab_config = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The first frame drawn, after which the other pages are built.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFrame();
    void buildHomePage();
    void buildProgressPage();
    void buildDebugPage();
    void buildAboutPage();
    void buildUpdatePage();
    void buildPdfPage();
    void buildConfigPage();
    // Builds the page's widgets unless they are built already.
    void ensurePage(QWidget* page);
    // Shows a page of tab_master, built first.
    void showTab(QWidget* page);
    void FormCloseQuery();
    // The page just shown takes the focus a keyboard user needs there.
    void focusOnPage(QWidget* shown);
    // When a run or a check has ended: its outcome takes the focus, for screen readers.
    void announceOutcome();
    // Runs a handler; an error it does not handle ends it through the standard error box.
    void guarded(const std::function<void()>& handler);
    // A click on the button runs the handler, guarded.
    void onClick(QAbstractButton* button, void (Tppal::*handler)());

    struct LazyPage {
        QWidget* tab;
        void (Tppal::*build)();
        bool built;
    };
    std::vector<LazyPage> lazyPages_;
    bool pagesScheduled_ = false;

    kelvora::Platform& platform_;
    kelvora::UserDialogs& dialogs_;
    std::unique_ptr<kelvora::RunCore> core_;
    std::unique_ptr<kelvora::UpdateService> maj_;
};
