// The rows of the stage display in one table: each row's caption, the object names of its icon
// and its label, and its place on the progress page. A new row is a value of EtatRow and a line
// of kEtatRows, plus the stage that sets it.
#pragma once

#include <array>
#include <cstddef>

// Rows of the stage display, in the order of the progress page; Count is not a row.
enum class EtatRow { Fichiers = 0, MiseAJour, Lecteur, Cartes, Informations, Pdf, Count };
inline constexpr int kEtatRowCount = static_cast<int>(EtatRow::Count);

namespace kelvora
{

// Where the progress page puts a row: a cell of its grid, or, in column kUnderGrid, alone on a
// line centred under the grid.
struct EtatRowPlace {
    int line;
    int column;
};
inline constexpr int kUnderGrid = -1;

struct EtatRowInfo {
    EtatRow row;
    const char* caption; // UTF-8
    // The object names support finds the row's widgets by.
    const char* iconName;
    const char* labelName;
    EtatRowPlace place;
};

inline constexpr std::array<EtatRowInfo, kEtatRowCount> kEtatRows{{
    {EtatRow::Fichiers, "Contrôle des fichiers", "Image_etat1", "label_etat1", {0, 0}},
    {EtatRow::MiseAJour, "Contrôle Mise à Jour", "Image_etat2b", "label_etat2b", {1, 0}},
    {EtatRow::Lecteur, "Initialisation du lecteur", "Image_etat3", "label_etat3", {0, 1}},
    {EtatRow::Cartes, "Contrôle cartes CPS & Vitale", "Image_etat4", "label_etat4", {1, 1}},
    {EtatRow::Informations, "Récupération informations", "Image_etat5", "label_etat5", {2, 1}},
    {EtatRow::Pdf, "Génération du PDF", "Image_etat6", "label_etat6", {0, kUnderGrid}},
}};

// Every row stands at its own index with its names: a row left out of the table, or put in
// the wrong place, stops the build here instead of showing an empty or missing row.
constexpr bool etatRowsComplete()
{
    for (std::size_t i = 0; i < kEtatRows.size(); ++i) {
        const EtatRowInfo& info = kEtatRows[i];
        if (info.row != static_cast<EtatRow>(i) || info.caption == nullptr ||
            info.iconName == nullptr || info.labelName == nullptr)
            return false;
    }
    return true;
}
static_assert(etatRowsComplete(), "kEtatRows needs one line per EtatRow, in the enum's order");

constexpr const EtatRowInfo& etatRowInfo(EtatRow row)
{
    return kEtatRows[static_cast<std::size_t>(row)];
}

} // namespace kelvora
