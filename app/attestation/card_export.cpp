#include "attestation/card_export.h"

#include "attestation/certificate_copy.h"
#include "base/card_fhir.h"
#include "base/card_json.h"
#include "platform/save_path.h"

#include <QStringList>

namespace kelvora::attestation
{

QByteArray donneesExportees(const VitaleRecord& record, const QDateTime& dateLecture,
                            FormatDonnees format)
{
    return format == FormatDonnees::Fhir ? cardFhirBundle(record.donnees, dateLecture)
                                         : cardJson(record.donnees, dateLecture);
}

QString nomExportDonnees(const VitaleRecord& record, const QDate& dateLecture)
{
    return nomFichierPatient(QStringLiteral("Donnees"), record, dateLecture,
                             QStringLiteral("json"));
}

std::optional<Failure> enregistrerDonnees(const VitaleRecord& record,
                                                   const QDateTime& dateLecture,
                                                   FormatDonnees format, const QString& path)
{
    return io::replaceFile(path, donneesExportees(record, dateLecture, format));
}

void btn_exporterClick(RunCore& core)
{
    const QString caption = QStringLiteral("Export des données de la carte");
    // Only the data of the reading that just succeeded: a failed or running reading has none
    // that belongs to the certificate on this page.
    if (core.appli_run_en_cours || core.appli_check_continue != 0 ||
        core.appli_vitale.donnees.beneficiaires.isEmpty()) {
        core.dialogs().messageBox(
            QStringLiteral("Aucune donnée de carte à exporter.\rVeuillez relancer la procédure "
                           "de lecture Carte Vitale"),
            caption, MessageIcon::Information);
        return;
    }
    // The order of the filters is the order of the formats.
    const QStringList filtres{QStringLiteral("Données de la carte (JSON) (*.json)"),
                              QStringLiteral("FHIR (JSON) (*.json)")};
    const SaveChoice choice = core.dialogs().saveFileChoice(
        QStringLiteral("Exporter les données de la carte"), filtres, QStringLiteral("json"),
        proposedSavePath(core.platform(),
                         nomExportDonnees(core.appli_vitale, core.appli_date_lecture.date())));
    if (choice.path.isEmpty())
        return;
    const FormatDonnees format = choice.filter == 1 ? FormatDonnees::Fhir : FormatDonnees::Json;
    if (const auto why =
            enregistrerDonnees(core.appli_vitale, core.appli_date_lecture, format, choice.path)) {
        core.dialogs().messageBox(
            QStringLiteral("Impossible d'enregistrer les données « %1 » (%2).")
                .arg(choice.path, why->reason),
            caption, MessageIcon::Error);
        return;
    }
    core.dialogs().messageBox(
        QStringLiteral("Les données de la carte (%1) ont été enregistrées sous « %2 ».")
            .arg(format == FormatDonnees::Fhir ? QStringLiteral("FHIR") : QStringLiteral("JSON"),
                 choice.path),
        caption, MessageIcon::Information);
}

} // namespace kelvora::attestation
