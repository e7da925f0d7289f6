// What a run needs from a screen. The window implements it with its widgets; a reading
// without a screen (kelvora-admin lecture) and the stage tests implement it in memory.
#pragma once

#include "run/run_types.h"

#include <QString>
#include <optional>

namespace kelvora
{

class RunView
{
public:
    virtual ~RunView() = default;

    // The icon of one row of the stage display.
    virtual void showEtat(EtatRow row, int icon) = 0;
    // The two follow-up labels of the progress page; the colour changes only when given.
    virtual void setSuivi(const QString& text, std::optional<quint32> color = {}) = 0;
    virtual void setSuivi2(const QString& text, std::optional<quint32> color = {}) = 0;
    virtual void showPage(Page page) = 0;
    // The PIN as typed, and emptying its field (with the focus in it) after a wrong PIN.
    virtual QString pinSaisi() const = 0;
    virtual void viderPin() = 0;
    // The toolbar's " Diagnostic" button.
    virtual void setDiagnosticVisible(bool visible) = 0;

    // --- The update page ---
    virtual void setMiseAJourTexte(const QString& text) = 0;
    virtual void setTelechargementVisible(bool visible) = 0;
    // The progress bar and the progress text; a value or text is changed only when given.
    virtual void setProgression(bool visible, std::optional<int> percent = {}) = 0;
    virtual void setSuiviTelechargement(bool visible, std::optional<QString> text = {}) = 0;
    // The toolbar buttons a download hides (" Gestion" stays).
    virtual void setBarreTelechargement(bool visible) = 0;
};

} // namespace kelvora
