#include "reader/reader_config.h"

#include "base/french_errors.h"
#include "reader/reader_listing.h"

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
        c.dialogs().messageBox(
            frenchFileError(QStringLiteral("Le lecteur choisi n'a pas été enregistré."),
                            c.appli_ini_gestion->errorNumber(), c.appli_ini_gestion->errorString()),
            QStringLiteral("Gestion lecteur"), MessageIcon::Error);
        return;
    }
    c.dialogs().messageBox(QStringLiteral("Le programme doit être arrêter puis relancer pour\rla "
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

namespace
{

LecteursBranches lecteursDeLaBibliotheque(RunCore& c)
{
    if (!c.appli_apilec.loaded())
        return {{}, QStringLiteral("bibliothèque du lecteur introuvable"), {}};
    // The run's own listing fields are left as they are: this is only a look.
    const std::optional<ReaderListing> listing =
        listReaders(c.appli_apilec, c.appli_dossier_apilec_force.constData());
    if (!listing)
        return {{}, QStringLiteral("fonction Lec_ListeLecteurs absente de la bibliothèque"), {}};
    if (listing->result && *listing->result != 0)
        return {{},
                QStringLiteral("erreur %1 (code : %2) de la bibliothèque du lecteur")
                    .arg(*listing->result)
                    .arg(listing->error),
                {}};
    if (listing->refusedAbove)
        return {{}, QStringLiteral("nombre de lecteurs refusé : %1").arg(listing->count), {}};
    LecteursBranches branches;
    for (const T_infosLecteur& entree : listing->entries)
        branches.noms.append(readerName(entree));
    return branches;
}

} // namespace

LecteursBranches lecteursBranches(RunCore& c)
{
    LecteursBranches branches = lecteursDeLaBibliotheque(c);
    branches.pcsc = c.platform().smartCardReaders().readers;
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
