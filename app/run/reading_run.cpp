#include "run/reading_run.h"

namespace kelvora
{

namespace
{

// Clears the "run under way" mark however the run ends.
struct RunMark {
    bool& flag;
    explicit RunMark(bool& f) : flag(f) { flag = true; }
    ~RunMark() { flag = false; }
};

} // namespace

void runReading(RunCore& core, std::span<const ReadingStep> steps)
{
    // The toolbar and the home page stay reachable during a run; a second run must not
    // start in the middle of the first one's card calls.
    if (core.appli_run_en_cours)
        return;
    if (core.view().pinSaisi().isEmpty()) {
        core.dialogs().messageBox(
            QStringLiteral("La saisie du code CPS est obligatoire pour cette application"),
            QStringLiteral("Erreur code CPS"), MessageIcon::Information);
        return;
    }
    RunMark mark(core.appli_run_en_cours);
    core.guarded([&core, steps] {
        core.raz_etatExecute();
        core.dialogs().processEvents();
        core.view().showPage(Page::Lancement);
        core.view().setSuivi2(QStringLiteral("Traitement en cours"));
        core.view().setDiagnosticVisible(true);
        for (const ReadingStep& step : steps) {
            // The user quit during the last stage (its update check, say): no further card
            // call or file write.
            if (core.appli_quitte)
                return;
            if (step.heading != nullptr)
                core.AddDebugText(QString::fromUtf8(step.heading), StyleBold, ClBlue);
            step.stage();
            core.dialogs().processEvents();
        }
        if (core.appli_check_continue == 0 && !core.appli_quitte)
            core.view().showPage(Page::Pdf);
    });
}

} // namespace kelvora
