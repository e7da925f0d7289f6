// The card's data for the practice's other software, as a JSON record or a FHIR bundle: from
// the PDF page's « Exporter les données… » and from kelvora-admin lecture.
#pragma once

#include "base/durable_file.h"
#include "base/vitale_record.h"
#include "run/run_core.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace kelvora::attestation
{

enum class FormatDonnees { Json, Fhir };

QByteArray donneesExportees(const VitaleRecord& record, const QDateTime& dateLecture,
                            FormatDonnees format);

// « Donnees_<NOM>_<Prénom>_<AAAAMMJJ>.json », as the certificate's copy is named.
QString nomExportDonnees(const VitaleRecord& record, const QDate& dateLecture);

// Writes the export to `path` whole or not at all, durably; the failure says why in French.
std::optional<Failure> enregistrerDonnees(const VitaleRecord& record,
                                                   const QDateTime& dateLecture,
                                                   FormatDonnees format, const QString& path);

// « Exporter les données… »: the save dialog with one filter per format, in the folder the
// copy proposes; nothing written when the dialog is cancelled; a message says what happened.
void btn_exporterClick(RunCore& core);

} // namespace kelvora::attestation
