// The diagnostic log pane: shows the run core's log as it grows, each piece with its own style
// and colour; the save button writes it as RTF.
#include "ui/debug_page.h"

#include "ui/page_style.h"

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

DebugPage::DebugPage(QWidget* parent) : QWidget(parent) {}

void DebugPage::build(const QList<kelvora::RtfRun>& runs)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    debug_texte = richPane(this, "debug_texte");
    debug_texte->setAccessibleName(QStringLiteral("Diagnostic de la lecture"));
    layout->addWidget(debug_texte, 1);
    btn_sauve_fichier = new QPushButton(QIcon(QStringLiteral(":/icons/sauver.svg")),
                                        QStringLiteral(" Sauver Fichier"), this);
    btn_sauve_fichier->setObjectName(QStringLiteral("btn_sauve_fichier"));
    btn_sauve_fichier->setFlat(true);
    btn_sauve_fichier->setCursor(Qt::PointingHandCursor);
    layout->addWidget(btn_sauve_fichier, 0, Qt::AlignHCenter);

    // The log from its start: what was written before the page was built.
    for (const kelvora::RtfRun& piece : runs)
        kelvora::ui::appendRich(debug_texte, piece.text, piece.style, piece.color);
}

void DebugPage::append(const QString& text, int style, quint32 color)
{
    if (debug_texte)
        kelvora::ui::appendRich(debug_texte, text, style, color);
}

void DebugPage::clear()
{
    if (debug_texte)
        debug_texte->clear();
}

void DebugPage::showEnd()
{
    debug_texte->setFocus();
    QTextCursor cursor = debug_texte->textCursor();
    cursor.movePosition(QTextCursor::End);
    debug_texte->setTextCursor(cursor);
    debug_texte->ensureCursorVisible();
}
