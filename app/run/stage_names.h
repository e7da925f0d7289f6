// The words the stage display uses: each row's caption and each state's name.
#pragma once

#include "run/run_types.h"

#include <QString>

namespace kelvora
{

// The caption of a row as the progress page shows it, e.g. « Contrôle Mise à Jour ».
QString etatRowCaption(EtatRow row);
// The state an icon stands for, in words, e.g. « validée ».
QString etatIconName(int icon);

} // namespace kelvora
