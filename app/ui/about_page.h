// The About page: who makes the program, which versions are installed, and two links. The
// text, known at start-up, is kept until the page is built.
#pragma once

#include "base/rtf_writer.h"

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;
class QTextEdit;

class AboutPage : public QWidget
{
    Q_OBJECT

public:
    explicit AboutPage(QWidget* parent);

    void build();
    void setText(const QList<kelvora::RtfRun>& runs);

    QLabel* lbl_about1 = nullptr;
    QLabel* lbl_about2 = nullptr;
    QTextEdit* about_texte = nullptr;
    QPushButton* lbl_link3 = nullptr;
    QPushButton* lbl_link2 = nullptr;

private:
    QList<kelvora::RtfRun> runs_;
};
