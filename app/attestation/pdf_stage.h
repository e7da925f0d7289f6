// The PDF stage: the certificate written from the Vitale record, and its opening afterwards.
#pragma once

#include "run/run_core.h"

namespace kelvora::attestation
{

StageResult creation_pdfExecute(RunCore& core);
void check_pdfExecute(RunCore& core);
// Opens the certificate with the desktop's viewer, or says it is not there.
void image_pdfClick(RunCore& core);
// « Enregistrer une copie… »: the save dialog in the documents folder with the patient's
// name proposed, the copy written whole, a confirmation naming the file.
void btn_copieClick(RunCore& core);
// « Imprimer »: the certificate to the default printer, or a message saying how else.
void btn_imprimerClick(RunCore& core);

} // namespace kelvora::attestation
