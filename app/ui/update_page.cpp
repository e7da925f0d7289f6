// The update page: the check's outcome, the download button, the download's progress and
// the notice that the program will close for the installer.
#include "ui/update_page.h"

#include "ui/accessible_roles.h"
#include "ui/page_style.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using kelvora::ui::pixelFont;

UpdatePage::UpdatePage(QWidget* parent) : QWidget(parent) {}

void UpdatePage::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 26, 16, 12);
    layout->setSpacing(8);

    label_update1 = new QLabel(QStringLiteral("Mise à jour de l'application"), this);
    label_update1->setObjectName(QStringLiteral("label_update1"));
    label_update1->setFont(pixelFont(this, 24, true, false));
    label_update1->setAlignment(Qt::AlignCenter);
    layout->addWidget(label_update1);

    // The status in a frame that takes the focus when a check ends: its text is read aloud.
    cadre_update = new kelvora::ui::SpokenStatus(this);
    cadre_update->setObjectName(QStringLiteral("cadre_update"));
    auto* status = new QVBoxLayout(cadre_update);
    status->setContentsMargins(0, 0, 0, 0);
    label_update2 = new QLabel(cadre_update);
    label_update2->setObjectName(QStringLiteral("label_update2"));
    label_update2->setTextFormat(Qt::PlainText);
    label_update2->setFont(pixelFont(this, 15, false, false));
    label_update2->setAlignment(Qt::AlignCenter);
    status->addWidget(label_update2);
    layout->addWidget(cadre_update);
    layout->addStretch(2);

    btn_update_go =
        new QPushButton(QStringLiteral(" Cliquez ici pour télécharger la mise à jour"), this);
    btn_update_go->setObjectName(QStringLiteral("btn_update_go"));
    btn_update_go->setIcon(QIcon(QStringLiteral(":/icons/miseajour.svg")));
    btn_update_go->setIconSize(QSize(24, 24));
    btn_update_go->setCursor(Qt::PointingHandCursor);
    btn_update_go->setFont(pixelFont(this, 13, true, false));
    btn_update_go->setStyleSheet(QStringLiteral("QPushButton { padding: 8px 18px; }"));
    btn_update_go->setVisible(false);
    layout->addWidget(btn_update_go, 0, Qt::AlignHCenter);
    layout->addSpacing(10);

    clProgressBarDC1 = new QProgressBar(this);
    clProgressBarDC1->setObjectName(QStringLiteral("clProgressBarDC1"));
    clProgressBarDC1->setAccessibleName(QStringLiteral("Téléchargement de la mise à jour"));
    clProgressBarDC1->setRange(0, 100);
    clProgressBarDC1->setValue(0);
    clProgressBarDC1->setFixedWidth(480);
    clProgressBarDC1->setVisible(false);
    layout->addWidget(clProgressBarDC1, 0, Qt::AlignHCenter);

    txt_suivi_download = new QLineEdit(this);
    txt_suivi_download->setObjectName(QStringLiteral("txt_suivi_download"));
    txt_suivi_download->setAccessibleName(QStringLiteral("Suivi du téléchargement"));
    txt_suivi_download->setReadOnly(true);
    txt_suivi_download->setFrame(false);
    txt_suivi_download->setAlignment(Qt::AlignCenter);
    txt_suivi_download->setFocusPolicy(Qt::NoFocus);
    txt_suivi_download->setFixedWidth(480);
    txt_suivi_download->setVisible(false);
    layout->addWidget(txt_suivi_download, 0, Qt::AlignHCenter);
    layout->addStretch(3);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    label_update_notice = new QLabel(
        QStringLiteral("A l'issue du téléchargement, l'installateur se lancera et le programme "
                       "actuel sera fermé pour permettre \nla mise à jour de l'application."),
        this);
    label_update_notice->setObjectName(QStringLiteral("label_update_notice"));
    label_update_notice->setFont(pixelFont(this, 11, false, true));
    label_update_notice->setAlignment(Qt::AlignCenter);
    label_update_notice->setWordWrap(true);
    layout->addWidget(label_update_notice);

    // What the run core showed before the page was built.
    setMiseAJourTexte(state_.texte);
    setTelechargementVisible(state_.telechargement);
    setProgression(state_.progression, state_.percent);
    setSuiviTelechargement(state_.suiviVisible, state_.suivi);
}

void UpdatePage::setMiseAJourTexte(const QString& text)
{
    state_.texte = text;
    if (label_update2 == nullptr)
        return;
    label_update2->setText(text);
    cadre_update->setMessage(text);
}

void UpdatePage::setTelechargementVisible(bool visible)
{
    state_.telechargement = visible;
    if (btn_update_go != nullptr)
        btn_update_go->setVisible(visible);
}

void UpdatePage::setProgression(bool visible, std::optional<int> percent)
{
    state_.progression = visible;
    if (percent)
        state_.percent = *percent;
    if (clProgressBarDC1 == nullptr)
        return;
    if (percent)
        clProgressBarDC1->setValue(*percent);
    clProgressBarDC1->setVisible(visible);
}

void UpdatePage::setSuiviTelechargement(bool visible, std::optional<QString> text)
{
    state_.suiviVisible = visible;
    if (text)
        state_.suivi = *text;
    if (txt_suivi_download == nullptr)
        return;
    if (text)
        txt_suivi_download->setText(*text);
    txt_suivi_download->setVisible(visible);
}
