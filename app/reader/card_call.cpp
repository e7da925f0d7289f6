#include "reader/card_call.h"

#include "store/statements.h"


namespace kelvora::reader
{

bool apilec_disponible(RunCore& core, LecFunction fonction, StageResult& result)
{
    if (!core.appli_apilec.loaded()) {
        core.AddDebugText(QStringLiteral("Bibliothèque du lecteur introuvable : ") +
                              QString::fromLatin1(kApiLecFileName) + QStringLiteral("\r\n"),
                          StyleBold, ClRed);
        if (!core.appli_apilec.errorString().isEmpty())
            core.AddDebugText(core.appli_apilec.errorString() + QStringLiteral("\r\n"), StyleNone,
                              ClBlack);
        // The cause is the installation, not a card: the headline says so.
        result = StageResult::failure(QStringLiteral("Bibliothèque de lecture introuvable !"));
        return false;
    }
    const QString absent = core.appli_apilec.missing(fonction);
    if (!absent.isEmpty()) {
        core.AddDebugText(QStringLiteral("Fonction absente de la bibliothèque du lecteur : ") +
                              absent + QStringLiteral("\r\n"),
                          StyleBold, ClRed);
        result = StageResult::failure(QStringLiteral("Bibliothèque de lecture incomplète !"));
        return false;
    }
    return true;
}

bool classification_resultat(RunCore& core, StageResult& result, int r, quint16 e, quint16 q,
                             const QString& detail, const QStringList& bloquant,
                             const QString& succes, const std::function<bool()>& nonBloquant,
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
        result.fail();
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
        StageResult result;
        if (c.before)
            c.before(core);
        if (c.reset)
            c.reset(core);
        if (!apilec_disponible(core, c.function, result) ||
            (c.alsoNeeds && !apilec_disponible(core, *c.alsoNeeds, result)))
            return result;
        const int r = c.call(core);
        core.appli_api_return = r;
        if (r != 0) {
            const quint16 e = core.appli_api_error;
            const auto handler = [&core, &result, r](const auto& f) {
                return f ? std::function<bool()>(
                               [&core, &result, &f, r] { return f(core, r, result); })
                         : std::function<bool()>();
            };
            classification_resultat(core, result, r, e, c.classifyByDetail ? e : quint16(r),
                                    c.detail ? c.detail(core) : QString(), c.bloquant, c.succes,
                                    handler(c.nonBloquant), handler(c.avantClassement));
        } else if (c.onSuccess) {
            c.onSuccess(core, r, result);
        } else {
            core.AddDebugText(c.succes, StyleBold, ClGreen);
        }
        if (c.after)
            c.after(core, r, result);
        if (c.suivi && result.failed()) {
            if (const std::optional<Suivi> suivi = c.suivi(core, r)) {
                result.suivi = suivi->label;
                result.suivi2 = suivi->label2;
            }
        }
        return result;
    });
}

} // namespace kelvora::reader
