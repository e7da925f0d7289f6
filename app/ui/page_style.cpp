#include "ui/page_style.h"

#include "run/run_types.h"
#include "ui/win_color.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

namespace kelvora::ui
{

namespace
{

class EnterClicks : public QObject
{
public:
    explicit EnterClicks(QToolButton* button) : QObject(button), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == button_ && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                button_->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QToolButton* button_;
};

} // namespace

QFont pixelFont(const QWidget* widget, int pixels, bool bold, bool italic)
{
    QFont f = widget->window()->font();
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void setLabelColor(QLabel* label, quint32 color)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, toQColor(color));
    label->setPalette(pal);
}

quint32 labelColor(const QLabel* label)
{
    return toWinColor(label->palette().color(QPalette::WindowText));
}

void appendRich(QTextEdit* pane, const QString& text, int style, quint32 color)
{
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setFontWeight((style & StyleBold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style & StyleItalic);
    format.setFontUnderline(style & StyleUnderline);
    format.setFontStrikeOut(style & StyleStrike);
    format.setForeground(toQColor(color));
    // The pane keeps paragraphs as blocks; a lone CR or LF breaks the line as CR LF does.
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    cursor.insertText(body, format);
}

void clickOnEnter(QToolButton* button)
{
    button->installEventFilter(new EnterClicks(button));
}

} // namespace kelvora::ui
