// The reader-management page: which reader the card-reader library uses for each card.

#include "ui/config_page.h"

#include "reader/reader_config.h"
#include "ui/page_style.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace
{

const char* const kLecteursHabituels[] = {
    "SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0",
    "SCM Microsystems Inc. SCR35xx USB Smart Card Reader 0",
    "Generic EMV Smartcard Reader 0",
    "OMNIKEY AG Smart Card Reader USB 0",
    "Generic Usb Smart Card Reader 0",
    "Ingenico 25024371 TL TELIUM 2 0",
};

struct SousPage {
    QLineEdit*& actuel;
    QLineEdit*& aForcer;
    QPlainTextEdit*& habituels;
    QPushButton*& modifier;
    QComboBox*& branches;
};

QWidget* buildSousPage(QWidget* parent, const char* name, const QString& titre,
                       const QString& introduction, const char* names[5], const SousPage& champs)
{
    auto* page = new QWidget(parent);
    page->setObjectName(QString::fromLatin1(name));
    page->setAutoFillBackground(true);
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, Qt::white);
    page->setPalette(palette);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(18, 12, 18, 10);
    layout->setSpacing(3);

    auto* title = new QLabel(titre, page);
    title->setFont(kelvora::ui::pixelFont(parent, 18, true));
    layout->addWidget(title);

    auto* intro = new QLabel(introduction, page);
    intro->setWordWrap(true);
    intro->setStyleSheet(QStringLiteral("color: #4a5562;"));
    layout->addWidget(intro);
    layout->addSpacing(4);

    // Each caption above its field, so the long reader names show whole.
    const auto caption = [page, layout](const QString& text) {
        auto* label = new QLabel(text, page);
        layout->addSpacing(4);
        layout->addWidget(label);
    };

    champs.actuel = new QLineEdit(page);
    champs.actuel->setObjectName(QString::fromLatin1(names[0]));
    champs.actuel->setReadOnly(true);
    champs.actuel->setEnabled(false);
    champs.actuel->setAccessibleName(QStringLiteral("Lecteur actuellement configuré"));
    caption(QStringLiteral("Lecteur actuellement configuré :"));
    layout->addWidget(champs.actuel);

    champs.aForcer = new QLineEdit(page);
    champs.aForcer->setObjectName(QString::fromLatin1(names[1]));
    champs.aForcer->setAccessibleName(QStringLiteral("Lecteur à forcer"));
    caption(QStringLiteral("Lecteur à forcer :"));
    layout->addWidget(champs.aForcer);

    champs.habituels = new QPlainTextEdit(page);
    champs.habituels->setObjectName(QString::fromLatin1(names[2]));
    champs.habituels->setReadOnly(true);
    champs.habituels->setAccessibleName(QStringLiteral("Lecteurs habituellement utilisés"));
    champs.habituels->setLineWrapMode(QPlainTextEdit::NoWrap);
    champs.habituels->setFocusPolicy(Qt::NoFocus);
    champs.habituels->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    champs.habituels->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QStringList lignes;
    for (const char* lecteur : kLecteursHabituels)
        lignes.append(QString::fromUtf8(lecteur));
    champs.habituels->setPlainText(lignes.join(QLatin1Char('\n')));
    const int marges =
        2 * (champs.habituels->frameWidth() + int(champs.habituels->document()->documentMargin()));
    champs.habituels->setFixedHeight(champs.habituels->fontMetrics().lineSpacing() *
                                         int(std::size(kLecteursHabituels)) +
                                     marges + 2);
    champs.habituels->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background: #f7f8fa; color: #2b3440; }"));
    caption(QStringLiteral("Lecteurs habituellements utilisés :"));
    layout->addWidget(champs.habituels);
    layout->addStretch();

    champs.modifier = new QPushButton(QStringLiteral(" Modifier le lecteur"), page);
    champs.modifier->setObjectName(QString::fromLatin1(names[3]));
    champs.modifier->setIcon(QIcon(QStringLiteral(":/icons/sauver.svg")));
    champs.modifier->setIconSize(QSize(16, 16));
    champs.modifier->setMinimumWidth(170);
    champs.modifier->setCursor(Qt::PointingHandCursor);
    // The readers connected now, beside the button: picking one fills the field above.
    champs.branches = new QComboBox(page);
    champs.branches->setObjectName(QString::fromLatin1(names[4]));
    champs.branches->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    champs.branches->setMinimumContentsLength(30);
    auto* branchesLabel = new QLabel(QStringLiteral("Lecteurs &branchés :"), page);
    branchesLabel->setBuddy(champs.branches);
    QObject::connect(champs.branches, &QComboBox::activated, champs.aForcer,
                     [combo = champs.branches, field = champs.aForcer](int index) {
                         if (index >= 0 && combo->isEnabled())
                             field->setText(combo->itemData(index).toString());
                     });
    // Enter in the field does what the button does.
    QObject::connect(champs.aForcer, &QLineEdit::returnPressed, champs.modifier,
                     &QPushButton::click);
    auto* row = new QHBoxLayout();
    row->addWidget(branchesLabel);
    row->addWidget(champs.branches, 1);
    row->addSpacing(12);
    row->addWidget(champs.modifier);
    layout->addLayout(row);
    return page;
}

} // namespace

