// The PDF stage: the certificate written from the Vitale record, and its opening afterwards.
#pragma once

#include "run/run_core.h"

namespace kelvora::attestation
{

void creation_pdfExecute(RunCore& core);
void check_pdfExecute(RunCore& core);
// Opens the certificate with the desktop's viewer, or says it is not there.
void image_pdfClick(RunCore& core);

} // namespace kelvora::attestation
