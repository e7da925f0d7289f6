// The home page: the card icon that starts a reading run and the PIN field.
#include "ui/home_page.h"

#include "ui/drawn_buttons.h"
#include "ui/first_frame_icon.h"
#include "ui/page_style.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

// The application's style with « * » as the password mask.
class AsteriskStyle : public QProxyStyle
{
public:
    explicit AsteriskStyle(QObject* owner) : QProxyStyle(QApplication::style()->name())
    {
        setParent(owner);
    }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

using kelvora::ui::pixelFont;

HomePage::HomePage(QWidget* parent) : QWidget(parent) {}

void HomePage::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 26, 24, 20);
    layout->setSpacing(6);

    auto* title = new QLabel(QStringLiteral("Génération d'une attestation"), this);
    title->setFont(pixelFont(this, 24, true));
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto* subtitle = new QLabel(
        QStringLiteral("Insérez les carte CPS puis Vitale, le code CPS puis cliquez sur l'icône "
                       "ci-dessous"),
        this);
    subtitle->setFont(pixelFont(this, 13));
    subtitle->setAlignment(Qt::AlignCenter);
    subtitle->setWordWrap(true);
    layout->addWidget(subtitle);
    layout->addStretch();

    action_vitale2 = new kelvora::ui::CardButton(this);
    action_vitale2->setObjectName(QStringLiteral("action_vitale2"));
    action_vitale2->setIcon(kelvora::ui::firstFrameIcon("carte_vitale"));
    action_vitale2->setIconSize(QSize(180, 120));
    action_vitale2->setCursor(Qt::PointingHandCursor);
    action_vitale2->setToolTip(QStringLiteral("Lire la carte Vitale et générer l'attestation"));
    action_vitale2->setAccessibleName(QStringLiteral("Lire les cartes"));
    action_vitale2->setAccessibleDescription(
        QStringLiteral("Lit les cartes CPS et Vitale avec le code CPS saisi, puis génère "
                       "l'attestation"));
    // Tab reaches it; Enter or Space starts the reading, as a click does.
    action_vitale2->setFocusPolicy(Qt::TabFocus);
    kelvora::ui::clickOnEnter(action_vitale2);
    connect(action_vitale2, &QToolButton::clicked, this, &HomePage::readAsked);
    layout->addWidget(action_vitale2, 0, Qt::AlignHCenter);
    layout->addStretch();

    auto* pinRow = new QHBoxLayout();
    pinRow->addStretch();
    label_pin = new QLabel(QStringLiteral("&Code CPS :"), this);
    label_pin->setObjectName(QStringLiteral("label_pin"));
    label_pin->setFont(pixelFont(this, 14, true));
    pinRow->addWidget(label_pin);
    pin_cps = new QLineEdit(this);
    pin_cps->setObjectName(QStringLiteral("pin_cps"));
    pin_cps->setMaxLength(4);
    pin_cps->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), pin_cps));
    // The mask comes from the style; a style sheet property alone loses to the window's style.
    pin_cps->setStyle(new AsteriskStyle(pin_cps));
    pin_cps->setEchoMode(QLineEdit::Password);
    pin_cps->setFont(pixelFont(this, 18));
    pin_cps->setTextMargins(6, 0, 6, 0);
    pin_cps->setFixedWidth(90);
    pin_cps->setAlignment(Qt::AlignCenter);
    connect(pin_cps, &QLineEdit::returnPressed, this, &HomePage::readAsked);
    label_pin->setBuddy(pin_cps);
    pinRow->addWidget(pin_cps);
    pinRow->addStretch();
    layout->addLayout(pinRow);
    layout->addSpacing(10);
    // From the PIN, Tab goes to the card icon before the toolbar.
    setTabOrder(pin_cps, action_vitale2);
}

QString HomePage::pin() const
{
    return pin_cps->text();
}

void HomePage::clearPin()
{
    pin_cps->clear();
    // Hidden behind the progress page, it takes the focus when the home page comes back.
    if (pin_cps->isVisible())
        pin_cps->setFocus();
}

void HomePage::focusPin()
{
    pin_cps->setFocus();
    // A PIN kept from the last reading is selected, so the first digit typed replaces it
    // instead of being dropped by the full field.
    pin_cps->selectAll();
}
