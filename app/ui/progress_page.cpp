// The progress page: follow-up labels, the stage rows as kEtatRows lays them out, the legend, and
// the contract that every stage of a reading run keeps.
#include "ui/progress_page.h"

#include "run/run_types.h"
#include "run/stage_names.h"
#include "ui/accessible_roles.h"
#include "ui/page_style.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <vector>

using kelvora::ui::pixelFont;
using kelvora::ui::setLabelColor;

namespace
{

const char* const kEtatIcons[] = {":/icons/etat_attente.svg", ":/icons/etat_encours.svg",
                                  ":/icons/etat_valide.svg", ":/icons/etat_echec.svg",
                                  ":/icons/etat_nonteste.svg"};

QPixmap etatPixmap(int index)
{
    return QIcon(QString::fromLatin1(kEtatIcons[index])).pixmap(24, 24);
}

} // namespace

ProgressPage::ProgressPage(QWidget* parent) : QWidget(parent) {}

void ProgressPage::build(const std::array<int, kEtatRowCount>& etats)
{
    for (std::size_t i = 0; i < etatPixmaps_.size(); ++i)
        etatPixmaps_[i] = etatPixmap(static_cast<int>(i));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 18, 16, 8);
    // The page holds the focus after a run, so Enter or Escape leads back to the PIN.
    setFocusPolicy(Qt::ClickFocus);
    installEventFilter(this);

    // The two labels in one frame: when a run ends it takes the focus and, named after both,
    // has the outcome read aloud. Enter or Escape there lead back to the PIN as well.
    cadre_suivi = new kelvora::ui::SpokenStatus(this);
    cadre_suivi->setObjectName(QStringLiteral("cadre_suivi"));
    cadre_suivi->installEventFilter(this);
    auto* suivi = new QVBoxLayout(cadre_suivi);
    suivi->setContentsMargins(0, 0, 0, 0);
    suivi->setSpacing(layout->spacing());

    label_suivi = new QLabel(cadre_suivi);
    label_suivi->setObjectName(QStringLiteral("label_suivi"));
    // A stage's outcome may quote a reader's name or a system's words: plain text.
    label_suivi->setTextFormat(Qt::PlainText);
    label_suivi->setFont(pixelFont(this, 24, true));
    label_suivi->setAlignment(Qt::AlignCenter);
    label_suivi->setFixedWidth(585);
    suivi->addWidget(label_suivi);

    label_suivi2 = new QLabel(cadre_suivi);
    label_suivi2->setObjectName(QStringLiteral("label_suivi2"));
    label_suivi2->setFont(pixelFont(this, 15));
    label_suivi2->setAlignment(Qt::AlignCenter);
    label_suivi2->setFixedWidth(585);
    label_suivi2->setWordWrap(true);
    suivi->addWidget(label_suivi2);
    layout->addWidget(cadre_suivi, 0, Qt::AlignHCenter);
    layout->addSpacing(22);

    const QFont rowFont = pixelFont(this, 13);
    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(40);
    grid->setVerticalSpacing(14);
    std::vector<QWidget*> underGrid;
    for (const kelvora::EtatRowInfo& info : kelvora::kEtatRows) {
        const auto i = static_cast<std::size_t>(info.row);
        auto* box = new QWidget(this);
        auto* h = new QHBoxLayout(box);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(8);
        image_etat_rows[i] = new QLabel(box);
        image_etat_rows[i]->setObjectName(QString::fromLatin1(info.iconName));
        image_etat_rows[i]->setFixedSize(24, 24);
        label_etat_rows[i] = new QLabel(kelvora::etatRowCaption(info.row), box);
        label_etat_rows[i]->setObjectName(QString::fromLatin1(info.labelName));
        label_etat_rows[i]->setFont(rowFont);
        h->addWidget(image_etat_rows[i]);
        h->addWidget(label_etat_rows[i]);
        h->addStretch();
        if (info.place.column == kelvora::kUnderGrid)
            underGrid.push_back(box);
        else
            grid->addWidget(box, info.place.line, info.place.column);
    }
    auto* gridBox = new QHBoxLayout();
    gridBox->addSpacing(60);
    gridBox->addLayout(grid);
    gridBox->addSpacing(20);
    layout->addLayout(gridBox);
    for (QWidget* box : underGrid) {
        layout->addSpacing(14);
        layout->addWidget(box, 0, Qt::AlignHCenter);
    }
    layout->addStretch();

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    auto* legend = new QHBoxLayout();
    legend->setSpacing(4);
    static const std::pair<int, const char*> entries[] = {{EtatAttente, "En attente"},
                                                          {EtatEnCours, "En cours"},
                                                          {EtatNonTeste, "Etape non testée"},
                                                          {EtatValide, "Etape validée"},
                                                          {EtatEchec, "Etape en échec"}};
    legend->addStretch();
    for (const auto& [icon, text] : entries) {
        auto* pic = new QLabel(this);
        pic->setAccessibleName(QStringLiteral("Symbole « %1 »").arg(QString::fromUtf8(text)));
        pic->setPixmap(etatPixmaps_[static_cast<std::size_t>(icon)].scaled(
            16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        legend->addWidget(pic);
        legend->addWidget(new QLabel(QString::fromUtf8(text), this));
        legend->addSpacing(10);
    }
    legend->addStretch();
    layout->addLayout(legend);

    // What the run core showed before the page was built: the rows from its own record.
    for (int i = 0; i < kEtatRowCount; ++i)
        showEtat(static_cast<EtatRow>(i), etats[static_cast<std::size_t>(i)]);
    setSuivi(suivi_[0].text, suivi_[0].color);
    setSuivi2(suivi_[1].text, suivi_[1].color);
}

void ProgressPage::showEtat(EtatRow row, int icon)
{
    if (label_suivi == nullptr)
        return;
    QLabel* pic = image_etat_rows[static_cast<int>(row)];
    pic->clear();
    pic->setPixmap(etatPixmaps_[static_cast<std::size_t>(icon)]);
    // The icon's meaning in words, for screen readers.
    pic->setAccessibleName(kelvora::etatRowCaption(row) + QStringLiteral(" : ") +
                           kelvora::etatIconName(icon));
}

void ProgressPage::setSuivi(const QString& text, std::optional<quint32> color)
{
    suivi_[0].text = text;
    if (color)
        suivi_[0].color = color;
    if (label_suivi == nullptr)
        return;
    label_suivi->setText(text);
    if (color)
        setLabelColor(label_suivi, *color);
    cadre_suivi->setMessage(text + QLatin1Char(' ') + suivi_[1].text);
}

void ProgressPage::setSuivi2(const QString& text, std::optional<quint32> color)
{
    suivi_[1].text = text;
    if (color)
        suivi_[1].color = color;
    if (label_suivi2 == nullptr)
        return;
    // A cause found after the failure comes on lines of its own, in bold.
    const qsizetype cut = text.indexOf(QLatin1Char('\n'));
    label_suivi2->setTextFormat(cut < 0 ? Qt::PlainText : Qt::RichText);
    label_suivi2->setText(cut < 0 ? text
                                  : text.left(cut).toHtmlEscaped() + QStringLiteral("<br><b>") +
                                        text.mid(cut + 1).toHtmlEscaped().replace(
                                            QLatin1Char('\n'), QStringLiteral("<br>")) +
                                        QStringLiteral("</b>"));
    if (color)
        setLabelColor(label_suivi2, *color);
    cadre_suivi->setMessage(label_suivi->text() + QLatin1Char(' ') + text);
}

bool ProgressPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == this || watched == cadre_suivi)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            emit leaveAsked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
