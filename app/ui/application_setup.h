// What the program sets on the application before its window: Qt's own texts in French and
// the light look. Shared with the window tests, so they see what a user sees.
#pragma once

class QCoreApplication;

namespace kelvora::ui
{

// Loads Qt's French translations (file dialogs, context menus, standard buttons), whatever the
// system's language: the program speaks French only. False when they are not installed.
bool installFrenchTranslations(QCoreApplication& app);

// The windows' icon: the installed theme's when there is one, else the same drawing built into
// the program. Looking it up in the icon themes takes a while: the window sets it once its
// first frame is drawn, a box that comes before the window first.
void installWindowIcon();

// A light, flat look close to the Windows one the users know; nothing changes without it.
void applyLook();

} // namespace kelvora::ui
