// Listing the connected readers and initialising the library with the configured ones.
#include "reader/cp1252.h"
#include "shell/tppal.h"

#include <algorithm>
#include <cstring>

using kelvora::reader::fromCp1252;
using kelvora::reader::LecFunction;
using kelvora::reader::T_infosLecteur;
using kelvora::reader::toCp1252;

namespace
{

// No machine has more readers; a larger count from the library is not worth the allocation.
constexpr qint32 kLecteursMax = 256;

QString lineOf(const QString& text)
{
    return text + QStringLiteral("\r\n");
}

// The reader's name up to its first zero byte, never past its 256 bytes.
QString nomLecteur(const T_infosLecteur& entry)
{
    return fromCp1252(QByteArrayView(
        entry.nom_ressource, qsizetype(strnlen(entry.nom_ressource, sizeof entry.nom_ressource))));
}

} // namespace

void Tppal::check_ListelecteursExecute()
{
    // Once a reader is known the listing never runs again in this session.
    if (appli_reader_lec != QStringLiteral("N/A"))
        return;
    runStage(
        EtatRow::Lecteur,
        {QStringLiteral("Choix du lecteur"), QStringLiteral("Connexion au lecteur"),
         QStringLiteral("Lecteur ne répond pas !")},
        [this] {
            if (!apilec_disponible(LecFunction::ListeLecteurs))
                return;
            appli_api_error = 0;
            appli_reader_nbre = qint32(appli_reader_list.size());
            appli_apilec.listeLecteurs(appli_dossier_apilec_force.constData(),
                                       appli_reader_list.empty() ? nullptr
                                                                 : appli_reader_list.data(),
                                       &appli_reader_nbre, &appli_api_error);
            const qint32 n = std::clamp(appli_reader_nbre, 0, kLecteursMax);
            appli_reader_list.assign(std::size_t(n), T_infosLecteur{});
            appli_reader_nbre = n;
            const int r = *appli_apilec.listeLecteurs(
                appli_dossier_apilec_force.constData(),
                appli_reader_list.empty() ? nullptr : appli_reader_list.data(), &appli_reader_nbre,
                &appli_api_error);
            appli_api_return = r;

            if (r != 0) {
                AddDebugText(QStringLiteral("Nombre de lecteurs : %1 (erreur : %2 / code : %3)\r\n")
                                 .arg(appli_reader_nbre)
                                 .arg(appli_api_error)
                                 .arg(r),
                             StyleNone, ClBlack);
                AddDebugText(QStringLiteral("Erreur sans impact avec GALSS\r\n"), StyleNone,
                             ClBlack);
            } else if (appli_reader_nbre >= 1 && !appli_reader_list.empty()) {
                AddDebugText(QStringLiteral("Nombre de lecteurs : %1\r\n").arg(appli_reader_nbre),
                             StyleNone, ClBlack);
                AddDebugText(QStringLiteral("Lecteur branché : "), StyleNone, ClBlack);
                AddDebugText(lineOf(nomLecteur(appli_reader_list.front())), StyleBold, ClGreen);
            } else {
                AddDebugText(QStringLiteral("Lecteur non branché\r\n"), StyleBold, ClRed);
                AddDebugText(QStringLiteral("Erreur sans impact avec GALSS\r\n"), StyleNone,
                             ClBlack);
            }

            if (!appli_reader_list.empty()) {
                appli_reader_lec = nomLecteur(appli_reader_list.front());
            } else {
                AddDebugText(QStringLiteral("Aucun lecteur trouvé !\r\n"), StyleBold, ClRed);
            }
        });
}

void Tppal::check_initlecteursExecute()
{
    runStage(
        EtatRow::Lecteur,
        {QStringLiteral("Initialisation du lecteur"), QStringLiteral("Connexion au lecteur"),
         QStringLiteral("Lecteur ne répond pas !")},
        [this] {
            const kelvora::reader::IniFile ini(appli_ini_file);
            const auto readName = [&](const QString& label, const QString& key, QString& field) {
                AddDebugText(label, StyleNone, ClBlack);
                const auto value = ini.value(QStringLiteral("Lecteur"), key);
                if (value) {
                    field = *value;
                    AddDebugText(lineOf(field), StyleNone, ClBlack);
                } else {
                    field.clear();
                    AddDebugText(QStringLiteral("Fichier non trouvé à l'emplacement voulu\r\n"),
                                 StyleBold, ClRed);
                }
            };
            readName(QStringLiteral("Contenu api_lec (Vitale) : "),
                     QStringLiteral("Ressource_Vitale"), appli_nom_lecteur_ini);
            readName(QStringLiteral("Contenu api_lec (CPS) : "), QStringLiteral("Ressource_CPS"),
                     appli_nom_lecteur2_ini);

            if (!apilec_disponible(LecFunction::InitLecteurs))
                return;
            appli_api_error = 0;
            appli_reader_use = toCp1252(appli_nom_lecteur_ini);
            appli_reader_use2 = toCp1252(appli_nom_lecteur2_ini);
            const int r = *appli_apilec.initLecteurs(
                appli_dossier_apilec_force.constData(), appli_reader_use.constData(),
                appli_reader_use2.constData(), &appli_api_error);
            appli_api_return = r;
            if (r != 0)
                classification_resultat(
                    r, appli_api_error, quint16(r), QString(),
                    {QStringLiteral("Cette erreur est bloquante pour le lecteur\r\n"),
                     QStringLiteral("Lecteur non joignable\r\n")},
                    QStringLiteral("Lecteur initialisé\r\n"));
            else
                AddDebugText(QStringLiteral("Lecteur initialisé\r\n"), StyleBold, ClGreen);
        });
}
