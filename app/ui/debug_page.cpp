// The diagnostic log pane: shows the run core's log as it grows, each piece with its own style
// and colour; the save button writes it as RTF.
#include "ui/tppal.h"
#include "ui/win_color.h"

using kelvora::toQColor;

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace
{

QTextEdit* richPane(QWidget* parent, const char* name)
{
    auto* pane = new QTextEdit(parent);
    pane->setObjectName(QString::fromLatin1(name));
    pane->setReadOnly(true);
    pane->setFrameShape(QFrame::NoFrame);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setLineWrapMode(QTextEdit::NoWrap);
    pane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return pane;
}

} // namespace

void Tppal::buildDebugPage()
{
    auto* layout = new QVBoxLayout(tab_debug);
    layout->setContentsMargins(8, 8, 8, 8);
    debug_texte = richPane(tab_debug, "debug_texte");
    debug_texte->setAccessibleName(QStringLiteral("Diagnostic de la lecture"));
    layout->addWidget(debug_texte, 1);
    btn_sauve_fichier = new QPushButton(QIcon(QStringLiteral(":/icons/sauver.svg")),
                                        QStringLiteral(" Sauver Fichier"), tab_debug);
    btn_sauve_fichier->setObjectName(QStringLiteral("btn_sauve_fichier"));
    btn_sauve_fichier->setFlat(true);
    btn_sauve_fichier->setCursor(Qt::PointingHandCursor);
    connect(btn_sauve_fichier, &QPushButton::clicked, this,
            [this] { guarded([this] { btn_sauve_fichierClick(); }); });
    layout->addWidget(btn_sauve_fichier, 0, Qt::AlignHCenter);

    // The log from its start: what was written before the page was built.
    for (const kelvora::RtfRun& piece : core_->debug.runs())
        appendRich(debug_texte, piece.text, piece.style, piece.color);
}

void Tppal::appendRich(QTextEdit* pane, const QString& text, int style, quint32 color)
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

void Tppal::tab_debugShow()
{
    debug_texte->setFocus();
    QTextCursor cursor = debug_texte->textCursor();
    cursor.movePosition(QTextCursor::End);
    debug_texte->setTextCursor(cursor);
    debug_texte->ensureCursorVisible();
}
