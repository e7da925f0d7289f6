#include "common/update_outcome.h"

#include <array>
#include <charconv>
#include <cmath>

namespace kelvora::update
{

namespace
{

struct Reason {
    InstallerExit code;
    bool transfer;
    const char* text;
};

const std::array kReasons = {
    Reason{InstallerExit::Usage, false,
           "L'assistant de mise à jour ne prend aucun argument : il a été mal lancé."},
    Reason{InstallerExit::NotRoot, false,
           "L'assistant de mise à jour doit être lancé en administrateur (root), par pkexec."},
    Reason{InstallerExit::Busy, false,
           "Une autre mise à jour de Kelvora est déjà en cours sur ce poste."},
    Reason{InstallerExit::Interrupted, false,
           "Une installation de paquets a été interrompue sur ce poste : l'administrateur doit "
           "d'abord lancer « dpkg --configure -a »."},
    Reason{InstallerExit::Locked, false,
           "Une autre installation de logiciels est en cours sur ce poste (le verrou de dpkg est "
           "pris) : réessayez quand elle sera terminée."},
    Reason{InstallerExit::Expired, true,
           "Les informations de mise à jour publiées par Kelvora ont expiré… La mise à jour est "
           "refusée ; vérifiez aussi la date de ce poste."},
    Reason{InstallerExit::BadSignature, true,
           "Les informations de mise à jour n'ont pas de signature valide de Kelvora : la mise "
           "à jour est refusée."},
    Reason{InstallerExit::BadHash, true,
           "Un fichier téléchargé ne correspond pas à ce que Kelvora a signé : la mise à jour "
           "est refusée."},
    Reason{InstallerExit::UpToDate, false,
           "Le dépôt de Kelvora ne propose pas de version plus récente que celle installée."},
    Reason{InstallerExit::NoSpace, false,
           "Il n'y a plus assez de place sur le disque pour installer la mise à jour."},
    Reason{InstallerExit::Unreachable, true,
           "Le dépôt des mises à jour de Kelvora est injoignable."},
    Reason{InstallerExit::Failed, false, "L'installation du paquet a échoué."},
    Reason{InstallerExit::WorkFolder, false, "Impossible de préparer le dossier d'installation."},
    Reason{InstallerExit::TooLong, true,
           "Le téléchargement de la mise à jour a dépassé le temps permis : il a été abandonné."},
    Reason{InstallerExit::NotInstalled, false,
           "Kelvora n'est pas installé par un paquet sur ce poste : la mise à jour ne peut pas "
           "être installée."},
    Reason{InstallerExit::Limits, false,
           "Les limites de ressources imposées à l'assistant de mise à jour n'ont pas pu être "
           "levées : la mise à jour n'est pas lancée."},
    Reason{InstallerExit::LockLink, false,
           "Le verrou de l'assistant de mise à jour (/run/kelvora-installer.lock) est un lien "
           "symbolique, que l'assistant ne suit pas : l'administrateur doit le supprimer."},
};

const Reason* reasonOf(int code)
{
    for (const Reason& reason : kReasons)
        if (static_cast<int>(reason.code) == code)
            return &reason;
    return nullptr;
}

constexpr std::string_view kProgress = "progression:";

// The percentage of apt's status line: "dlstatus:1:42.5000:Retrieving file 1 of 1".
std::optional<double> aptPercent(std::string_view line, std::string_view prefix)
{
    if (line.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    std::string_view rest = line.substr(prefix.size());
    const std::size_t first = rest.find(':');
    if (first == std::string_view::npos)
        return std::nullopt;
    rest = rest.substr(first + 1);
    const std::string_view number = rest.substr(0, rest.find(':'));
    // from_chars: the helper and the program never read numbers through the process locale.
    double percent = -1;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), percent);
    if (error != std::errc() || end != number.data() + number.size() || percent < 0 ||
        percent > 100)
        return std::nullopt;
    return percent;
}

} // namespace

std::string installerReason(int code)
{
    const Reason* reason = reasonOf(code);
    return reason ? reason->text : std::string();
}

bool isTransferFailure(int code)
{
    const Reason* reason = reasonOf(code);
    return reason && reason->transfer;
}

std::string progressLine(const Progress& progress)
{
    return std::string(kProgress) + std::to_string(progress.percent) + ':' + progress.text;
}

std::optional<Progress> parseProgressLine(std::string_view line)
{
    if (line.substr(0, kProgress.size()) != kProgress)
        return std::nullopt;
    line.remove_prefix(kProgress.size());
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    int percent = -1;
    const auto [end, error] = std::from_chars(line.data(), line.data() + colon, percent);
    if (error != std::errc() || end != line.data() + colon || percent < 0 || percent > 100)
        return std::nullopt;
    return Progress{percent, std::string(line.substr(colon + 1))};
}

std::optional<Progress> progressFromAptStatus(std::string_view line)
{
    if (const auto download = aptPercent(line, "dlstatus:"))
        return Progress{static_cast<int>(std::lround(*download / 2)),
                        "Téléchargement de la mise à jour"};
    if (const auto install = aptPercent(line, "pmstatus:"))
        return Progress{50 + static_cast<int>(std::lround(*install / 2)),
                        "Installation de la mise à jour"};
    return std::nullopt;
}

} // namespace kelvora::update
