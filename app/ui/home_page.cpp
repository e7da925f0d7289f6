// The home page: the card icon that starts a reading run and the PIN field.
#include "ui/tppal.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

void Tppal::buildHomePage()
{
    auto* layout = new QVBoxLayout(tab_carte);
    layout->setContentsMargins(24, 26, 24, 20);
    layout->setSpacing(6);

    auto* title = new QLabel(QStringLiteral("Génération d'une attestation"), tab_carte);
    title->setFont(pixelFont(24, true));
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto* subtitle = new QLabel(
        QStringLiteral("Insérez les carte CPS puis Vitale, le code CPS puis cliquez sur l'icône "
                       "ci-dessous"),
        tab_carte);
    subtitle->setFont(pixelFont(13));
    subtitle->setAlignment(Qt::AlignCenter);
    subtitle->setWordWrap(true);
    layout->addWidget(subtitle);
    layout->addStretch();

    action_vitale2 = new QToolButton(tab_carte);
    action_vitale2->setObjectName(QStringLiteral("action_vitale2"));
    action_vitale2->setIcon(QIcon(QStringLiteral(":/icons/carte_vitale.svg")));
    action_vitale2->setIconSize(QSize(180, 120));
    action_vitale2->setAutoRaise(true);
    action_vitale2->setCursor(Qt::PointingHandCursor);
    action_vitale2->setToolTip(QStringLiteral("Lire la carte Vitale et générer l'attestation"));
    action_vitale2->setFocusPolicy(Qt::NoFocus);
    connect(action_vitale2, &QToolButton::clicked, this, [this] { action_vitale2Click(); });
    layout->addWidget(action_vitale2, 0, Qt::AlignHCenter);
    layout->addStretch();

    auto* pinRow = new QHBoxLayout();
    pinRow->addStretch();
    auto* pinLabel = new QLabel(QStringLiteral("Code CPS :"), tab_carte);
    pinLabel->setFont(pixelFont(14, true));
    pinRow->addWidget(pinLabel);
    pin_cps = new QLineEdit(tab_carte);
    pin_cps->setObjectName(QStringLiteral("pin_cps"));
    pin_cps->setMaxLength(4);
    pin_cps->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), pin_cps));
    pin_cps->setEchoMode(QLineEdit::Password);
    pin_cps->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; "
                                          "font-size: 18px; padding: 2px 6px; }"));
    pin_cps->setFixedWidth(90);
    pin_cps->setAlignment(Qt::AlignCenter);
    connect(pin_cps, &QLineEdit::returnPressed, this, [this] { action_vitale2Click(); });
    pinRow->addWidget(pin_cps);
    pinRow->addStretch();
    layout->addLayout(pinRow);
    layout->addSpacing(10);
}

QString Tppal::pinSaisi() const
{
    return pin_cps->text();
}

void Tppal::viderPin()
{
    pin_cps->clear();
    pin_cps->setFocus();
}
