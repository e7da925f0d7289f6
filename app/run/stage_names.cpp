#include "run/stage_names.h"

namespace kelvora
{

QString etatRowCaption(EtatRow row)
{
    static const char* const captions[kEtatRowCount] = {
        "Contrôle des fichiers",        "Contrôle Mise à Jour",      "Initialisation du lecteur",
        "Contrôle cartes CPS & Vitale", "Récupération informations", "Génération du PDF"};
    return QString::fromUtf8(captions[static_cast<int>(row)]);
}

QString etatIconName(int icon)
{
    switch (icon) {
    case EtatEnCours:
        return QStringLiteral("en cours");
    case EtatValide:
        return QStringLiteral("validée");
    case EtatEchec:
        return QStringLiteral("en échec");
    case EtatNonTeste:
        return QStringLiteral("non testée");
    default:
        return QStringLiteral("en attente");
    }
}

} // namespace kelvora
