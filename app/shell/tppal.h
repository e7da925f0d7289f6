// The main window. Its member functions live in the folder of the subsystem they belong
// to (reader stages in reader/, the certificate in attestation/, ...); this header is the
// one place that lists the application state they share.
#pragma once

#include "carddata/vitale_record.h"
#include "diagnostics/rtf_writer.h"
#include "platform/platform.h"
#include "reader/apilec_library.h"
#include "reader/ini_file.h"

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QStatusBar;
class QNetworkAccessManager;
class QNetworkReply;

namespace kelvora::store
{
class Connection;
}
namespace kelvora
{
class Downloader;
}

// Rows of the stage display, in the order of the progress page.
enum class EtatRow { Fichiers = 0, MiseAJour, Lecteur, Cartes, Informations, Pdf };

// Icons of the stage display (indexes of the image list).
enum EtatIcon { EtatAttente = 0, EtatEnCours = 1, EtatValide = 2, EtatEchec = 3, EtatNonTeste = 4 };

// Windows colour values (00BBGGRR) used by the log and the labels.
enum : quint32 {
    ClBlack = 0,
    ClRed = 255,
    ClGreen = 32768,
    ClBlue = 16711680,
    ClMaroon = 128,
};

// Font-style bits of a piece of log text.
enum : int { StyleNone = 0, StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrike = 8 };

class Tppal : public QMainWindow
{
    Q_OBJECT

public:
    explicit Tppal(kelvora::Platform& platform, QWidget* parent = nullptr);
    ~Tppal() override;

    // --- Application identity and paths (set once at start-up) ---
    QString appli_nom;
    QString appli_logiciel;
    QString appli_societe;
    QString appli_version;
    QString appli_dossier_commun;
    QString appli_dossier_apilec;
    QByteArray appli_dossier_apilec_force;
    QString appli_ini_file;
    QString appli_reader_lec;
    QString appli_url_update;
    QString appli_url_logiciel;
    QString appli_apilec_version;
    QString appli_maj_name;
    qint32 appli_maj_date = 0;
    QString appli_client;

    // --- Run state ---
    qint32 appli_check_continue = 0;
    qint32 appli_check_continue2 = 0;
    QString appli_maj_date_test;
    QString appli_maj_date_format;
    // A click on the card icon while a run is under way is ignored.
    bool appli_run_en_cours = false;
    // Set when start-up asked the application to end (store unusable).
    bool appli_fin_demandee = false;

    // --- Installed-files check work fields ---
    QString appli_check_val1;
    QString appli_check_val2;
    QString appli_check_val3;
    qint32 appli_file_size = 0;

    // --- Start-up and navigation ---
    void FormCreate();
    void CreationficheExecute();
    void raz_tabExecute();
    void raz_etatExecute();
    void btn_vitaleClick();
    void btn_diagnostiqueClick();
    void btn_configClick();
    void btn_aboutClick();
    void btn_quitClick();

    // --- The reading run and its stages ---
    void action_vitale2Click();
    void check_fichiersExecute();
    void check_majExecute();
    void check_ListelecteursExecute();
    void check_initlecteursExecute();
    void check_lecteurCPSExecute();
    void check_lecteurExecute();
    void check_CPSExecute();
    void controle_CPSExecute();
    void check_vitaleExecute();
    void check_donneesExecute();
    void check_pdfExecute();

    // --- Stage display ---
    void setEtat(EtatRow row, int icon);
    int etat(EtatRow row) const;
    struct StageTexts {
        QString title;    // sub-heading in the log
        QString activity; // follow-up label while the stage works
        QString failure;  // follow-up label when the stage is the first to fail
    };
    // The contract every stage keeps; `work` runs only while no earlier stage failed and
    // sets appli_check_continue to 1 when it fails.
    void runStage(EtatRow row, const StageTexts& texts, const std::function<void()>& work,
                  bool letRepaint = true);
    void setLabelColor(QLabel* label, quint32 color);
    // The window's font at a pixel height, for the titles and labels of the pages.
    QFont pixelFont(int pixels, bool bold = false, bool italic = false) const;
    static quint32 labelColor(const QLabel* label);

    // --- Diagnostics ---
    void AddDebugText(const QString& AText, int AStyle, quint32 AColor);
    void AddAboutText(const QString& AText, int AStyle, quint32 AColor);
    void debug_modeExecute();
    void About_boxExecute();
    void btn_sauve_fichierClick();
    void tab_debugShow();
    void lbl_link2Click();
    void lbl_link3Click();
    QList<kelvora::RtfRun> debugRuns() const;
    QString appli_save_name = QStringLiteral("diag-Kelvora.rtf");

    // --- Update (check and download) ---
    void btn_updateClick();
    void btn_update_goClick();
    // Abandons a download in progress (quitting, closing).
    void stopDownloader();
    // Downloader events: progress per block, failure, end of every transfer.
    void web1_download2DataItemProceed(qint64 received, qint64 total, qint64 remainingSeconds);
    void web1_download2Error();
    void web1_download2ProcessCompleted();
    void update_adminExecute();
    QString appli_update_data;
    QByteArray appli_web_data;
    // Without any answer for that long, the server counts as unreachable (tests shorten it).
    int appli_update_timeout_ms = 20000;
    // Set while the update request is under way; a second check returns at once.
    bool appli_maj_en_cours = false;
    QNetworkAccessManager* web1_connect = nullptr;
    QNetworkReply* web1_reponse = nullptr;
    kelvora::Downloader* web1_download2 = nullptr;
    QProgressBar* clProgressBarDC1 = nullptr;
    QLineEdit* txt_suivi_download = nullptr;
    QLabel* label_update_notice = nullptr;

