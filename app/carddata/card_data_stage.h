// The card data stage: the patient card's document read through the library, decoded into
// the Vitale record, its codes looked up in the library's dictionary, then both cards released.
#pragma once

#include "run/run_core.h"

namespace kelvora::carddata
{

void check_donneesExecute(RunCore& core);

// The label of `code` in table `table` of the library's dictionary, with a log line that
// gives the call's result and detail code; whatever the library left, also on failure.
QString dictionnaire_lec(RunCore& core, qint16 table, const QString& code);

// Releases both cards and closes both sessions: the end of every run that reaches the
// card data stage, whatever happened before.
void liberation_cartes(RunCore& core);

} // namespace kelvora::carddata
