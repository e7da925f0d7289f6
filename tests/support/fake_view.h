// A screen in memory for runs without a window: it keeps what the run shows.
#pragma once

#include "run/run_view.h"

#include <array>

namespace kelvora::testing
{

class FakeView : public RunView
{
public:
    std::array<int, kEtatRowCount> etats{};
    QString suivi;
    quint32 suiviColor = ClBlack;
    QString suivi2;
    Page page = Page::Carte;
    QString pin;
    int pinEmptied = 0;
    bool diagnosticVisible = false;
    QString miseAJourTexte;
    bool telechargementVisible = false;
    bool progressionVisible = false;
    int progression = 0;
    bool suiviTelechargementVisible = false;
    QString suiviTelechargement;
    bool barreTelechargement = true;

    void showEtat(EtatRow row, int icon) override { etats[std::size_t(row)] = icon; }
    void setSuivi(const QString& text, std::optional<quint32> color) override
    {
        suivi = text;
        if (color)
            suiviColor = *color;
    }
    void setSuivi2(const QString& text, std::optional<quint32>) override { suivi2 = text; }
    void showPage(Page p) override { page = p; }
    QString pinSaisi() const override { return pin; }
    void viderPin() override
    {
        pin.clear();
        ++pinEmptied;
    }
    void setDiagnosticVisible(bool visible) override { diagnosticVisible = visible; }
    void setMiseAJourTexte(const QString& text) override { miseAJourTexte = text; }
    void setTelechargementVisible(bool visible) override { telechargementVisible = visible; }
    void setProgression(bool visible, std::optional<int> percent) override
    {
        progressionVisible = visible;
        if (percent)
            progression = *percent;
    }
    void setSuiviTelechargement(bool visible, std::optional<QString> text) override
    {
        suiviTelechargementVisible = visible;
        if (text)
            suiviTelechargement = *text;
    }
    void setBarreTelechargement(bool visible) override { barreTelechargement = visible; }
};

} // namespace kelvora::testing
