// The PDF page shown at the end of a successful reading: a click on the icon opens the file.
#include "ui/tppal.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

void Tppal::buildPdfPage()
{
    auto* layout = new QVBoxLayout(tab_pdf);
    layout->setContentsMargins(16, 26, 16, 20);
    layout->setSpacing(6);

    const auto label = [this, layout](QLabel*& field, const char* name, const char* text,
                                      int pixels, bool bold) {
        field = new QLabel(QString::fromUtf8(text), tab_pdf);
        field->setObjectName(QString::fromLatin1(name));
        field->setFont(pixelFont(pixels, bold));
        setLabelColor(field, ClBlack);
        field->setAlignment(Qt::AlignCenter);
        field->setFixedWidth(585);
        layout->addWidget(field, 0, Qt::AlignHCenter);
    };
    label(Label_pdf1, "Label_pdf1", "Génération d'une attestation", 24, true);
    label(Label_pdf2, "Label_pdf2", "Obtenez l'attestation en cliquant sur l'icône ci-dessous", 15,
          false);
    layout->addStretch();

    image_pdf = new QToolButton(tab_pdf);
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
    image_pdf->installEventFilter(this);
    image_pdf->setToolTip(QStringLiteral("Ouvrir l'attestation"));
    image_pdf->setAccessibleName(QStringLiteral("Ouvrir l'attestation"));
    image_pdf->setAccessibleDescription(
        QStringLiteral("Ouvre attestation.pdf avec le lecteur de PDF du poste"));
    connect(image_pdf, &QToolButton::clicked, this,
            [this] { guarded([this] { image_pdfClick(); }); });
    layout->addWidget(image_pdf, 0, Qt::AlignHCenter);

    auto* fileName = new QLabel(QStringLiteral("attestation.pdf"), tab_pdf);
    fileName->setFont(pixelFont(12));
    setLabelColor(fileName, 0x6B5F55); // slate grey: a caption, quieter than the labels
    layout->addWidget(fileName, 0, Qt::AlignHCenter);
    layout->addStretch();
}
