#include "run/run_core.h"

#include "store/connection.h"
#include "store/file_check.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <chrono>
#include <stdexcept>

namespace kelvora
{

namespace
{

QString commonFolder(Platform& platform)
{
    return platform.commonAppDataFolder() + QStringLiteral("/Talvix/kelvoraps");
}

std::unique_ptr<store::Connection> openStore(const std::string& path)
{
    return std::make_unique<store::Connection>(
        store::Connection::open(path, store::kStorePassword));
}

} // namespace

RunCore::RunCore(Platform& platform, UserDialogs& dialogs, RunView& view)
    : platform_(platform), dialogs_(dialogs), view_(view)
{
}

RunCore::PendingStore RunCore::openStoreInBackground(Platform& platform, std::future<bool> go)
{
    return std::async(
        std::launch::async,
        [path = (commonFolder(platform) + QStringLiteral("/attest.vqs")).toStdString(),
         go = std::move(go)]() mutable -> std::unique_ptr<store::Connection> {
            if (go.valid() && go.wait_for(std::chrono::seconds(1)) == std::future_status::ready &&
                !go.get())
                return nullptr;
            return openStore(path);
        });
}

store::Connection& RunCore::store()
{
    if (!Base_donnees)
        throw store::OpenError("Base de configuration non ouverte");
    return *Base_donnees;
}

RunCore::~RunCore() = default;

void RunCore::FormCreate()
{
    appli_nom = QStringLiteral("Kelvora");
    appli_logiciel = QStringLiteral("kelvoraps");
    appli_societe = QStringLiteral("Talvix");
    appli_version = QStringLiteral(KELVORA_VERSION);

    appli_dossier_commun = commonFolder(platform_);
    appli_dossier_apilec =
        platform_.commonAppDataFolder() + QStringLiteral("/santesocial/api_lec/");
    appli_dossier_apilec_force = appli_dossier_apilec.toLocal8Bit();
    // The reader library's configuration sits in its data folder on every platform.
    appli_ini_file = appli_dossier_apilec + QStringLiteral("api_lec.ini");

    appli_reader_lec = QStringLiteral("N/A");
    appli_url_update = QStringLiteral(KELVORA_UPDATE_URL);
    appli_url_logiciel = QStringLiteral(KELVORA_SITE_URL);

    raz_etatExecute();

    // What a save, a certificate or a download cut short by a crash may have left behind.
    io::removeStrayTemporaries(appli_dossier_commun,
                               {QStringLiteral("attestation.pdf"), QStringLiteral("attest.vqs"),
                                appli_logiciel + QStringLiteral("-last.exe"),
                                appli_logiciel + QStringLiteral("-last.exe.sig")});
    io::removeStrayTemporaries(appli_dossier_apilec, {QStringLiteral("api_lec.ini")});

    appli_apilec_version =
        platform_.fileVersion(platform_.executableFolder() + QStringLiteral("libapi_lec.so"));
    chargement_apilec();
    if (!pendingStore_.valid())
        CreationficheExecute();

    appli_maj_name =
        appli_dossier_commun + QLatin1Char('/') + appli_logiciel + QStringLiteral("-last.exe");
}

void RunCore::chargement_apilec()
{
    appli_apilec.load(platform_, platform_.executableFolder());
}

void RunCore::CreationficheExecute()
{
    const QString caption = QStringLiteral("Erreur au chargement...");
    const QString path = appli_dossier_commun + QStringLiteral("/attest.vqs");
    // The cause goes to the log and, on a line of its own, under the box's words.
    const auto logCause = [this, &path](const QString& cause) {
        AddDebugText(QStringLiteral("Base de configuration %1 : %2\r\n").arg(path, cause),
                     StyleBold, ClRed);
        return QStringLiteral("\rCause : ") + cause;
    };
    const auto corrupted = [this, &caption](const QString& cause) {
        dialogs_.messageBox(QStringLiteral("Base de données corromptue ! \rVeuillez "
                                           "réinstaller l'application") +
                                cause,
                            caption, MessageIcon::Information);
        Base_donnees.reset();
        appli_fin_demandee = true;
        dialogs_.requestQuit();
    };
    try {
        // An opening started in the background ends here, with the same failures.
        Base_donnees = pendingStore_.valid() ? pendingStore_.get() : openStore(path.toStdString());
    } catch (const std::exception& e) {
        Base_donnees.reset();
        // What the file itself shows first, then the engine's words.
        const QString engine = QString::fromUtf8(e.what());
        const QString seen = QString::fromStdString(store::storeFileCause(path.toStdString()));
        const QString causeLine = logCause(seen.isEmpty() ? engine : seen);
        if (!seen.isEmpty())
            AddDebugText(engine + QStringLiteral("\r\n"), StyleNone, ClBlack);
        dialogs_.messageBox(QStringLiteral("Impossible de charger le système de configuration ! "
                                           "\rVeuillez réinstaller l'application") +
                                causeLine,
                            caption, MessageIcon::Information);
        appli_fin_demandee = true;
        dialogs_.requestQuit();
    }

    // A store that did not open is told as corrupted too, after the box above.
    if (!Base_donnees) {
        corrupted({});
        return;
    }
    try {
        appli_maj_date = store::readDateMaj(*Base_donnees);
    } catch (const std::exception& e) {
        corrupted(logCause(QString::fromUtf8(e.what())));
    }
}

void RunCore::setEtat(EtatRow row, int icon)
{
    appli_etats[std::size_t(row)] = icon;
    view_.showEtat(row, icon);
}

void RunCore::raz_etatExecute()
{
    appli_check_continue = 0;
    appli_check_continue2 = 0;
    view_.setSuivi(QStringLiteral("Attente du lancement..."), ClBlack);
    view_.setSuivi2(QStringLiteral("Attente du lancement..."), ClBlack);
    view_.setMiseAJourTexte(QStringLiteral("Contrôle en cours..."));
    // A download is offered only by the check that follows, never by an earlier one.
    view_.setTelechargementVisible(false);
    view_.showPage(Page::Carte);
    for (int i = 0; i < kEtatRowCount; ++i)
        setEtat(static_cast<EtatRow>(i), EtatAttente);
}

void RunCore::runStage(EtatRow row, const StageTexts& texts,
                       const std::function<StageResult()>& work, bool letRepaint)
{
    setEtat(row, EtatEnCours);
    if (appli_check_continue2 == 0) {
        AddDebugText(QStringLiteral("\r\n") + texts.title + QStringLiteral("\r\n"),
                     StyleBold | StyleUnderline, ClBlack);
        view_.setSuivi(texts.activity);
    }
    if (letRepaint)
        dialogs_.processEvents();
    StageResult result;
    if (appli_check_continue == 0) {
        try {
            result = work();
        } catch (const store::StoreError& e) {
            // The store failing under a stage fails that stage, not the whole window: the run
            // goes on through the contract, so the cards are still released and no page is
            // left in progress.
            AddDebugText(QStringLiteral("Erreur de la base de configuration : ") +
                             QString::fromUtf8(e.what()) + QStringLiteral("\r\n"),
                         StyleBold, ClRed);
            result = StageResult::failure(QStringLiteral("Base de configuration inutilisable !"));
        }
    }
    if (result.outcome == StageResult::Outcome::Unfinished)
        return;
    if (result.failed())
        appli_check_continue = 1;
    if (appli_check_continue == 1) {
        if (appli_check_continue2 == 0) {
            appli_check_continue2 = 1;
            view_.setSuivi(result.suivi.isEmpty() ? texts.failure : result.suivi, ClMaroon);
            view_.setSuivi2(result.suivi2.isEmpty()
                                ? QStringLiteral("Consulter le diagnostic pour plus d'informations")
                                : result.suivi2,
                            ClMaroon);
        }
        setEtat(row, EtatEchec);
    } else {
        setEtat(row, EtatValide);
    }
}

bool RunCore::storeSettled() const
{
    return !pendingStore_.valid() ||
           pendingStore_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

bool RunCore::awaitStore()
{
    if (!pendingStore_.valid())
        return true;
    CreationficheExecute();
    return Base_donnees != nullptr;
}

void RunCore::guarded(const std::function<void()>& handler)
{
    awaitStore();
    try {
        handler();
    } catch (const std::exception& e) {
        dialogs_.messageBox(QString::fromUtf8(e.what()), appli_nom, MessageIcon::Error);
    }
}

QString RunCore::attestationPath() const
{
    return appli_dossier_commun + QStringLiteral("/attestation.pdf");
}

} // namespace kelvora
