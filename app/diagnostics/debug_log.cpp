// The diagnostic log pane: text appended piece by piece, each with its own style and colour,
// and saved on demand as RTF.
#include "shell/tppal.h"
#include "shell/win_color.h"

using kelvora::toQColor;
using kelvora::toWinColor;

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <stdexcept>

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
    layout->addWidget(debug_texte, 1);
    btn_sauve_fichier = new QPushButton(QIcon(QStringLiteral(":/icons/sauver.svg")),
                                        QStringLiteral(" Sauver Fichier"), tab_debug);
    btn_sauve_fichier->setObjectName(QStringLiteral("btn_sauve_fichier"));
    btn_sauve_fichier->setFlat(true);
    btn_sauve_fichier->setCursor(Qt::PointingHandCursor);
    connect(btn_sauve_fichier, &QPushButton::clicked, this,
            [this] { guarded([this] { btn_sauve_fichierClick(); }); });
    layout->addWidget(btn_sauve_fichier, 0, Qt::AlignHCenter);
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

void Tppal::AddDebugText(const QString& AText, int AStyle, quint32 AColor)
{
    appendRich(debug_texte, AText, AStyle, AColor);
}

void Tppal::AddAboutText(const QString& AText, int AStyle, quint32 AColor)
{
    appendRich(about_texte, AText, AStyle, AColor);
}

QList<kelvora::RtfRun> Tppal::debugRuns() const
{
    QList<kelvora::RtfRun> runs;
    for (QTextBlock block = debug_texte->document()->begin(); block.isValid();
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            int style = 0;
            if (f.fontWeight() >= QFont::Bold)
                style |= StyleBold;
            if (f.fontItalic())
                style |= StyleItalic;
            if (f.fontUnderline())
                style |= StyleUnderline;
            if (f.fontStrikeOut())
                style |= StyleStrike;
            runs.append({fragment.text(), style, toWinColor(f.foreground().color())});
        }
        if (block.next().isValid())
            runs.append({QStringLiteral("\r\n"), StyleNone, ClBlack});
    }
    return runs;
}

void Tppal::btn_sauve_fichierClick()
{
    const QString chosen = platform().saveFileName(
        this, QStringLiteral("Sauvegarde du diagnostique Kelvora"),
        QStringLiteral("Fichier RTF (*.rtf)"), QStringLiteral("rtf"), appli_save_name);
    if (chosen.isEmpty())
        return;
    appli_save_name = chosen;
    // Written whole to a temporary file first, so a failed save never leaves half a file.
    QSaveFile file(chosen);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(kelvora::writeRtf(debugRuns(), QStringLiteral("Tahoma"), 8)) < 0 ||
        !file.commit()) {
        throw std::runtime_error(QStringLiteral("Impossible d'enregistrer le fichier « %1 » : %2")
                                     .arg(chosen, file.errorString())
                                     .toStdString());
    }
}

void Tppal::tab_debugShow()
{
    debug_texte->setFocus();
    QTextCursor cursor = debug_texte->textCursor();
    cursor.movePosition(QTextCursor::End);
    debug_texte->setTextCursor(cursor);
    debug_texte->ensureCursorVisible();
}
