// The one classification of a card-reader result that every card stage applies.
#include "shell/tppal.h"
#include "store/statements.h"

#include <stdexcept>

bool Tppal::classification_resultat(int r, quint16 e, quint16 q, const QString& detail,
                                    const QStringList& bloquant, const QString& succes,
                                    const std::function<bool()>& nonBloquant)
{
    AddDebugText(QStringLiteral("Retour en erreur : %1 (code : %2)\r\n").arg(r).arg(e), StyleNone,
                 ClBlack);
    if (!detail.isEmpty())
        AddDebugText(detail, StyleNone, ClBlack);

    if (!Base_donnees)
        throw std::runtime_error("Base de configuration non ouverte");
    const bool blocking = kelvora::store::isBlocking(*Base_donnees, q);
    if (blocking) {
        for (qsizetype i = 0; i < bloquant.size(); ++i) {
            const bool last = i == bloquant.size() - 1;
            AddDebugText(bloquant[i], last ? StyleBold : StyleNone, last ? ClRed : ClBlack);
        }
        appli_check_continue = 1;
        return true;
    }
    if (nonBloquant && nonBloquant())
        return false;
    AddDebugText(QStringLiteral("Erreur sans impact sur le fonctionnement\r\n"), StyleNone,
                 ClBlack);
    AddDebugText(succes, StyleBold, ClGreen);
    return false;
}