    // --- Card data: the patient card's document and the Vitale record ---
    // The record of the last successful reading (carte_numserie, appli_xml_cnt2,
    // appli_xml_ext); the certificate prints it.
    kelvora::VitaleRecord appli_vitale;
    // The label of `code` in table `table` of the library's dictionary, with a log line that
    // gives the call's result and detail code; whatever the library left, also on failure.
    QString dictionnaire_lec(qint16 table, const QString& code);
    // Releases both cards and closes both sessions: the end of every run that reaches the
    // card data stage, whatever happened before.
    void liberation_cartes();

    // --- Certificate ---
    // attestation.pdf in the common data folder.
    QString attestationPath() const;
    void creation_pdfExecute();
    void image_pdfClick();

    // --- Reader configuration ---
    void tab_configShow();

    // --- Card reader: library, reader stages, reader configuration pages ---
    // The card-reader library, loaded once at start-up from the executable's folder.
    kelvora::reader::ApiLecLibrary appli_apilec;
    void chargement_apilec();
    // False, after a bold red log line naming what is missing and a failed stage, when the
    // library or `fonction` is absent.
    bool apilec_disponible(kelvora::reader::LecFunction fonction);
    // Classifies a non-zero library result r (detail code e) through table `erreur` looked up
    // by q (r or e, as the stage says). `detail` (skipped when empty) follows the "Retour en
    // erreur" line. Blocking: the `bloquant` lines (the last bold red) and the continue flag.
    // Otherwise `nonBloquant`, when given, may handle the case (returns true); if not, the
    // "sans impact" line and `succes` in bold green. Returns whether q is blocking.
    bool classification_resultat(int r, quint16 e, quint16 q, const QString& detail,
                                 const QStringList& bloquant, const QString& succes,
                                 const std::function<bool()>& nonBloquant = {});
    qint32 appli_reader_nbre = 0;
    std::vector<kelvora::reader::T_infosLecteur> appli_reader_list;
    QString appli_nom_lecteur_ini;
    QString appli_nom_lecteur2_ini;
    QByteArray appli_reader_use;
    QByteArray appli_reader_use2;
    qint32 appli_api_return = 0;
    quint16 appli_api_error = 0;
    quint16 appli_api_session = 0;
    quint16 appli_api_session_CPS = 0;
    quint16 appli_api_word = 0;
    quint16 appli_api_word2 = 0;
    // Holds the address of the application name "attest" given to the session calls.
    const char16_t* appli_api_char = nullptr;
    kelvora::reader::TChar2 appli_api_char_civ{};
    kelvora::reader::TChar27 appli_api_char_nom{};
    kelvora::reader::TChar8 appli_api_char_date{};
    kelvora::reader::TChar10 appli_api_char_appli{};
    kelvora::reader::TChar2 appli_api_char_typecarte{};
    kelvora::reader::TChar2 appli_api_char_presentpin{};
    kelvora::reader::TChar2 appli_api_char_categorie{};
    // Points at the PIN's ANSI copy only while Lec_ControleCPS runs.
    const char* appli_api_pin_saisie = nullptr;
    std::optional<kelvora::reader::IniFile> appli_ini_gestion;
    void btn_gestion_4Click();
    void btn_gestion_4bClick();
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
    QLineEdit* pin_cps = nullptr;

    QLabel* label_suivi = nullptr;
    QLabel* label_suivi2 = nullptr;
    std::array<QLabel*, 6> image_etat_rows{};
    std::array<QLabel*, 6> label_etat_rows{};

    QTextEdit* debug_texte = nullptr;
    QPushButton* btn_sauve_fichier = nullptr;
    QTextEdit* about_texte = nullptr;
    QLabel* lbl_about1 = nullptr;
    QLabel* lbl_about2 = nullptr;
    QLabel* lbl_link2 = nullptr;
    QLabel* lbl_link3 = nullptr;

    QLabel* label_update1 = nullptr;
    QLabel* label_update2 = nullptr;
    QPushButton* btn_update_go = nullptr;

    QLabel* Label_pdf1 = nullptr;
    QLabel* Label_pdf2 = nullptr;
    QToolButton* image_pdf = nullptr;

    std::unique_ptr<kelvora::store::Connection> Base_donnees;
    kelvora::Platform& platform() { return m_platform; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildFrame();
    void buildHomePage();
    void buildProgressPage();
    void buildDebugPage();
    void buildAboutPage();
    void buildUpdatePage();
    void buildPdfPage();
    void buildConfigPage();
    void FormCloseQuery();
    void appendRich(QTextEdit* pane, const QString& text, int style, quint32 color);
    // Runs a handler; an error it does not handle ends it through the standard error box.
    void guarded(const std::function<void()>& handler);

    kelvora::Platform& m_platform;
};
