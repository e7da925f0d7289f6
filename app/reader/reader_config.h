// The reader configuration: which reader the card-reader library uses for each card, read
// from and written to its INI file for the « Gestion » page.
#pragma once

#include "run/run_core.h"

#include <QStringList>

namespace kelvora::reader
{

struct LecteurConfigure {
    QString actuel;   // what the file says, or a note that it says nothing
    QString aForcer;  // what the page proposes to write
};

struct LecteursConfigures {
    LecteurConfigure vitale;
    LecteurConfigure cps;
};

// Reads the configuration file afresh.
LecteursConfigures tab_configShow(RunCore& core);

// Writes one reader's name, then says the program must be restarted; a failure is told in a box.
// Spaces, tabs and line breaks around the name (a pasted line) are not part of it.
void btn_gestion_4Click(RunCore& core, const QString& lecteurVitale);
void btn_gestion_4bClick(RunCore& core, const QString& lecteurCps);

// The readers the card library reports as connected now, in its order, then the smart-card
// service's own, each with whether a card is in it.
struct LecteursBranches {
    QStringList noms;
    // Why the list could not be had, in French; empty when it was.
    QString erreur;
    std::vector<SmartCardReader> pcsc;
};
LecteursBranches lecteursBranches(RunCore& core);

} // namespace kelvora::reader
