#include "reading/reading.h"

#include "attestation/pdf_stage.h"
#include "carddata/card_data_stage.h"
#include "diagnostics/files_check.h"
#include "diagnostics/system_report.h"
#include "reader/reader_stages.h"
#include "run/reading_run.h"
#include "update/update_service.h"

namespace kelvora
{

void action_vitale2Click(RunCore& c, UpdateService& maj)
{
    const ReadingStep steps[] = {
        {nullptr, [&c] { diagnostics::debug_modeExecute(c); }},
        {"\r\n### Fichiers", [&c] { diagnostics::check_fichiersExecute(c); }},
        {"\r\n### Mise à Jour", [&maj] { maj.maj_quotidienneExecute(); }},
        {"\r\n### Liste Lecteurs", [&c] { reader::check_ListelecteursExecute(c); }},
        {"\r\n### Initialisation Lecteurs", [&c] { reader::check_initlecteursExecute(c); }},
        {"\r\n### Lecteur CPS", [&c] { reader::check_lecteurCPSExecute(c); }},
        {"\r\n### Lecteur Vitale", [&c] { reader::check_lecteurExecute(c); }},
        {"\r\n### Gestion CPS", [&c] { reader::check_CPSExecute(c); }},
        {"\r\n### Controle CPS", [&c] { reader::controle_CPSExecute(c); }},
        {"\r\n### Gestion Vitale", [&c] { reader::check_vitaleExecute(c); }},
        {"\r\n### Traitement des Données", [&c] { carddata::check_donneesExecute(c); }},
        {"\r\n### Génération PDF", [&c] { attestation::check_pdfExecute(c); }},
    };
    runReading(c, steps);
}

} // namespace kelvora
