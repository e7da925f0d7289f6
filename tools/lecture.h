// kelvora-admin lecture: a whole reading without a screen, for support and automation.
#pragma once

#include <QString>
#include <iosfwd>

namespace kelvora::admin
{

// Reads the cards against the installation whose common data folder is `programData`, with the
// PIN read from `pinInput` (one line). Writes attestation.pdf and the log (diag-Kelvora.rtf)
// in the data folder, one line per stage with its final state to `out`, and the failed stage
// to `err`. With `copyFolder`, the certificate's named copy is written there too. Returns 0
// when every stage passed, 1 otherwise. Needs a QCoreApplication.
int runLecture(const QString& programData, std::istream& pinInput, std::ostream& out,
               std::ostream& err, const QString& copyFolder = {});

} // namespace kelvora::admin
