// The one shape of every card-library call a stage makes: reset the call fields, check the
// function is there, call it, keep its result, classify a failure, write the log lines.
#pragma once

#include "run/run_core.h"

#include <QStringList>
#include <functional>
#include <optional>

namespace kelvora::reader
{

// False, after a bold red log line naming what is missing and `result` failed, when the
// library or `fonction` is absent.
bool apilec_disponible(RunCore& core, LecFunction fonction, StageResult& result);

// Classifies a non-zero library result r (detail code e) through table `erreur` looked up
// by q (r or e, as the stage says). `detail` (skipped when empty) follows the "Retour en
// erreur" line. `avant`, when given, may then handle the result itself (returns true), and the
// table is not looked up. Blocking: the `bloquant` lines (the last bold red) and `result`
// failed. Otherwise `nonBloquant`, when given, may handle the case (returns true); if not, the
// "sans impact" line and `succes` in bold green. Returns whether q is blocking.
bool classification_resultat(RunCore& core, StageResult& result, int r, quint16 e, quint16 q,
                             const QString& detail, const QStringList& bloquant,
                             const QString& succes, const std::function<bool()>& nonBloquant = {},
                             const std::function<bool()>& avant = {});

// The two follow-up labels of a failure the user can act on at once.
struct Suivi {
    QString label;  // in place of the stage's failure text
    QString label2; // in place of the pointer to the log: what to do now
};

// One card call of a stage, as data.
struct CardCall {
    RunCore::StageTexts texts;
    EtatRow row;
    LecFunction function;
    // A second function the stage needs, checked after the first.
    std::optional<LecFunction> alsoNeeds;
    // Work before the call, e.g. reading the configuration the call needs.
    std::function<void(RunCore&)> before;
    // Resets the call's fields; runs before the library is checked.
    std::function<void(RunCore&)> reset;
    // The call itself; only made when the function is there.
    std::function<int(RunCore&)> call;
    // Whether table `erreur` is looked up by the detail code rather than the result.
    bool classifyByDetail = false;
    std::function<QString(const RunCore&)> detail;
    QStringList bloquant;
    QString succes;
    // The handlers below fail the stage through the result they are given.
    std::function<bool(RunCore&, int r, StageResult&)> nonBloquant;
    // A non-zero result handled before table `erreur` is looked up (returns true when handled).
    std::function<bool(RunCore&, int r, StageResult&)> avantClassement;
    // The log lines of a zero result; by default `succes` in bold green.
    std::function<void(RunCore&, int r, StageResult&)> onSuccess;
    // Work after the call's outcome, whatever it was.
    std::function<void(RunCore&, int r, StageResult&)> after;
    // When the call fails and is the first failure of the run: labels that say what happened
    // and what to do, when the outcome allows it (nullopt keeps the stage's texts).
    std::function<std::optional<Suivi>(const RunCore&, int r)> suivi;
};

// Runs `call` as a stage of the reading run.
void executeCardCall(RunCore& core, const CardCall& call);

} // namespace kelvora::reader
