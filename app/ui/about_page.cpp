// The About page: who makes the program, which versions are installed, and two links.
#include "ui/about_page.h"

#include "diagnostics/about_text.h"
#include "ui/page_style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

using kelvora::ui::pixelFont;

AboutPage::AboutPage(QWidget* parent) : QWidget(parent) {}

void AboutPage::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 10);
    lbl_about1 = new QLabel(QStringLiteral("A Propos"), this);
    lbl_about1->setObjectName(QStringLiteral("lbl_about1"));
    lbl_about1->setFont(pixelFont(this, 24, true));
    lbl_about1->setAlignment(Qt::AlignCenter);
    layout->addWidget(lbl_about1);
    lbl_about2 = new QLabel(
        QStringLiteral("Retrouvez ci-dessous les informations de cette application"), this);
    lbl_about2->setObjectName(QStringLiteral("lbl_about2"));
    lbl_about2->setFont(pixelFont(this, 15));
    lbl_about2->setAlignment(Qt::AlignCenter);
    layout->addWidget(lbl_about2);
    layout->addSpacing(8);

    about_texte = new QTextEdit(this);
    about_texte->setObjectName(QStringLiteral("about_texte"));
    about_texte->setReadOnly(true);
    about_texte->setFrameShape(QFrame::NoFrame);
    about_texte->setAccessibleName(QStringLiteral("Informations de l'application"));
    layout->addWidget(about_texte, 1);

    // Links drawn as links, but buttons to the keyboard: Tab reaches them, Enter or Space
    // opens them, and a screen reader hears their target.
    const auto link = [this](const char* name, const QString& text, const QString& spoken,
                             const char* target) {
        auto* l = new QPushButton(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFlat(true);
        l->setCursor(Qt::PointingHandCursor);
        l->setAutoDefault(false);
        l->setAccessibleName(spoken);
        l->setAccessibleDescription(QStringLiteral("Ouvre ") + QLatin1String(target));
        l->setToolTip(QLatin1String(target));
        // Blue and underlined as a link; framed in blue when Tab has reached it.
        l->setStyleSheet(QStringLiteral(
            "QPushButton { color: #1a5fb4; background: white; text-decoration: underline; "
            "border: 1px solid transparent; border-radius: 3px; padding: 2px 4px; }"
            "QPushButton:focus { border-color: #1f6fd1; }"));
        return l;
    };
    lbl_link3 = link("lbl_link3", QStringLiteral("Logiciel lecture Vitale"),
                     QStringLiteral("Site du logiciel lecture Vitale"), KELVORA_SITE_URL);
    lbl_link2 = link("lbl_link2", QStringLiteral("Support à Distance"),
                     QStringLiteral("Support à distance"), kelvora::diagnostics::kSupportUrl);
    auto* links = new QHBoxLayout();
    links->addWidget(lbl_link3);
    links->addStretch();
    links->addWidget(lbl_link2);
    layout->addLayout(links);

    setText(runs_);
}

void AboutPage::setText(const QList<kelvora::RtfRun>& runs)
{
    runs_ = runs;
    if (about_texte == nullptr)
        return;
    about_texte->clear();
    for (const kelvora::RtfRun& piece : runs_)
        kelvora::ui::appendRich(about_texte, piece.text, piece.style, piece.color);
}
