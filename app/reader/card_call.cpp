#include "reader/card_call.h"

#include "store/statements.h"


namespace kelvora::reader
{

bool apilec_disponible(RunCore& core, LecFunction fonction)
{
    if (!core.appli_apilec.loaded()) {
        core.AddDebugText(QStringLiteral("Bibliothèque du lecteur introuvable : ") +
                              QString::fromLatin1(kApiLecFileName) + QStringLiteral("\r\n"),
                          StyleBold, ClRed);
        if (!core.appli_apilec.errorString().isEmpty())
            core.AddDebugText(core.appli_apilec.errorString() + QStringLiteral("\r\n"), StyleNone,
                              ClBlack);
        // The cause is the installation, not a card: the headline says so.
        core.appli_suivi_echec = QStringLiteral("Bibliothèque de lecture introuvable !");
        core.appli_check_continue = 1;
        return false;
    }
    const QString absent = core.appli_apilec.missing(fonction);
    if (!absent.isEmpty()) {
        core.AddDebugText(QStringLiteral("Fonction absente de la bibliothèque du lecteur : ") +
                              absent + QStringLiteral("\r\n"),
                          StyleBold, ClRed);
        core.appli_suivi_echec = QStringLiteral("Bibliothèque de lecture incomplète !");
        core.appli_check_continue = 1;
        return false;
    }
    return true;
}

bool classification_resultat(RunCore& core, int r, quint16 e, quint16 q, const QString& detail,
                             const QStringList& bloquant, const QString& succes,
                             const std::function<bool()>& nonBloquant,
                             const std::function<bool()>& avant)
{
    core.AddDebugText(QStringLiteral("Retour en erreur : %1 (code : %2)\r\n").arg(r).arg(e),
                      StyleNone, ClBlack);
    if (!detail.isEmpty())
        core.AddDebugText(detail, StyleNone, ClBlack);
    if (avant && avant())
        return false;

    const bool blocking = store::isBlocking(core.store(), q);
    if (blocking) {
        for (qsizetype i = 0; i < bloquant.size(); ++i) {
            const bool last = i == bloquant.size() - 1;
            core.AddDebugText(bloquant[i], last ? StyleBold : StyleNone, last ? ClRed : ClBlack);
        }
        core.appli_check_continue = 1;
        return true;
    }
    if (nonBloquant && nonBloquant())
        return false;
    core.AddDebugText(QStringLiteral("Erreur sans impact sur le fonctionnement\r\n"), StyleNone,
                      ClBlack);
    core.AddDebugText(succes, StyleBold, ClGreen);
    return false;
}

void executeCardCall(RunCore& core, const CardCall& c)
{
    core.runStage(c.row, c.texts, [&core, &c] {
        if (c.before)
            c.before(core);
        if (c.reset)
            c.reset(core);
        if (!apilec_disponible(core, c.function) ||
            (c.alsoNeeds && !apilec_disponible(core, *c.alsoNeeds)))
            return;
        const int r = c.call(core);
        core.appli_api_return = r;
        if (r != 0) {
            const quint16 e = core.appli_api_error;
            classification_resultat(
                core, r, e, c.classifyByDetail ? e : quint16(r),
                c.detail ? c.detail(core) : QString(), c.bloquant, c.succes,
                c.nonBloquant ? std::function<bool()>([&core, &c, r] { return c.nonBloquant(core, r); })
                              : std::function<bool()>(),
                c.avantClassement
                    ? std::function<bool()>([&core, &c, r] { return c.avantClassement(core, r); })
                    : std::function<bool()>());
        } else if (c.onSuccess) {
            c.onSuccess(core, r);
        } else {
            core.AddDebugText(c.succes, StyleBold, ClGreen);
        }
        if (c.after)
            c.after(core, r);
        if (c.suivi && core.appli_check_continue == 1) {
            if (const std::optional<Suivi> suivi = c.suivi(core, r)) {
                core.appli_suivi_echec = suivi->label;
                core.appli_suivi2_echec = suivi->label2;
            }
        }
    });
}

} // namespace kelvora::reader
