// kelvora-admin lecture: a whole reading without a screen, for support and automation.
#pragma once

#include <QString>
#include <iosfwd>

namespace kelvora::admin
{

// Reads the cards against the installation whose common data folder is `programData`, with the
// PIN read from `pinInput` (one line). Writes attestation.pdf and the log (diag-Kelvora.rtf)
// in the data folder, one line per stage with its final state to `out`, and the failed stage
// to `err`. Returns 0 when every stage passed and every file asked for was written, 1
// otherwise. Needs a QCoreApplication.
struct LectureOptions {
    QString copyFolder; // the certificate's named copy is written there too
    // The card's data as JSON and as a FHIR bundle, written after the certificate; "-" is
    // `out`, and the stage lines then go to `err` so that `out` holds the data alone.
    QString jsonPath;
    QString fhirPath;
};

int runLecture(const QString& programData, std::istream& pinInput, std::ostream& out,
               std::ostream& err, const LectureOptions& options = {});

} // namespace kelvora::admin
