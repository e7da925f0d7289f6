// The PDF page shown at the end of a successful reading: the certificate's icon, whose
// patient it is, and the buttons for a copy, the card's data and the printer.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

class PdfPage : public QWidget
{
    Q_OBJECT

public:
    explicit PdfPage(QWidget* parent);

    void build();
    // Names the certificate's patient and gives the icon the focus.
    void showTitulaire(const QString& titulaire);

    QLabel* Label_pdf1 = nullptr;
    QLabel* Label_pdf2 = nullptr;
    QToolButton* image_pdf = nullptr;
    // Whose certificate the page offers, so a page left open is not taken for another patient's.
    QLabel* label_pdf_titulaire = nullptr;
    QPushButton* btn_copie = nullptr;
    QPushButton* btn_exporter = nullptr;
    QPushButton* btn_imprimer = nullptr;
};
