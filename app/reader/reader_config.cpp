#include "reader/reader_config.h"

#include "base/cp1252.h"
#include "reader/reader_stages.h"
#include "base/french_errors.h"

#include <cstring>
#include <vector>

namespace kelvora::reader
{

namespace
{

constexpr QLatin1String kSection("Lecteur");
constexpr QLatin1String kCleVitale("Ressource_Vitale");
constexpr QLatin1String kCleCps("Ressource_CPS");
constexpr QLatin1String kLecteurPropose("SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0");

void modifierLecteur(RunCore& c, QLatin1String key, const QString& saisi)
{
    const QString value = saisi.trimmed();
    c.appli_ini_gestion.emplace(c.appli_ini_file);
    if (!c.appli_ini_gestion->writeString(kSection, key, value)) {
        c.platform().messageBox(
            frenchFileError(QStringLiteral("Le lecteur choisi n'a pas été enregistré."),
                            c.appli_ini_gestion->errorNumber(),
                            c.appli_ini_gestion->errorString()),
            QStringLiteral("Gestion lecteur"), MessageIcon::Error);
        return;
    }
    c.platform().messageBox(QStringLiteral("Le programme doit être arrêter puis relancer pour\rla "
                                           "bonne prise en compte de cette modification"),
                            QStringLiteral("Gestion lecteur"), MessageIcon::Information);
}

} // namespace

LecteursConfigures tab_configShow(RunCore& c)
{
    c.appli_ini_gestion.emplace(c.appli_ini_file);
    const auto show = [&c](QLatin1String key) -> LecteurConfigure {
        if (const auto value = c.appli_ini_gestion->value(kSection, key))
            return {*value, *value};
        return {QStringLiteral("N/A (introuvable)"), kLecteurPropose};
    };
    return {show(kCleVitale), show(kCleCps)};
}

LecteursBranches lecteursBranches(RunCore& c)
{
    if (!c.appli_apilec.loaded())
        return {{}, QStringLiteral("bibliothèque du lecteur introuvable")};
    // The run's own listing fields are left as they are: this is only a look.
    const char* dossier = c.appli_dossier_apilec_force.constData();
    quint16 erreur = 0;
    qint32 nombre = 0;
    const auto premier = c.appli_apilec.listeLecteurs(dossier, nullptr, &nombre, &erreur);
    if (!premier)
        return {{}, QStringLiteral("fonction Lec_ListeLecteurs absente de la bibliothèque")};
    if (nombre < 0 || nombre > kLecteursMax)
        return {{}, QStringLiteral("nombre de lecteurs refusé : %1").arg(nombre)};
    std::vector<T_infosLecteur> liste(std::size_t(nombre), T_infosLecteur{});
    const qint32 capacite = nombre;
    const auto r = c.appli_apilec.listeLecteurs(dossier, liste.empty() ? nullptr : liste.data(),
                                                &nombre, &erreur);
    if (!r || *r != 0)
        return {{}, QStringLiteral("erreur %1 (code : %2) de la bibliothèque du lecteur")
                        .arg(r ? int(*r) : -1)
                        .arg(erreur)};
    if (nombre < 0 || nombre > capacite)
        return {{}, QStringLiteral("nombre de lecteurs refusé : %1").arg(nombre)};
    LecteursBranches branches;
    for (qint32 i = 0; i < nombre; ++i) {
        const T_infosLecteur& entree = liste[std::size_t(i)];
        branches.noms.append(fromCp1252(QByteArrayView(
            entree.nom_ressource,
            qsizetype(strnlen(entree.nom_ressource, sizeof entree.nom_ressource)))));
    }
    return branches;
}

void btn_gestion_4Click(RunCore& core, const QString& lecteurVitale)
{
    modifierLecteur(core, kCleVitale, lecteurVitale);
}

void btn_gestion_4bClick(RunCore& core, const QString& lecteurCps)
{
    modifierLecteur(core, kCleCps, lecteurCps);
}

} // namespace kelvora::reader
