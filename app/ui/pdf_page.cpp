// The PDF page shown at the end of a successful reading: a click on the icon opens the file,
// whose patient it is shows under it, a copy can be saved, the card's data exported for other
// software, or the certificate printed.
#include "ui/pdf_page.h"

#include "run/run_types.h"
#include "ui/page_style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using kelvora::ui::pixelFont;
using kelvora::ui::setLabelColor;

PdfPage::PdfPage(QWidget* parent) : QWidget(parent) {}

void PdfPage::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 26, 16, 20);
    layout->setSpacing(6);

    const auto label = [this, layout](QLabel*& field, const char* name, const char* text,
                                      int pixels, bool bold) {
        field = new QLabel(QString::fromUtf8(text), this);
        field->setObjectName(QString::fromLatin1(name));
        field->setFont(pixelFont(this, pixels, bold));
        setLabelColor(field, ClBlack);
        field->setAlignment(Qt::AlignCenter);
        field->setFixedWidth(585);
        layout->addWidget(field, 0, Qt::AlignHCenter);
    };
    label(Label_pdf1, "Label_pdf1", "Génération d'une attestation", 24, true);
    label(Label_pdf2, "Label_pdf2", "Obtenez l'attestation en cliquant sur l'icône ci-dessous", 15,
          false);
    layout->addStretch();

    image_pdf = new QToolButton(this);
    image_pdf->setObjectName(QStringLiteral("image_pdf"));
    image_pdf->setIcon(QIcon(QStringLiteral(":/icons/pdf.svg")));
    image_pdf->setIconSize(QSize(128, 128));
    image_pdf->setFixedSize(136, 136);
    image_pdf->setAutoRaise(true);
    image_pdf->setStyleSheet(
        QStringLiteral("QToolButton { border: 2px solid transparent; border-radius: 8px; "
                       "background: transparent; }"
                       "QToolButton:focus { border-color: #1f6fd1; }"));
    image_pdf->setCursor(Qt::PointingHandCursor);
    // The page gives it the focus: Enter or Space opens the certificate without the mouse.
    image_pdf->setFocusPolicy(Qt::TabFocus);
    kelvora::ui::clickOnEnter(image_pdf);
    image_pdf->setToolTip(QStringLiteral("Ouvrir l'attestation"));
    image_pdf->setAccessibleName(QStringLiteral("Ouvrir l'attestation"));
    image_pdf->setAccessibleDescription(
        QStringLiteral("Ouvre attestation.pdf avec le lecteur de PDF du poste"));
    layout->addWidget(image_pdf, 0, Qt::AlignHCenter);

    auto* fileName = new QLabel(QStringLiteral("attestation.pdf"), this);
    fileName->setFont(pixelFont(this, 12));
    setLabelColor(fileName, 0x6B5F55); // slate grey: a caption, quieter than the labels
    layout->addWidget(fileName, 0, Qt::AlignHCenter);

    label_pdf_titulaire = new QLabel(this);
    label_pdf_titulaire->setObjectName(QStringLiteral("label_pdf_titulaire"));
    // The holder's name is the card's text: shown as written, never read as markup.
    label_pdf_titulaire->setTextFormat(Qt::PlainText);
    label_pdf_titulaire->setFont(pixelFont(this, 13, true));
    setLabelColor(label_pdf_titulaire, ClBlack);
    layout->addWidget(label_pdf_titulaire, 0, Qt::AlignHCenter);
    layout->addSpacing(8);

    const auto button = [this](QPushButton*& field, const char* name, const char* text,
                               const char* description) {
        field = new QPushButton(QString::fromUtf8(text), this);
        field->setObjectName(QString::fromLatin1(name));
        field->setCursor(Qt::PointingHandCursor);
        field->setAccessibleDescription(QString::fromUtf8(description));
        field->setMinimumWidth(180);
    };
    button(btn_copie, "btn_copie", "Enregistrer une &copie…",
           "Enregistre une copie de l'attestation au nom du patient");
    button(btn_exporter, "btn_exporter", "&Exporter les données…",
           "Enregistre les données de la carte en JSON ou en FHIR pour un autre logiciel");
    button(btn_imprimer, "btn_imprimer", "&Imprimer",
           "Envoie l'attestation à l'imprimante par défaut");
    auto* actions = new QHBoxLayout();
    actions->addStretch();
    actions->addWidget(btn_copie);
    actions->addSpacing(12);
    actions->addWidget(btn_exporter);
    actions->addSpacing(12);
    actions->addWidget(btn_imprimer);
    actions->addStretch();
    layout->addLayout(actions);
    layout->addStretch();
}

void PdfPage::showTitulaire(const QString& titulaire)
{
    label_pdf_titulaire->setText(QStringLiteral("Attestation de ") + titulaire);
    image_pdf->setFocus();
}
