// The small vocabulary every stage and every screen shares: rows, icons, colours, styles.
#pragma once

#include "run/etat_rows.h"

#include <QtGlobal>

// Icons of the stage display (indexes of the image list).
enum EtatIcon { EtatAttente = 0, EtatEnCours = 1, EtatValide = 2, EtatEchec = 3, EtatNonTeste = 4 };

// Windows colour values (00BBGGRR) used by the log and the labels.
enum : quint32 {
    ClBlack = 0,
    ClRed = 255,
    ClGreen = 32768,
    ClBlue = 16711680,
    ClMaroon = 128,
};

// Font-style bits of a piece of log text.
enum : int { StyleNone = 0, StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrike = 8 };

namespace kelvora
{

// The pages of the main window a run may bring forward.
enum class Page { Carte, Lancement, Diagnostic, MiseAJour, Pdf, APropos, Gestion };

} // namespace kelvora
