#include "run/stage_names.h"

namespace kelvora
{

QString etatRowCaption(EtatRow row)
{
    return QString::fromUtf8(etatRowInfo(row).caption);
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
