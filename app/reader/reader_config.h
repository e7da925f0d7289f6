// The reader configuration: which reader the card-reader library uses for each card, read
// from and written to its INI file for the « Gestion » page.
#pragma once

#include "run/run_core.h"

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
void btn_gestion_4Click(RunCore& core, const QString& lecteurVitale);
void btn_gestion_4bClick(RunCore& core, const QString& lecteurCps);

} // namespace kelvora::reader
