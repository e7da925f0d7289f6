#include "reader/card_call.h"

#include "store/statements.h"

namespace kelvora::reader
{

StageResult apilec_disponible(RunCore& core, LecFunction fonction)
{
    if (!core.appli_apilec.loaded()) {
        core.AddDebugText(QStringLiteral("Bibliothèque du lecteur introuvable : ") +
                              QString::fromLatin1(kApiLecFileName) + QStringLiteral("\r\n"),
                          StyleBold, ClRed);
        if (!core.appli_apilec.errorString().isEmpty())
            core.AddDebugText(core.appli_apilec.errorString() + QStringLiteral("\r\n"), StyleNone,
                              ClBlack);
        // The cause is the installation, not a card: the headline says so.
        return StageResult::failure(QStringLiteral("Bibliothèque de lecture introuvable !"));
    }
    const QString absent = core.appli_apilec.missing(fonction);
    if (!absent.isEmpty()) {
        core.AddDebugText(QStringLiteral("Fonction absente de la bibliothèque du lecteur : ") +
                              absent + QStringLiteral("\r\n"),
                          StyleBold, ClRed);
        return StageResult::failure(QStringLiteral("Bibliothèque de lecture incomplète !"));
    }
    return StageResult::succeeded();
}

namespace
{

// What the classification of a non-zero result reads: the call and what it answered.
struct NonZeroResult {
    const CardCall& call;
    int r;     // the result
    quint16 e; // its detail code
};

// Moment 5 for a non-zero result, as the header tells it.
void classification_resultat(RunCore& core, const NonZeroResult& in, StageResult& result)
{
    const CardCall& c = in.call;
    core.AddDebugText(QStringLiteral("Retour en erreur : %1 (code : %2)\r\n").arg(in.r).arg(in.e),
                      StyleNone, ClBlack);
    const QString detail = c.errorDetail ? c.errorDetail(core) : QString();
    if (!detail.isEmpty())
        core.AddDebugText(detail, StyleNone, ClBlack);
    if (c.onError && c.onError(core, in.r, result))
        return;

    if (store::isBlocking(core.store(), c.classifyByDetail ? in.e : quint16(in.r))) {
        for (qsizetype i = 0; i < c.bloquant.size(); ++i) {
            const bool last = i == c.bloquant.size() - 1;
            core.AddDebugText(c.bloquant[i], last ? StyleBold : StyleNone, last ? ClRed : ClBlack);
        }
        result.fail();
        return;
    }
    if (c.onNotBlocking && c.onNotBlocking(core, in.r, result))
        return;
    core.AddDebugText(QStringLiteral("Erreur sans impact sur le fonctionnement\r\n"), StyleNone,
                      ClBlack);
    core.AddDebugText(c.succes, StyleBold, ClGreen);
}

} // namespace

void executeCardCall(RunCore& core, const CardCall& c)
{
    core.runStage(c.row, c.texts, [&core, &c] {
        if (c.prepare)
            c.prepare(core);
        if (c.reset)
            c.reset(core);
        StageResult result = apilec_disponible(core, c.function);
        if (!result.failed() && c.alsoNeeds)
            result = apilec_disponible(core, *c.alsoNeeds);
        if (result.failed())
            return result;
        const int r = c.call(core);
        core.appli_api_return = r;
        if (r != 0)
            classification_resultat(core, {c, r, core.appli_api_error}, result);
        else if (c.onZero)
            c.onZero(core, r, result);
        else
            core.AddDebugText(c.succes, StyleBold, ClGreen);
        if (c.finish)
            c.finish(core, r, result);
        if (c.explain && result.failed()) {
            if (const std::optional<Suivi> suivi = c.explain(core, r)) {
                result.suivi = suivi->label;
                result.suivi2 = suivi->label2;
            }
        }
        return result;
    });
}

} // namespace kelvora::reader
