// What a run asks of whoever faces the user: message boxes, the save dialog, and the event
// loop they live in. The window answers with Qt's widgets; without a window, ConsoleDialogs.
#pragma once

#include <QString>
#include <QStringList>

namespace kelvora
{

enum class MessageIcon { Information, Error };

// What a save dialog with several kinds of file answered: the path (empty when cancelled) and
// the index of the kind the user chose.
struct SaveChoice {
    QString path;
    int filter = 0;
};

class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    virtual void messageBox(const QString& text, const QString& caption, MessageIcon icon) = 0;
    // Save dialog; returns the chosen path, or an empty text when the user cancels.
    virtual QString saveFileName(const QString& title, const QString& filter,
                                 const QString& defaultSuffix, const QString& initialName) = 0;
    // The same with one filter per kind of file, the first one chosen at the start.
    virtual SaveChoice saveFileChoice(const QString& title, const QStringList& filters,
                                      const QString& defaultSuffix, const QString& initialName)
    {
        return {saveFileName(title, filters.join(QStringLiteral(";;")), defaultSuffix, initialName),
                0};
    }
    // Lets the window repaint in the middle of a long sequence.
    virtual void processEvents() = 0;
    // Asks the application to end once control is back in the event loop.
    virtual void requestQuit() = 0;

protected:
    // A box's text breaks its lines the Windows way ("\r", "\r\n"); shown, they are "\n".
    static QString unixLines(const QString& text);
};

// Without a window: each message on the error output, every save dialog cancelled.
class ConsoleDialogs : public UserDialogs
{
public:
    void messageBox(const QString& text, const QString& caption, MessageIcon icon) override;
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    void processEvents() override;
    void requestQuit() override;
};

} // namespace kelvora
