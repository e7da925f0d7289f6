// The reading run: one click on the card icon runs every stage in a fixed order.
#include "shell/text_format.h"
#include "shell/tppal.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

namespace
{

// Clears the "run under way" mark however the run ends.
struct RunMark {
    bool& flag;
    explicit RunMark(bool& f) : flag(f) { flag = true; }
    ~RunMark() { flag = false; }
};

} // namespace

void Tppal::action_vitale2Click()
{
    // The toolbar and the home page stay reachable during a run; a second run must not
    // start in the middle of the first one's card calls.
    if (appli_run_en_cours)
        return;
    if (pin_cps->text().isEmpty()) {
        platform().messageBox(
            QStringLiteral("La saisie du code CPS est obligatoire pour cette application"),
            QStringLiteral("Erreur code CPS"), kelvora::MessageIcon::Information);
        return;
    }
    RunMark mark(appli_run_en_cours);
    guarded([this] {
        const auto heading = [this](const char* text) {
            AddDebugText(QString::fromUtf8(text), StyleBold, ClBlue);
        };
        raz_etatExecute();
        platform().processEvents();
        tab_master->setCurrentWidget(tab_launch);
        label_suivi2->setText(QStringLiteral("Traitement en cours"));
        btn_diagnostique->setVisible(true);

        debug_modeExecute();
        platform().processEvents();

        heading("\r\n### Fichiers");
        check_fichiersExecute();
        platform().processEvents();

        heading("\r\n### Mise à Jour");
        AddDebugText(QStringLiteral("\r\nPréparation Mise à Jour\r\n"), StyleBold | StyleUnderline,
                     ClBlack);
        const qint32 today = kelvora::dateNumber(platform().now().date());
        appli_maj_date_test = QString::number(appli_maj_date);
        appli_maj_date_format = kelvora::formatMajDate(appli_maj_date);
        if (appli_maj_date < today) {
            AddDebugText(QStringLiteral("Dernier contrôle dépassé (") + appli_maj_date_format +
                             QStringLiteral(")\r\n"),
                         StyleNone, ClBlack);
            check_majExecute();
        } else {
            AddDebugText(QStringLiteral("Dernier contrôle ce jour (") + appli_maj_date_format +
                             QStringLiteral(")\r\n"),
                         StyleNone, ClBlack);
            setEtat(EtatRow::MiseAJour, EtatNonTeste);
        }
        platform().processEvents();

        const std::pair<const char*, void (Tppal::*)()> stages[] = {
            {"\r\n### Liste Lecteurs", &Tppal::check_ListelecteursExecute},
            {"\r\n### Initialisation Lecteurs", &Tppal::check_initlecteursExecute},
            {"\r\n### Lecteur CPS", &Tppal::check_lecteurCPSExecute},
            {"\r\n### Lecteur Vitale", &Tppal::check_lecteurExecute},
            {"\r\n### Gestion CPS", &Tppal::check_CPSExecute},
            {"\r\n### Controle CPS", &Tppal::controle_CPSExecute},
            {"\r\n### Gestion Vitale", &Tppal::check_vitaleExecute},
            {"\r\n### Traitement des Données", &Tppal::check_donneesExecute},
            {"\r\n### Génération PDF", &Tppal::check_pdfExecute},
        };
        for (const auto& [text, stage] : stages) {
            heading(text);
            (this->*stage)();
            platform().processEvents();
        }

        if (appli_check_continue == 0)
            tab_master->setCurrentWidget(tab_pdf);
    });
}
