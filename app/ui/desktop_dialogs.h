// The desktop's answers to what a run asks of the user: Qt's message boxes and save dialog,
// over the window that is active; the event loop is the same with or without a window.
#pragma once

#include "run/user_dialogs.h"

namespace kelvora
{

class DesktopDialogs : public ConsoleDialogs
{
public:
    void messageBox(const QString& text, const QString& caption, MessageIcon icon) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& defaultSuffix,
                         const QString& initialName) override;
    SaveChoice saveFileChoice(const QString& title, const QStringList& filters,
                              const QString& defaultSuffix, const QString& initialName) override;
};

} // namespace kelvora
