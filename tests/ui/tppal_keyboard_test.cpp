// The practitioner's flow without the mouse, what a screen reader is told, and what can be read.
#include "diagnostics/about_text.h"
#include "support/app_fixture.h"
#include "support/reader_stage_fixture.h"
#include "run/stage_names.h"
#include "ui/accessible_roles.h"

#include <QAccessible>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <cmath>

using namespace kelvora::testing;

namespace
{

class Keyboard : public ReaderSetup<AppFixture>
{
protected:
    void SetUp() override
    {
        ReaderSetup<AppFixture>::SetUp();
        ASSERT_EQ(QProcess::execute(QStringLiteral(KELVORA_BIN_DIR "/kelvora-admin"),
                                    {QStringLiteral("demo"), dataFolder()}),
                  0);
        // Today's update check already made: no request leaves the test.
        sql("UPDATE configuration SET valeur='20261209' WHERE id='date_maj'");
    }

    // The window on screen and active, as the user finds it.
    void open()
    {
        start();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    static QWidget* focus() { return QApplication::focusWidget(); }

    void type(const QString& keys)
    {
        QTest::keyClicks(focus(), keys);
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focus(), key, modifiers);
    }

    QString accessibleName(QWidget* widget) const
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        return iface ? iface->text(QAccessible::Name) : QStringLiteral("<none>");
    }
};

// Type the PIN, Enter; on the PDF page Enter again: the certificate is opened.
TEST_F(Keyboard, TheWholeReadingAndTheCertificateWithoutTheMouse)
{
    open();
    ASSERT_EQ(focus(), window->tab_carte->pin_cps);
    type(QStringLiteral("1234"));
    press(Qt::Key_Return);
    ASSERT_EQ(window->tab_master->currentWidget(), window->tab_pdf) << log().toStdString();
    ASSERT_EQ(focus(), window->tab_pdf->image_pdf);
    press(Qt::Key_Return);
    EXPECT_EQ(platform.opened, QStringList{commonFolder() + QStringLiteral("/attestation.pdf")});
    // Space does the same, as on any button.
    press(Qt::Key_Space);
    EXPECT_EQ(platform.opened.size(), 2);
}

// After a failed run, Enter or Escape leads back to the home page, the PIN field focused.
TEST_F(Keyboard, AfterAFailedRunEnterOrEscapeGoHome)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        open();
        type(QStringLiteral("9999"));
        press(Qt::Key_Return);
        ASSERT_EQ(window->tab_master->currentWidget(), window->tab_launch);
        EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Code CPS faux !"));
        press(key);
        EXPECT_EQ(window->tab_master->currentWidget(), window->tab_carte);
        EXPECT_EQ(focus(), window->tab_carte->pin_cps);
        EXPECT_TRUE(window->tab_carte->pin_cps->text().isEmpty());
        window.reset();
    }
}

// The PIN stays after a reading; back on the home page the first digit typed replaces it, so
// Enter reads with what was just typed, not with the kept PIN.
TEST_F(Keyboard, TypingOnTheHomePageReplacesTheKeptPin)
{
    open();
    type(QStringLiteral("1234"));
    press(Qt::Key_Return);
    ASSERT_EQ(window->tab_master->currentWidget(), window->tab_pdf) << log().toStdString();
    EXPECT_EQ(window->tab_carte->pin_cps->text(), QStringLiteral("1234"));

    press(Qt::Key_A, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->tab_master->currentWidget() == window->tab_carte; }, 2000));
    ASSERT_EQ(focus(), window->tab_carte->pin_cps);
    type(QStringLiteral("9999"));
    EXPECT_EQ(window->tab_carte->pin_cps->text(), QStringLiteral("9999"));
    press(Qt::Key_Return);
    EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Code CPS faux !"));

    // The stand-in logs whether each PIN presented matched, never the PIN itself.
    QList<QByteArray> checks;
    for (const QByteArray& line : callLog().split('\n'))
        if (line.startsWith("Lec_ControleCPS"))
            checks.append(line);
    ASSERT_EQ(checks.size(), 2) << callLog().toStdString();
    EXPECT_TRUE(checks[0].contains("pin=right")) << checks[0].toStdString();
    EXPECT_TRUE(checks[1].contains("pin=wrong")) << checks[1].toStdString();
}

