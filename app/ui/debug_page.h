// The diagnostic page: the run core's log as it grows, each piece in its own style and colour,
// and the button that saves it as RTF.
#pragma once

#include "base/rtf_writer.h"

#include <QList>
#include <QWidget>

class QPushButton;
class QTextEdit;

class DebugPage : public QWidget
{
    Q_OBJECT

public:
    explicit DebugPage(QWidget* parent);

    // Builds the widgets and shows the log from its start, `runs`.
    void build(const QList<kelvora::RtfRun>& runs);

    // The log's growth; ignored until the page is built, which then shows the whole log.
    void append(const QString& text, int style, quint32 color);
    void clear();
    // The pane takes the focus at the log's end, where the last run wrote.
    void showEnd();

    QTextEdit* debug_texte = nullptr;
    QPushButton* btn_sauve_fichier = nullptr;
};
