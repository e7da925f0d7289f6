#include "tools/lecture.h"

#include "attestation/card_export.h"
#include "attestation/certificate_copy.h"
#include "diagnostics/log_save.h"
#include "platform/linux_platform.h"
#include "reading/reading.h"
#include "run/stage_names.h"
#include "update/update_service.h"

#include <istream>
#include <ostream>
#include <string>
#include <utility>
#include <termios.h>
#include <unistd.h>

namespace kelvora::admin
{

namespace
{

// The installation in a given folder, whatever KELVORA_PROGRAMDATA says.
class InstallationPlatform : public LinuxPlatform
{
public:
    explicit InstallationPlatform(QString folder) : folder_(std::move(folder)) {}
    QString commonAppDataFolder() override { return folder_; }

private:
    QString folder_;
};

// A screen that keeps what the run shows: the PIN and the first failure's label.
class ConsoleView : public RunView
{
public:
    QString pin;
    QString suivi;

    void showEtat(EtatRow, int) override {}
    void setSuivi(const QString& text, std::optional<quint32>) override { suivi = text; }
    void setSuivi2(const QString&, std::optional<quint32>) override {}
    void showPage(Page) override {}
    QString pinSaisi() const override { return pin; }
    void viderPin() override
    {
        pin.fill(QLatin1Char('\0'));
        pin.clear();
    }
    void setDiagnosticVisible(bool) override {}
    void setMiseAJourTexte(const QString&) override {}
    void setTelechargementVisible(bool) override {}
    void setProgression(bool, std::optional<int>) override {}
    void setSuiviTelechargement(bool, std::optional<QString>) override {}
    void setBarreTelechargement(bool) override {}
};

// No echo while the PIN is typed at a terminal; the terminal is restored however we leave.
class HiddenInput
{
public:
    HiddenInput()
    {
        if (::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved_) == 0) {
            termios quiet = saved_;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            active_ = ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
        }
    }
    ~HiddenInput()
    {
        if (active_)
            ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;
    bool active() const { return active_; }

private:
    termios saved_{};
    bool active_ = false;
};

QString readPin(std::istream& in, std::ostream& err)
{
    std::string line;
    {
        const HiddenInput hidden;
        if (hidden.active())
            err << "Code CPS : " << std::flush;
        std::getline(in, line);
        if (hidden.active())
            err << '\n';
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    const QString pin = QString::fromLocal8Bit(line);
    std::fill(line.begin(), line.end(), '\0');
    return pin;
}

} // namespace

namespace
{

// Writes one export where it was asked; false, with the reason on `err`, when it failed.
bool writeExport(const RunCore& core, attestation::FormatDonnees format, const QString& path,
                 std::ostream& out, std::ostream& progress, std::ostream& err)
{
    const char* what = format == attestation::FormatDonnees::Fhir ? "FHIR" : "JSON";
    if (path == QStringLiteral("-")) {
        const QByteArray bytes =
            attestation::donneesExportees(core.appli_vitale, core.appli_date_lecture, format);
        out.write(bytes.constData(), bytes.size());
        out.flush();
        if (!out) {
            err << "kelvora-admin : écriture des données (" << what
                << ") impossible sur la sortie standard\n";
            return false;
        }
        return true;
    }
    if (const auto why = attestation::enregistrerDonnees(core.appli_vitale, core.appli_date_lecture,
                                                         format, path)) {
        err << "kelvora-admin : données (" << what << ") impossibles à écrire dans "
            << path.toStdString() << " (" << why->reason.toStdString() << ")\n";
        return false;
    }
    progress << "Données (" << what << ") : " << path.toStdString() << '\n';
    return true;
}

} // namespace

int runLecture(const QString& programData, std::istream& pinInput, std::ostream& stdOut,
               std::ostream& err, const LectureOptions& options)
{
    // Data asked on standard output keeps it for itself; the stage lines go with the errors.
    const bool dataOnStdOut =
        options.jsonPath == QStringLiteral("-") || options.fhirPath == QStringLiteral("-");
    std::ostream& out = dataOnStdOut ? err : stdOut;
    const QString& copyFolder = options.copyFolder;
    InstallationPlatform platform(programData);
    platform.disableCoreDumps();
    ConsoleView view;
    view.pin = readPin(pinInput, err);
    if (view.pin.isEmpty()) {
        err << "kelvora-admin : aucun code CPS sur l'entrée standard\n";
        return 2;
    }

    ConsoleDialogs dialogs;
    RunCore core(platform, dialogs, view);
    core.FormCreate();
    if (core.appli_fin_demandee)
        return 1;
    UpdateService maj(core);
    action_vitale2Click(core, maj);
    view.pin.fill(QLatin1Char('\0'));

    const QString logPath = core.appli_dossier_commun + QLatin1Char('/') + core.appli_save_name;
    try {
        diagnostics::saveDebugLog(core.debug, logPath);
    } catch (const std::exception& e) {
        err << "kelvora-admin : " << e.what() << '\n';
    }

    int failed = -1;
    for (int i = 0; i < kEtatRowCount; ++i) {
        const auto row = static_cast<EtatRow>(i);
        out << etatRowCaption(row).toStdString() << " : "
            << etatIconName(core.etat(row)).toStdString() << '\n';
        if (failed < 0 && core.etat(row) == EtatEchec)
            failed = i;
    }
    if (failed >= 0) {
        err << "kelvora-admin : échec de l'étape « "
            << etatRowCaption(static_cast<EtatRow>(failed)).toStdString() << " » : "
            << view.suivi.toStdString() << " (journal : " << logPath.toStdString() << ")\n";
        return 1;
    }
    out << "Attestation : " << core.attestationPath().toStdString() << '\n';
    if (!copyFolder.isEmpty()) {
        const QString copy =
            copyFolder + QLatin1Char('/') +
            attestation::nomCopieAttestation(core.appli_vitale, core.appli_date_lecture.date());
        if (const auto why = attestation::enregistrerCopie(core.attestationPath(), copy)) {
            err << "kelvora-admin : copie impossible vers " << copy.toStdString() << " ("
                << why->reason.toStdString() << ")\n";
            return 1;
        }
        out << "Copie : " << copy.toStdString() << '\n';
    }
    bool written = true;
    for (const auto& [format, path] :
         {std::pair{attestation::FormatDonnees::Json, options.jsonPath},
          std::pair{attestation::FormatDonnees::Fhir, options.fhirPath}})
        if (!path.isEmpty() && !writeExport(core, format, path, stdOut, out, err))
            written = false;
    return written ? 0 : 1;
}

} // namespace kelvora::admin