// When a reading or a check ends, the focus is on its outcome, exposed as an alert named after
// what the page says, so that a screen reader reads it.
TEST_F(Keyboard, TheOutcomeTakesTheFocusNamedAfterWhatThePageSays)
{
    open();
    type(QStringLiteral("9999"));
    press(Qt::Key_Return);
    ASSERT_EQ(window->tab_master->currentWidget(), window->tab_launch);
    ASSERT_EQ(focus(), window->tab_launch->cadre_suivi);
    QAccessibleInterface* outcome = QAccessible::queryAccessibleInterface(focus());
    ASSERT_NE(outcome, nullptr);
    EXPECT_EQ(outcome->role(), QAccessible::AlertMessage);
    EXPECT_TRUE(outcome->state().focused);
    EXPECT_EQ(outcome->text(QAccessible::Name),
              window->tab_launch->label_suivi->text() + QLatin1Char(' ') + window->tab_launch->label_suivi2->text());
    EXPECT_TRUE(outcome->text(QAccessible::Name)
                    .startsWith(QStringLiteral("Code CPS faux ! Encore 2 essais")))
        << outcome->text(QAccessible::Name).toStdString();
    // Enter there still leads back to the PIN.
    press(Qt::Key_Return);
    EXPECT_EQ(focus(), window->tab_carte->pin_cps);

    // A check of the update that cannot reach its server says so in the same way.
    window->core().appli_url_update = QStringLiteral("http://127.0.0.1:9/version.php");
    press(Qt::Key_M, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return focus() == window->tab_update->cadre_update; }, 5000))
        << (focus() ? focus()->objectName().toStdString() : "-");
    EXPECT_EQ(accessibleName(window->tab_update->cadre_update), window->tab_update->label_update2->text());
    EXPECT_EQ(window->tab_update->label_update2->text(), QStringLiteral("Le serveur est injoignable"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window->tab_update->cadre_update)->role(),
              QAccessible::AlertMessage);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// On the PDF page Tab goes from the icon to the copy, the export and printing, in that order;
// the export has its name for the screen reader, and Space or Alt+E opens its dialog.
TEST_F(Keyboard, TheExportIsReachedAndUsedWithoutTheMouse)
{
    open();
    type(QStringLiteral("1234"));
    press(Qt::Key_Return);
    ASSERT_EQ(window->tab_master->currentWidget(), window->tab_pdf) << log().toStdString();
    ASSERT_EQ(focus(), window->tab_pdf->image_pdf);
    EXPECT_EQ(accessibleName(window->tab_pdf->btn_exporter), QStringLiteral("Exporter les données…"));
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(window->tab_pdf->btn_exporter)
                     ->text(QAccessible::Description)
                     .isEmpty());
    QList<QWidget*> reached;
    for (int i = 0; i < 3; ++i) {
        press(Qt::Key_Tab);
        reached.append(focus());
    }
    EXPECT_EQ(reached, (QList<QWidget*>{window->tab_pdf->btn_copie, window->tab_pdf->btn_exporter,
                                        window->tab_pdf->btn_imprimer}));

    const QString bundle = dataFolder() + QStringLiteral("/fhir.json");
    platform.savePath = bundle;
    platform.saveFilter = 1;
    window->tab_pdf->btn_exporter->setFocus();
    press(Qt::Key_Space);
    EXPECT_TRUE(contents(bundle).contains("\"resourceType\": \"Bundle\""));

    const QString record = dataFolder() + QStringLiteral("/donnees.json");
    platform.savePath = record;
    platform.saveFilter = 0;
    window->tab_pdf->image_pdf->setFocus();
    press(Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(record); }, 2000));
    EXPECT_TRUE(contents(record).contains("\"format\": \"kelvora-carte-vitale/1\""));
}

