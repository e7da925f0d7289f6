// The update page: the check's outcome, the download button, the download's progress and
// the notice that the program will close for the installer.
#include "ui/accessible_roles.h"
#include "ui/tppal.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

void Tppal::buildUpdatePage()
{
    auto* layout = new QVBoxLayout(tab_update);
    layout->setContentsMargins(16, 26, 16, 12);
    layout->setSpacing(8);

    label_update1 = new QLabel(QStringLiteral("Mise à jour de l'application"), tab_update);
    label_update1->setObjectName(QStringLiteral("label_update1"));
    label_update1->setFont(pixelFont(24, true, false));
    label_update1->setAlignment(Qt::AlignCenter);
    layout->addWidget(label_update1);

    // The status in a frame that takes the focus when a check ends: its text is read aloud.
    cadre_update = new kelvora::ui::SpokenStatus(tab_update);
    cadre_update->setObjectName(QStringLiteral("cadre_update"));
    auto* status = new QVBoxLayout(cadre_update);
    status->setContentsMargins(0, 0, 0, 0);
    label_update2 = new QLabel(cadre_update);
    label_update2->setObjectName(QStringLiteral("label_update2"));
    label_update2->setFont(pixelFont(15, false, false));
    label_update2->setAlignment(Qt::AlignCenter);
    status->addWidget(label_update2);
    layout->addWidget(cadre_update);
    layout->addStretch(2);

    btn_update_go =
        new QPushButton(QStringLiteral(" Cliquez ici pour télécharger la mise à jour"), tab_update);
    btn_update_go->setObjectName(QStringLiteral("btn_update_go"));
    btn_update_go->setIcon(QIcon(QStringLiteral(":/icons/miseajour.svg")));
    btn_update_go->setIconSize(QSize(24, 24));
    btn_update_go->setCursor(Qt::PointingHandCursor);
    btn_update_go->setFont(pixelFont(13, true, false));
    btn_update_go->setStyleSheet(QStringLiteral("QPushButton { padding: 8px 18px; }"));
    btn_update_go->setVisible(false);
    connect(btn_update_go, &QPushButton::clicked, this,
            [this] { guarded([this] { btn_update_goClick(); }); });
    layout->addWidget(btn_update_go, 0, Qt::AlignHCenter);
    layout->addSpacing(10);

    clProgressBarDC1 = new QProgressBar(tab_update);
    clProgressBarDC1->setObjectName(QStringLiteral("clProgressBarDC1"));
    clProgressBarDC1->setAccessibleName(QStringLiteral("Téléchargement de la mise à jour"));
    clProgressBarDC1->setRange(0, 100);
    clProgressBarDC1->setValue(0);
    clProgressBarDC1->setFixedWidth(480);
    clProgressBarDC1->setVisible(false);
    layout->addWidget(clProgressBarDC1, 0, Qt::AlignHCenter);

    txt_suivi_download = new QLineEdit(tab_update);
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

    auto* line = new QFrame(tab_update);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    label_update_notice = new QLabel(
        QStringLiteral("A l'issue du téléchargement, l'installateur se lancera et le programme "
                       "actuel sera fermé pour permettre \nla mise à jour de l'application."),
        tab_update);
    label_update_notice->setObjectName(QStringLiteral("label_update_notice"));
    label_update_notice->setFont(pixelFont(11, false, true));
    label_update_notice->setAlignment(Qt::AlignCenter);
    label_update_notice->setWordWrap(true);
    layout->addWidget(label_update_notice);

    // What the run core showed before the page was built.
    setMiseAJourTexte(update_.texte);
    setTelechargementVisible(update_.telechargement);
    setProgression(update_.progression, update_.percent);
    setSuiviTelechargement(update_.suiviVisible, update_.suivi);
}

void Tppal::setMiseAJourTexte(const QString& text)
{
    update_.texte = text;
    if (label_update2 == nullptr)
        return;
    label_update2->setText(text);
    cadre_update->setMessage(text);
}

void Tppal::setTelechargementVisible(bool visible)
{
    update_.telechargement = visible;
    if (btn_update_go != nullptr)
        btn_update_go->setVisible(visible);
}

void Tppal::setProgression(bool visible, std::optional<int> percent)
{
    update_.progression = visible;
    if (percent)
        update_.percent = *percent;
    if (clProgressBarDC1 == nullptr)
        return;
    if (percent)
        clProgressBarDC1->setValue(*percent);
    clProgressBarDC1->setVisible(visible);
}

void Tppal::setSuiviTelechargement(bool visible, std::optional<QString> text)
{
    update_.suiviVisible = visible;
    if (text)
        update_.suivi = *text;
    if (txt_suivi_download == nullptr)
        return;
    if (text)
        txt_suivi_download->setText(*text);
    txt_suivi_download->setVisible(visible);
}

void Tppal::setBarreTelechargement(bool visible)
{
    for (QToolButton* b : {btn_vitale, btn_diagnostique, btn_about, btn_update, btn_quit})
        b->setVisible(visible);
}
