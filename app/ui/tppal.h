// The main window: builds the pages and their widgets under the names support knows, shows
// what the run core tells it through the view interface, and forwards each click. It owns
// the run core and the update service, so closing it in the middle of a run stays safe.
#pragma once

#include "platform/platform.h"
#include "run/run_core.h"
#include "run/run_view.h"

#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QStatusBar;

namespace kelvora
{
class UpdateService;
namespace ui
{
class SpokenStatus;
}
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
    kelvora::Platform& platform() { return m_platform; }

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

    void setLabelColor(QLabel* label, quint32 color);
    static quint32 labelColor(const QLabel* label);
    // The window's font at a pixel height, for the titles and labels of the pages.
    QFont pixelFont(int pixels, bool bold = false, bool italic = false) const;

    // --- Widgets the handlers and the tests reach ---
    QToolButton* btn_vitale = nullptr;
    QToolButton* btn_diagnostique = nullptr;
    QToolButton* btn_config = nullptr;
    QToolButton* btn_update = nullptr;
    QToolButton* btn_about = nullptr;
    QToolButton* btn_quit = nullptr;
    QTabWidget* tab_master = nullptr;
    QWidget* tab_carte = nullptr;
    QWidget* tab_launch = nullptr;
    QWidget* tab_debug = nullptr;
    QWidget* tab_update = nullptr;
    QWidget* tab_pdf = nullptr;
    QWidget* tab_about = nullptr;
    QWidget* tab_config = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel = nullptr;

    QToolButton* action_vitale2 = nullptr;
    QLabel* label_pin = nullptr;
    QLineEdit* pin_cps = nullptr;

    QLabel* label_suivi = nullptr;
    QLabel* label_suivi2 = nullptr;
    // Both follow-up labels; takes the focus when a run ends, so their message is read aloud.
    kelvora::ui::SpokenStatus* cadre_suivi = nullptr;
    std::array<QLabel*, kEtatRowCount> image_etat_rows{};
    std::array<QLabel*, kEtatRowCount> label_etat_rows{};
    // The five state icons, drawn once: an icon made anew for every change would add its
    // drawing to Qt's pixmap cache at every reading.
    std::array<QPixmap, 5> etat_pixmaps;

    QTextEdit* debug_texte = nullptr;
    QPushButton* btn_sauve_fichier = nullptr;
    QTextEdit* about_texte = nullptr;
    QLabel* lbl_about1 = nullptr;
    QLabel* lbl_about2 = nullptr;
    QPushButton* lbl_link2 = nullptr;
    QPushButton* lbl_link3 = nullptr;

    QLabel* label_update1 = nullptr;
    QLabel* label_update2 = nullptr;
    // Holds label_update2; takes the focus when a check ends, so its text is read aloud.
    kelvora::ui::SpokenStatus* cadre_update = nullptr;
    QPushButton* btn_update_go = nullptr;
    QProgressBar* clProgressBarDC1 = nullptr;
    QLineEdit* txt_suivi_download = nullptr;
    QLabel* label_update_notice = nullptr;

    QLabel* Label_pdf1 = nullptr;
    QLabel* Label_pdf2 = nullptr;
    QToolButton* image_pdf = nullptr;
    // Whose certificate the page offers, so a page left open is not taken for another patient's.
    QLabel* label_pdf_titulaire = nullptr;
    QPushButton* btn_copie = nullptr;
    QPushButton* btn_exporter = nullptr;
    QPushButton* btn_imprimer = nullptr;

    QTabWidget* PageControl_config = nullptr;
    QWidget* tab_config_2 = nullptr;
    QWidget* tab_config_3 = nullptr;
    QLineEdit* Edit_gestion_1 = nullptr;
    QLineEdit* edit_gestion_2 = nullptr;
    QPlainTextEdit* memo_gestion_3 = nullptr;
    QPushButton* btn_gestion_4 = nullptr;
    QLineEdit* edit_gestion_1b = nullptr;
    QLineEdit* edit_gestion_2b = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* btn_gestion_4b = nullptr;
    // The readers the library reports as connected when the page opens; picking one fills the
    // sub-page's field.
    QComboBox* combo_branches = nullptr;
    QComboBox* combo_branches_b = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Enter on the icons, Enter and Escape on the progress page after a run; the first frame
    // drawn, after which the other pages are built.
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
    void appendRich(QTextEdit* pane, const QString& text, int style, quint32 color);
    // Runs a handler; an error it does not handle ends it through the standard error box.
    void guarded(const std::function<void()>& handler);

    struct LazyPage {
        QWidget* tab;
        void (Tppal::*build)();
        bool built;
    };
    std::vector<LazyPage> lazyPages_;
    bool pagesScheduled_ = false;

    // What the run core shows on pages not built yet; each page starts from it when built.
    struct SuiviState {
        QString text;
        std::optional<quint32> color;
    };
    std::array<SuiviState, 2> suivi_;
    struct UpdatePageState {
        QString texte = QStringLiteral("Contrôle en cours...");
        bool telechargement = false;
        bool progression = false;
        int percent = 0;
        bool suiviVisible = false;
        QString suivi;
    };
    UpdatePageState update_;
    QList<kelvora::RtfRun> aboutRuns_;

    kelvora::Platform& m_platform;
    kelvora::UserDialogs& m_dialogs;
    std::unique_ptr<kelvora::RunCore> core_;
    std::unique_ptr<kelvora::UpdateService> maj_;
};
