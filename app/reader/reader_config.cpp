#include "reader/reader_config.h"

namespace kelvora::reader
{

namespace
{

constexpr QLatin1String kSection("Lecteur");
constexpr QLatin1String kCleVitale("Ressource_Vitale");
constexpr QLatin1String kCleCps("Ressource_CPS");
constexpr QLatin1String kLecteurPropose("SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0");

void modifierLecteur(RunCore& c, QLatin1String key, const QString& value)
{
    c.appli_ini_gestion.emplace(c.appli_ini_file);
    if (!c.appli_ini_gestion->writeString(kSection, key, value)) {
        c.platform().messageBox(c.appli_ini_gestion->errorString(),
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

void btn_gestion_4Click(RunCore& core, const QString& lecteurVitale)
{
    modifierLecteur(core, kCleVitale, lecteurVitale);
}

void btn_gestion_4bClick(RunCore& core, const QString& lecteurCps)
{
    modifierLecteur(core, kCleCps, lecteurCps);
}

} // namespace kelvora::reader
