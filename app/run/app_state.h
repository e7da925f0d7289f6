// The application state: identity, paths, the run's flags and the card calls' fields, under
// the names support and the documentation use. Plain data; the stages read and write it.
#pragma once

#include "apilec/apilec_types.h"
#include "base/durable_file.h"
#include "base/ini_file.h"
#include "base/vitale_record.h"
#include "run/run_types.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace kelvora
{

struct AppState {
    // --- Identity and paths (set once at start-up) ---
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
    // Set when the user quits (Quitter, closing the window) during a check or a download: the
    // reading run stops before its next stage, and nothing more is written.
    bool appli_quitte = false;
    // Set when start-up asked the application to end (store unusable).
    bool appli_fin_demandee = false;
    // How files are written; tests give a write that fails as a full disk would.
    io::WriteFunction writeFunction = nullptr;
    // The icon each row of the stage display shows.
    std::array<int, kEtatRowCount> appli_etats{};

    // --- Installed-files check work fields ---
    QString appli_check_val1;
    QString appli_check_val2;
    QString appli_check_val3;
    qint32 appli_file_size = 0;

    // --- Diagnostics ---
    QString appli_save_name = QStringLiteral("diag-Kelvora.rtf");

    // --- Update ---
    QString appli_update_data;
    QByteArray appli_web_data;
    // Without any answer for that long, the server counts as unreachable (tests shorten it).
    int appli_update_timeout_ms = 20000;
    // Set while the update request is under way; a second check returns at once.
    bool appli_maj_en_cours = false;

    // --- Card data: the record of the last successful reading; the certificate prints it ---
    VitaleRecord appli_vitale;
    // When the certificate was made: its extraction time and the date in its copy's name.
    QDateTime appli_date_lecture;

    // --- Card reader ---
    qint32 appli_reader_nbre = 0;
    std::vector<reader::T_infosLecteur> appli_reader_list;
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
    reader::TChar2 appli_api_char_civ{};
    reader::TChar27 appli_api_char_nom{};
    reader::TChar8 appli_api_char_date{};
    reader::TChar10 appli_api_char_appli{};
    reader::TChar2 appli_api_char_typecarte{};
    reader::TChar2 appli_api_char_presentpin{};
    reader::TChar2 appli_api_char_categorie{};
    // Points at the PIN's ANSI copy only while Lec_ControleCPS runs.
    const char* appli_api_pin_saisie = nullptr;
    std::optional<reader::IniFile> appli_ini_gestion;
};

} // namespace kelvora
