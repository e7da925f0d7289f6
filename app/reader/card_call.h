// The one shape of every card-library call a stage makes, as data (CardCall) run by one routine
// (executeCardCall). A call goes through these moments, in this order; each hook is named after
// its moment, and a hook left empty skips it (or takes the default said here):
//  1. prepare     work the call needs first, e.g. reading the configured reader names;
//  2. reset       the call's fields reset;
//  3. (check)     the library and `function`, then `alsoNeeds`, are there; if not, a bold red
//                 log line names what is missing, the stage fails and nothing below happens;
//  4. call        the call itself; its result r is kept in appli_api_return;
//  5. zero result:
//       onZero       its log lines; by default `succes` in bold green;
//     non-zero result: "Retour en erreur" with r and the detail code, then errorDetail's line;
//       onError      may handle the result itself before table `erreur` is read (returns true);
//       (lookup)     table `erreur`, by r or, with classifyByDetail, by the detail code: a
//                    blocking code writes the `bloquant` lines (the last bold red) and fails
//                    the stage;
//       onNotBlocking may handle a code that does not block (returns true); if not, the
//                    "sans impact" line and `succes` in bold green;
//  6. finish      work after the outcome, whatever it was;
//  7. explain     when the stage failed: the follow-up labels that say what happened and what
//                 to do, when the outcome allows it.
// The hooks that take a StageResult fail the stage through it.
#pragma once

#include "run/run_core.h"

#include <QStringList>
#include <functional>
#include <optional>

namespace kelvora::reader
{

// Succeeded when the library and `fonction` are there; otherwise, after a bold red log line
// naming what is missing, the stage's failure.
StageResult apilec_disponible(RunCore& core, LecFunction fonction);

// The two follow-up labels of a failure the user can act on at once.
struct Suivi {
    QString label;  // in place of the stage's failure text
    QString label2; // in place of the pointer to the log: what to do now
};

// One card call of a stage, as data; the numbers are the moments above.
struct CardCall {
    RunCore::StageTexts texts;
    EtatRow row;
    LecFunction function;
    // 3. A second function the stage needs, checked after the first.
    std::optional<LecFunction> alsoNeeds;
    // 1.
    std::function<void(RunCore&)> prepare;
    // 2.
    std::function<void(RunCore&)> reset;
    // 4. Only made when the functions are there.
    std::function<int(RunCore&)> call;
    // 5. Whether table `erreur` is read by the detail code rather than the result.
    bool classifyByDetail = false;
    std::function<QString(const RunCore&)> errorDetail;
    QStringList bloquant;
    QString succes;
    std::function<bool(RunCore&, int r, StageResult&)> onNotBlocking;
    std::function<bool(RunCore&, int r, StageResult&)> onError;
    std::function<void(RunCore&, int r, StageResult&)> onZero;
    // 6.
    std::function<void(RunCore&, int r, StageResult&)> finish;
    // 7. nullopt keeps the stage's texts.
    std::function<std::optional<Suivi>(const RunCore&, int r)> explain;
};

// Runs `call` as a stage of the reading run.
void executeCardCall(RunCore& core, const CardCall& call);

} // namespace kelvora::reader
