// Loading the card-reader library, and the check every stage makes before calling it.
#include "shell/tppal.h"

using kelvora::reader::LecFunction;

void Tppal::chargement_apilec()
{
    appli_apilec.load(platform().executableFolder());
}

bool Tppal::apilec_disponible(LecFunction fonction)
{
    if (!appli_apilec.loaded()) {
        AddDebugText(QStringLiteral("Bibliothèque du lecteur introuvable : ") +
                         QString::fromLatin1(kelvora::reader::kApiLecFileName) +
                         QStringLiteral("\r\n"),
                     StyleBold, ClRed);
        if (!appli_apilec.errorString().isEmpty())
            AddDebugText(appli_apilec.errorString() + QStringLiteral("\r\n"), StyleNone, ClBlack);
        appli_check_continue = 1;
        return false;
    }
    const QString absent = appli_apilec.missing(fonction);
    if (!absent.isEmpty()) {
        AddDebugText(QStringLiteral("Fonction absente de la bibliothèque du lecteur : ") + absent +
                         QStringLiteral("\r\n"),
                     StyleBold, ClRed);
        appli_check_continue = 1;
        return false;
    }
    return true;
}