// What the screen reader finds beyond the labels: named panes, images and bar, a tool bar,
// reachable links, and pages whose hidden tabs speak French.
TEST_F(Keyboard, EveryPaneImageAndLinkIsNamedAndReachable)
{
    open();
    const QWidget* const named[] = {window->tab_debug->debug_texte, window->tab_about->about_texte,
                                    window->tab_config->memo_gestion_3, window->tab_config->Memo2,
                                    window->tab_update->clProgressBarDC1};
    for (const QWidget* pane : named)
        EXPECT_FALSE(accessibleName(const_cast<QWidget*>(pane)).isEmpty())
            << pane->objectName().toStdString();
    int legend = 0;
    for (QLabel* label : window->tab_launch->findChildren<QLabel*>())
        if (!label->pixmap().isNull() &&
            std::find(window->tab_launch->image_etat_rows.begin(), window->tab_launch->image_etat_rows.end(), label) ==
                window->tab_launch->image_etat_rows.end()) {
            ++legend;
            EXPECT_TRUE(accessibleName(label).startsWith(QStringLiteral("Symbole")));
        }
    EXPECT_EQ(legend, 5);
    QAccessibleInterface* bar =
        QAccessible::queryAccessibleInterface(window->btn_vitale->parentWidget());
    EXPECT_EQ(bar->role(), QAccessible::ToolBar);
    for (int i = 0; i < window->tab_master->count(); ++i) {
        const QString title = window->tab_master->tabText(i);
        EXPECT_FALSE(title.startsWith(QStringLiteral("tab_"))) << title.toStdString();
        EXPECT_EQ(accessibleName(window->tab_master->widget(i)), title);
    }

    // Tab on the About page reaches both links; Space opens each one's address.
    press(Qt::Key_P, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->tab_master->currentWidget() == window->tab_about; }, 2000));
    QStringList reached;
    for (int i = 0; i < 12 && reached.size() < 2; ++i) {
        press(Qt::Key_Tab);
        if (focus() == window->tab_about->lbl_link2 || focus() == window->tab_about->lbl_link3) {
            reached.append(accessibleName(focus()));
            press(Qt::Key_Space);
        }
    }
    EXPECT_EQ(reached.size(), 2) << reached.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(reached.contains(QStringLiteral("Support à distance")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return platform.opened.size() == 2; }, 2000));
    EXPECT_TRUE(platform.opened.contains(QString::fromLatin1(kelvora::diagnostics::kSupportUrl)));
}

// Tab reaches the card icon and every toolbar button; Alt and a letter click a button.
TEST_F(Keyboard, TabReachesEveryControlAndMnemonicsClick)
{
    open();
    QList<QWidget*> reached;
    for (int i = 0; i < 12; ++i) {
        press(Qt::Key_Tab);
        reached.append(focus());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             window->tab_carte->action_vitale2, window->btn_vitale, window->btn_config, window->btn_update,
             window->btn_about, window->btn_quit, window->tab_carte->pin_cps})
        EXPECT_TRUE(reached.contains(w)) << w->objectName().toStdString() << " not in " << [&] {
            QStringList names;
            for (QWidget* r : reached)
                names << (r ? r->objectName() : QStringLiteral("-"));
            return names.join(QLatin1Char(' ')).toStdString();
        }();
    // From the PIN, the card icon comes first; Space on it starts the reading.
    window->tab_carte->pin_cps->setFocus();
    press(Qt::Key_Tab);
    EXPECT_EQ(focus(), window->tab_carte->action_vitale2);

    struct Mnemonic {
        Qt::Key key;
        QWidget* page;
    };
    const Mnemonic mnemonics[] = {{Qt::Key_G, window->tab_config},
                                  {Qt::Key_P, window->tab_about},
                                  {Qt::Key_A, window->tab_carte}};
    for (const Mnemonic& m : mnemonics) {
        press(m.key, Qt::AltModifier);
        // A mnemonic clicks as the mouse would, after the button's short press animation.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return window->tab_master->currentWidget() == m.page; }, 2000))
            << m.key;
    }
}

// The PIN shows « * » for each digit, under every style the program may run with.
TEST_F(Keyboard, ThePinIsEchoedWithAsterisks)
{
    QStyle* const before = QApplication::style();
    const QString beforeName = before->name();
    for (const QString& styleName : QStyleFactory::keys()) {
        SCOPED_TRACE(styleName.toStdString());
        QApplication::setStyle(styleName);
        open();
        ASSERT_EQ(focus(), window->tab_carte->pin_cps);
        type(QStringLiteral("1234"));
        EXPECT_EQ(window->tab_carte->pin_cps->text(), QStringLiteral("1234"));
        EXPECT_EQ(window->tab_carte->pin_cps->displayText(), QStringLiteral("****"));
        QStyleOptionFrame option;
        option.initFrom(window->tab_carte->pin_cps);
        EXPECT_EQ(window->tab_carte->pin_cps->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter,
                                                      &option, window->tab_carte->pin_cps),
                  '*');
        window.reset();
    }
    QApplication::setStyle(beforeName);
    kelvora::ui::applyLook();
}

