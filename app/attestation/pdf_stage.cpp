// The PDF stage: the certificate written from the Vitale record, and its opening afterwards.
#include "attestation/attestation_layout.h"
#include "attestation/attestation_logo.h"
#include "pdf/images/pr_image.h"
#include "shell/tppal.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <exception>
#include <sstream>
#include <stdexcept>

QString Tppal::attestationPath() const
{
    return appli_dossier_commun + QStringLiteral("/attestation.pdf");
}

void Tppal::creation_pdfExecute()
{
    const QString path = attestationPath();
    const auto failed = [this](const QString& why) {
        AddDebugText(why, StyleNone, ClBlack);
        AddDebugText(QStringLiteral("génération impossible\r\n"), StyleBold, ClRed);
        appli_check_continue = 1;
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
        kelvora::loadAttestationLogo(logo, platform().executableFolder() +
                                               QLatin1String(kelvora::kLogoFileName));
        std::ostringstream document;
        kelvora::writeAttestation(document, appli_vitale, *logo.Picture().Graphic(),
                                  platform().now());
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

void Tppal::check_pdfExecute()
{
    runStage(EtatRow::Pdf,
             {QStringLiteral("Génération du PDF"), QStringLiteral("Génération du PDF"),
              QStringLiteral("PDF en erreur !")},
             [this] { creation_pdfExecute(); });
    if (appli_check_continue == 0)
        AddDebugText(QStringLiteral("le PDF a été correctement généré\r\n"), StyleBold, ClGreen);
}

void Tppal::image_pdfClick()
{
    const QString path = attestationPath();
    if (QFileInfo(path).isFile()) {
        platform().openDocument(path);
        return;
    }
    platform().messageBox(QStringLiteral("Le fichier attestation.pdf est introuvable ! \rVeuillez "
                                         "relancer la procédure de lecture Carte Vitale"),
                          QStringLiteral("Erreur ouverture PDF..."),
                          kelvora::MessageIcon::Information);
}
