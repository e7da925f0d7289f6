// The PDF stage: the certificate written from the Vitale record, and its opening afterwards.
#include "attestation/pdf_stage.h"

#include "attestation/attestation_layout.h"
#include "attestation/attestation_logo.h"
#include "pdf/images/pr_image.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <exception>
#include <sstream>
#include <stdexcept>

namespace kelvora::attestation
{

void creation_pdfExecute(RunCore& core)
{
    const QString path = core.attestationPath();
    const auto failed = [&core](const QString& why) {
        core.AddDebugText(why, StyleNone, ClBlack);
        core.AddDebugText(QStringLiteral("génération impossible\r\n"), StyleBold, ClRed);
        core.appli_check_continue = 1;
    };

    // Emptied before anything else: a viewer holding the file stops the stage here, and a
    // failed reading never leaves the previous patient's certificate in its place.
    QFile target(path);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        failed(QStringLiteral("le fichier PDF est déjà ouvert, "));
        return;
    }

    try {
        kelvora::pdf::TPRJpegImage logo;
        loadAttestationLogo(logo,
                            core.platform().executableFolder() + QLatin1String(kLogoFileName));
        std::ostringstream document;
        writeAttestation(document, core.appli_vitale, *logo.Picture().Graphic(),
                         core.platform().now());
        const std::string bytes = std::move(document).str();

        // The certificate takes the file's name only once it is whole: a failure while
        // writing leaves the emptied file, never half a certificate that looks valid.
        target.close();
        QSaveFile saved(path);
        if (!saved.open(QIODevice::WriteOnly) ||
            saved.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) ||
            !saved.commit())
            throw std::runtime_error(saved.errorString().toStdString());
    } catch (const std::exception&) {
        failed(QStringLiteral("Impossible d'écrire dans le fichier PDF, "));
    }
}

void check_pdfExecute(RunCore& core)
{
    core.runStage(EtatRow::Pdf,
                  {QStringLiteral("Génération du PDF"), QStringLiteral("Génération du PDF"),
                   QStringLiteral("PDF en erreur !")},
                  [&core] { creation_pdfExecute(core); });
    if (core.appli_check_continue == 0)
        core.AddDebugText(QStringLiteral("le PDF a été correctement généré\r\n"), StyleBold,
                          ClGreen);
}

void image_pdfClick(RunCore& core)
{
    const QString path = core.attestationPath();
    if (QFileInfo(path).isFile()) {
        core.platform().openDocument(path);
        return;
    }
    core.platform().messageBox(QStringLiteral("Le fichier attestation.pdf est introuvable ! \rVeuillez "
                                         "relancer la procédure de lecture Carte Vitale"),
                          QStringLiteral("Erreur ouverture PDF..."),
                               MessageIcon::Information);
}

} // namespace kelvora::attestation