// A viewer that cannot be started: a French box naming the file and how to open it.
TEST_F(Keyboard, OpeningFailureIsToldWithTheFile)
{
    start();
    const QString pdf = commonFolder() + QStringLiteral("/attestation.pdf");
    writeFile(pdf, "%PDF-1.2");
    platform.openResult = false;
    platform.messages.clear();
    window->tab_pdf->image_pdf->click();
    EXPECT_EQ(platform.opened, QStringList{pdf});
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("Aucun lecteur de PDF n'a pu ouvrir l'attestation.\r"
                             "Installez un lecteur de PDF, ou ouvrez le fichier vous-même depuis "
                             "le gestionnaire de fichiers :\r") +
                  pdf);
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Erreur ouverture PDF..."));
    EXPECT_EQ(platform.messages[0].icon, kelvora::MessageIcon::Error);
}

// Icon-only controls and stage rows say what they are, the rows with their state in words.
TEST_F(Keyboard, ScreenReadersGetNamesAndStates)
{
    open();
    type(QStringLiteral("9999"));
    press(Qt::Key_Return);
    struct Row {
        EtatRow row;
        QString name;
    };
    const Row rows[] = {
        {EtatRow::Fichiers, QStringLiteral("Contrôle des fichiers : validée")},
        {EtatRow::MiseAJour, QStringLiteral("Contrôle Mise à Jour : non testée")},
        {EtatRow::Lecteur, QStringLiteral("Initialisation du lecteur : validée")},
        {EtatRow::Cartes, QStringLiteral("Contrôle cartes CPS & Vitale : en échec")},
        {EtatRow::Pdf, QStringLiteral("Génération du PDF : en échec")},
    };
    for (const Row& r : rows)
        EXPECT_EQ(accessibleName(window->tab_launch->image_etat_rows[std::size_t(r.row)]), r.name);

    EXPECT_EQ(accessibleName(window->tab_carte->action_vitale2), QStringLiteral("Lire les cartes"));
    EXPECT_EQ(accessibleName(window->tab_pdf->image_pdf), QStringLiteral("Ouvrir l'attestation"));
    for (QWidget* icon : {static_cast<QWidget*>(window->tab_carte->action_vitale2),
                          static_cast<QWidget*>(window->tab_pdf->image_pdf)})
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(icon)
                         ->text(QAccessible::Description)
                         .isEmpty());
    // The label is the field's buddy: its name, and Alt+C goes to it.
    EXPECT_EQ(window->tab_carte->label_pin->buddy(), window->tab_carte->pin_cps);
    EXPECT_EQ(accessibleName(window->tab_carte->pin_cps), QStringLiteral("Code CPS :"));
    window->btn_vitale->click();
    window->tab_carte->action_vitale2->setFocus();
    press(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(focus(), window->tab_carte->pin_cps);
}

double luminance(const QColor& c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Every text of every page, enabled or greyed, at least 4.5:1 on its background.
TEST_F(Keyboard, NoTextBelowTheContrastFloor)
{
    writeIni("[Lecteur]\r\nRessource_Vitale=" + kReaderA + "\r\n");
    open();
    QList<QWidget*> pages;
    for (int i = 0; i < window->tab_master->count(); ++i)
        pages.append(window->tab_master->widget(i));
    for (QWidget* page : pages) {
        window->tab_master->setCurrentWidget(page);
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisible())
                continue;
            w->ensurePolished();
            const QPalette::ColorGroup group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
            const QPalette pal = w->palette();
            QColor text;
            QColor background;
            if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
                text = pal.color(group, QPalette::WindowText);
                background = pal.color(group, QPalette::Window);
            } else if (auto* edit = qobject_cast<QLineEdit*>(w); edit && !edit->text().isEmpty()) {
                text = pal.color(group, QPalette::Text);
                background = pal.color(group, QPalette::Base);
            } else if (qobject_cast<QPlainTextEdit*>(w) != nullptr) {
                text = pal.color(group, QPalette::Text);
                background = pal.color(group, QPalette::Base);
            } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
                text = combo->currentIndex() < 0 ? pal.color(group, QPalette::PlaceholderText)
                                                 : pal.color(group, QPalette::ButtonText);
                background = pal.color(group, QPalette::Button);
            } else if (auto* button = qobject_cast<QAbstractButton*>(w);
                       button && !button->text().isEmpty()) {
                text = pal.color(group, QPalette::ButtonText);
                background = pal.color(group, QPalette::Button);
            } else {
                continue;
            }
            EXPECT_GE(contrast(text, background), 4.5)
                << page->objectName().toStdString() << " " << w->metaObject()->className() << " "
                << w->objectName().toStdString() << " " << text.name().toStdString() << " on "
                << background.name().toStdString();
        }
    }
}

} // namespace