ConfigPage::ConfigPage(QWidget* parent) : QWidget(parent) {}

void ConfigPage::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 6);

    PageControl_config = new QTabWidget(this);
    PageControl_config->setObjectName(QStringLiteral("PageControl_config"));
    PageControl_config->setAutoFillBackground(true);
    QPalette palette = PageControl_config->palette();
    palette.setColor(QPalette::Window, Qt::white);
    PageControl_config->setPalette(palette);
    // Sub-pages are chosen with a row of buttons above them.
    PageControl_config->setStyleSheet(QStringLiteral(
        "QTabWidget::pane { border: 1px solid #d5dbe3; border-radius: 3px; top: 6px; "
        "background: white; }"
        "QTabBar::tab { background: #f4f6f9; border: 1px solid #c9d1db; border-radius: 3px; "
        "padding: 5px 16px; margin-right: 6px; color: #2b3440; }"
        "QTabBar::tab:selected { background: #dde8f6; border-color: #7f9cc3; font-weight: bold; }"
        "QTabBar::tab:hover:!selected { background: #eaf0f7; }"));
    layout->addWidget(PageControl_config);

    const char* namesVitale[5] = {"Edit_gestion_1", "edit_gestion_2", "memo_gestion_3",
                                  "btn_gestion_4", "combo_branches"};
    tab_config_2 = buildSousPage(
        PageControl_config, "tab_config_2", QStringLiteral("Gestion du lecteur Vitale"),
        QStringLiteral("Cet espace permet de modifier le lecteur vitale à utiliser, ne faites une "
                       "modification que sur demande du support technique"),
        namesVitale,
        {Edit_gestion_1, edit_gestion_2, memo_gestion_3, btn_gestion_4, combo_branches});
    PageControl_config->addTab(tab_config_2, QStringLiteral("Lecteur Vitale"));

    const char* namesCps[5] = {"edit_gestion_1b", "edit_gestion_2b", "Memo2", "btn_gestion_4b",
                               "combo_branches_b"};
    tab_config_3 = buildSousPage(
        PageControl_config, "tab_config_3", QStringLiteral("Gestion du lecteur CPS"),
        QStringLiteral("Cet espace permet de modifier le lecteur CPS à utiliser, ne faites une "
                       "modification que sur demande du support technique"),
        namesCps, {edit_gestion_1b, edit_gestion_2b, Memo2, btn_gestion_4b, combo_branches_b});
    PageControl_config->addTab(tab_config_3, QStringLiteral("Lecteur CPS"));
}

void ConfigPage::showVitaleSubPage()
{
    PageControl_config->setCurrentWidget(tab_config_2);
}

void ConfigPage::showConfigured(const kelvora::reader::LecteursConfigures& lus)
{
    Edit_gestion_1->setText(lus.vitale.actuel);
    edit_gestion_2->setText(lus.vitale.aForcer);
    edit_gestion_1b->setText(lus.cps.actuel);
    edit_gestion_2b->setText(lus.cps.aForcer);
}

void ConfigPage::showConnected(const kelvora::reader::LecteursBranches& branches)
{
    // The smart-card service's readers after the library's, each with its card or not; each
    // item holds the bare name that a choice proposes.
    QStringList textes = branches.noms;
    for (const kelvora::SmartCardReader& lecteur : branches.pcsc)
        textes.append(
            QStringLiteral("%1 (PC/SC, %2)").arg(lecteur.name, kelvora::cardPresenceText(lecteur)));
    for (QComboBox* combo : {combo_branches, combo_branches_b}) {
        combo->clear();
        for (const QString& nom : branches.noms)
            combo->addItem(nom, nom);
        for (const kelvora::SmartCardReader& lecteur : branches.pcsc)
            combo->addItem(textes[combo->count()], lecteur.name);
        combo->setCurrentIndex(-1);
        combo->setEnabled(!textes.isEmpty());
        combo->setPlaceholderText(
            !branches.erreur.isEmpty() && textes.isEmpty()
                ? QStringLiteral("Liste indisponible (%1)").arg(branches.erreur)
            : textes.isEmpty() ? QStringLiteral("Aucun lecteur branché")
            : textes.size() == 1
                ? QStringLiteral("1 lecteur branché : choisir")
                : QStringLiteral("%1 lecteurs branchés : choisir").arg(textes.size()));
        // The library's failure stays told when the service's readers fill the list.
        QStringList bulle = textes;
        if (!branches.erreur.isEmpty() && !textes.isEmpty())
            bulle.prepend(
                QStringLiteral("Liste de la bibliothèque indisponible (%1)").arg(branches.erreur));
        // Reader names come from outside: a tooltip would take markup in them for its own.
        combo->setToolTip(Qt::convertFromPlainText(bulle.join(QLatin1Char('\n'))));
    }
}
