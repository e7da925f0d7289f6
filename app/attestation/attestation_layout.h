// The certificate "Attestation de droits Régime Obligatoire": pages laid out at fixed positions
// from the Vitale record, one unless the beneficiaries need more. Needs no window, so tests
// read its content streams directly.
#pragma once

#include "base/vitale_record.h"

#include <QDateTime>
#include <iosfwd>
#include <string>

namespace kelvora::pdf
{
class TGraphic;
}

namespace kelvora
{

// Draws the page and saves the whole PDF file into `out`, which must accept seeking to its
// start. `logo` is the JPEG drawn 50 points high at the top left; `extractedAt` dates the
// footer and the document. Throws the PDF writer's errors (pdf::EPdfError and its kinds) and
// pdf::EPictureError; nothing is left open when it does.
void writeAttestation(std::ostream& out, const VitaleRecord& record, const pdf::TGraphic& logo,
                      const QDateTime& extractedAt);
// The same file's bytes, built in one buffer and handed over without another copy.
std::string attestationBytes(const VitaleRecord& record, const pdf::TGraphic& logo,
                             const QDateTime& extractedAt);

} // namespace kelvora
