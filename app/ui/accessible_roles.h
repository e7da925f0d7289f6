// Widgets whose role assistive technology is told, where Qt would expose a plain frame: the
// result of a run, read aloud when it takes the focus, and the row of tool buttons.
#pragma once

#include <QFrame>

namespace kelvora::ui
{

// A run's outcome: exposed as an alert whose name is the message. announce() gives it the focus
// anew, so a screen reader reads the message even when the focus was already there.
class SpokenStatus : public QFrame
{
    Q_OBJECT

public:
    explicit SpokenStatus(QWidget* parent);
    void setMessage(const QString& message);
    void announce();

protected:
    // A focus frame around the message; otherwise the page looks as without it.
    void paintEvent(QPaintEvent* event) override;
};

// The window's row of tool buttons, exposed as a tool bar; drawn on a light grey band with a
// line under it.
class ToolBarFrame : public QFrame
{
    Q_OBJECT

public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Tells Qt's accessibility layer about the two classes above; once per process is enough.
void installAccessibleRoles();

} // namespace kelvora::ui
