// The PDF stage: the certificate written from the Vitale record, and its opening afterwards.
#include "attestation/pdf_stage.h"

#include "attestation/attestation_layout.h"
#include "attestation/attestation_logo.h"
#include "attestation/certificate_copy.h"
#include "pdf/images/pr_image.h"
#include "platform/save_path.h"

#include "base/durable_file.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <exception>
#include <unistd.h>

namespace kelvora::attestation
{

StageResult creation_pdfExecute(RunCore& core)
{
    const QString path = core.attestationPath();
    const auto failed = [&core](const QString& why, const std::optional<Failure>& cause) {
        StageResult result = StageResult::failure();
        core.AddDebugText(why, StyleNone, ClBlack);
        core.AddDebugText(QStringLiteral("génération impossible\r\n"), StyleBold, ClRed);
        if (cause) {
            core.AddDebugText(QStringLiteral("Cause : ") + cause->reason + QStringLiteral("\r\n"),
                              StyleNone, ClBlack);
            if (cause->error == EISDIR)
                result.suivi = QStringLiteral("Un dossier porte le nom du PDF !");
        }
        return result;
    };

    // Emptied before anything else: a viewer holding the file stops the stage here, and a
    // failed reading never leaves the previous patient's certificate in its place. The
    // certificate is then written into this same file: a folder that takes no new files but
    // holds a writable attestation.pdf still gets its certificate.
    io::FileHandle target;
    if (const auto cause = io::createOrEmpty(path, target)) {
        return failed(QStringLiteral("le fichier PDF est déjà ouvert, "), cause);
    }

    std::string bytes;
    try {
        kelvora::pdf::TPRJpegImage logo;
        loadAttestationLogo(logo,
                            core.platform().executableFolder() + QLatin1String(kLogoFileName));
        core.appli_date_lecture = core.platform().now();
        bytes =
            attestationBytes(core.appli_vitale, *logo.Picture().Graphic(), core.appli_date_lecture);
    } catch (const std::exception&) {
        return failed(QStringLiteral("Impossible d'écrire dans le fichier PDF, "), std::nullopt);
    }

    // Built whole in memory first; a failed write (a full disk) leaves the file empty, never
    // half a certificate that a viewer might show as valid.
    auto cause = io::writeAndSync(target.fd(), QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                  core.writeFunction);
    if (!cause)
        cause = target.close();
    if (cause) {
        if (!target.isOpen())
            io::createOrEmpty(path, target);
        else if (::ftruncate(target.fd(), 0) != 0) {
            // Already failing: the reason given is the write's, not the emptying's.
        }
        return failed(QStringLiteral("Impossible d'écrire dans le fichier PDF, "), cause);
    }
    return StageResult::succeeded();
}

void check_pdfExecute(RunCore& core)
{
    core.runStage(EtatRow::Pdf,
                  {QStringLiteral("Génération du PDF"), QStringLiteral("Génération du PDF"),
                   QStringLiteral("PDF en erreur !")},
                  [&core] { return creation_pdfExecute(core); });
    if (core.appli_check_continue == 0)
        core.AddDebugText(QStringLiteral("le PDF a été correctement généré\r\n"), StyleBold,
                          ClGreen);
}

void image_pdfClick(RunCore& core)
{
    const QString path = core.attestationPath();
    if (QFileInfo(path).isFile()) {
        // Without a viewer the click would otherwise do nothing at all.
        if (!core.platform().openDocument(path))
            core.dialogs().messageBox(
                QStringLiteral("Aucun lecteur de PDF n'a pu ouvrir l'attestation.\r"
                               "Installez un lecteur de PDF, ou ouvrez le fichier vous-même "
                               "depuis le gestionnaire de fichiers :\r%1")
                    .arg(QDir::toNativeSeparators(path)),
                QStringLiteral("Erreur ouverture PDF..."), MessageIcon::Error);
        return;
    }
    core.dialogs().messageBox(
        QStringLiteral("Le fichier attestation.pdf est introuvable ! \rVeuillez "
                       "relancer la procédure de lecture Carte Vitale"),
        QStringLiteral("Erreur ouverture PDF..."), MessageIcon::Information);
}

void btn_copieClick(RunCore& core)
{
    const QString caption = QStringLiteral("Copie de l'attestation");
    const QString proposed = proposedSavePath(
        core.platform(), nomCopieAttestation(core.appli_vitale, core.appli_date_lecture.date()));
    const QString chosen = core.dialogs().saveFileName(
        QStringLiteral("Enregistrer une copie de l'attestation"),
        QStringLiteral("Document PDF (*.pdf)"), QStringLiteral("pdf"), proposed);
    if (chosen.isEmpty())
        return;
    if (const auto why = enregistrerCopie(core.attestationPath(), chosen)) {
        core.dialogs().messageBox(QStringLiteral("Impossible d'enregistrer la copie « %1 » (%2).")
                                      .arg(chosen, why->reason),
                                  caption, MessageIcon::Error);
        return;
    }
    core.dialogs().messageBox(
        QStringLiteral("L'attestation a été enregistrée sous « %1 ».").arg(chosen), caption,
        MessageIcon::Information);
}

namespace
{

// A reason ends where the sentence built around it puts its own full stop.
QString withoutFinalStop(QString reason)
{
    reason = reason.trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason;
}

} // namespace

void btn_imprimerClick(RunCore& core)
{
    const QString caption = QStringLiteral("Impression de l'attestation");
    const QString path = core.attestationPath();
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0) {
        image_pdfClick(core);
        return;
    }
    if (const auto why = core.platform().printDocument(path)) {
        core.dialogs().messageBox(
            QStringLiteral("Impossible d'imprimer l'attestation : %1.\rOuvrez le PDF en cliquant "
                           "sur son icône, puis imprimez-le depuis le lecteur de PDF.")
                .arg(withoutFinalStop(why->reason)),
            caption, MessageIcon::Error);
        return;
    }
    core.dialogs().messageBox(QStringLiteral("L'attestation a été envoyée à l'imprimante."),
                              caption, MessageIcon::Information);
}

} // namespace kelvora::attestation
