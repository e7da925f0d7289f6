// A copy of the certificate per patient: its proposed name and the copy itself.
#pragma once

#include "base/durable_file.h"
#include "base/vitale_record.h"

#include <QDate>
#include <QString>
#include <optional>

namespace kelvora::attestation
{

// « Attestation_<NOM>_<Prénom>_<AAAAMMJJ>.pdf » for the card's first beneficiary (the insured
// person); characters a file name cannot hold become « _ ».
QString nomCopieAttestation(const VitaleRecord& record, const QDate& dateLecture);

// « <prefixe>_<NOM>_<Prénom>_<AAAAMMJJ>.<extension> », the pattern of every file named after
// the patient.
QString nomFichierPatient(const QString& prefixe, const VitaleRecord& record,
                          const QDate& dateLecture, const QString& extension);

// The first beneficiary's first name and name, as the PDF page shows whose certificate it is.
QString titulaireAttestation(const VitaleRecord& record);

// Copies `certificate` to `target` whole or not at all; the failure says why in French.
std::optional<Failure> enregistrerCopie(const QString& certificate, const QString& target);

} // namespace kelvora::attestation
