// What every page draws with: the window's font at a pixel height, a label's text colour in
// the Windows colour values the run core speaks, styled text appended to a rich pane, and
// icons that answer Enter.
#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QTextEdit;
class QToolButton;
class QWidget;

namespace kelvora::ui
{

// The font of the window holding `widget`, at a pixel height.
QFont pixelFont(const QWidget* widget, int pixels, bool bold = false, bool italic = false);

void setLabelColor(QLabel* label, quint32 color);
quint32 labelColor(const QLabel* label);

// `style` is a mask of StyleBold, StyleItalic, ...; `color` a Windows colour value.
void appendRich(QTextEdit* pane, const QString& text, int style, quint32 color);

// Enter on the button clicks it: a tool button answers Space only.
void clickOnEnter(QToolButton* button);

} // namespace kelvora::ui
