// The reader-management page: what it shows and the one key each button writes.
#include "support/app_fixture.h"
#include "support/reader_stage_fixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolTip>

using namespace kelvora::testing;

namespace
{

class ConfigPage : public ReaderSetup<AppFixture>
{
protected:
    QByteArray iniBytes() const
    {
        QFile f(apilecFolder() + QStringLiteral("api_lec.ini"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void show()
    {
        // The page is shown anew, as when the user comes back to it from another page.
        window->tab_config->PageControl_config->setCurrentWidget(window->tab_config->tab_config_3);
        window->btn_vitaleClick();
        window->btn_configClick();
    }
};

// Comments, other sections, mixed case and Windows line ends, as installers leave the file.
const QByteArray kIni = "; api_lec configuration\r\n[Journal]\r\nNiveau=2\r\n\r\n[LECTEUR]\r\n"
                        "ressource_vitale=Generic EMV Smartcard Reader 0\r\n"
                        "; lecteur du poste d'accueil\r\nRESSOURCE_CPS=OMNIKEY AG Smart Card "
                        "Reader USB 0\r\n[Autre]\r\nRessource_CPS=ne pas toucher\r\n";

TEST_F(ConfigPage, ShowsTheConfiguredReaders)
{
    writeIni(kIni);
    start();
    show();
    EXPECT_EQ(window->tab_config->PageControl_config->currentWidget(), window->tab_config->tab_config_2);
    EXPECT_EQ(window->tab_config->Edit_gestion_1->text(), QStringLiteral("Generic EMV Smartcard Reader 0"));
    EXPECT_EQ(window->tab_config->edit_gestion_2->text(), QStringLiteral("Generic EMV Smartcard Reader 0"));
    EXPECT_EQ(window->tab_config->edit_gestion_1b->text(),
              QStringLiteral("OMNIKEY AG Smart Card Reader USB 0"));
    EXPECT_EQ(window->tab_config->edit_gestion_2b->text(),
              QStringLiteral("OMNIKEY AG Smart Card Reader USB 0"));
    EXPECT_FALSE(window->tab_config->Edit_gestion_1->isEnabled());
    EXPECT_FALSE(window->tab_config->edit_gestion_1b->isEnabled());
    const QString usual = QStringLiteral(
        "SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0\n"
        "SCM Microsystems Inc. SCR35xx USB Smart Card Reader 0\nGeneric EMV Smartcard Reader 0\n"
        "OMNIKEY AG Smart Card Reader USB 0\nGeneric Usb Smart Card Reader 0\n"
        "Ingenico 25024371 TL TELIUM 2 0");
    EXPECT_EQ(window->tab_config->memo_gestion_3->toPlainText(), usual);
    EXPECT_EQ(window->tab_config->Memo2->toPlainText(), usual);
    EXPECT_TRUE(window->tab_config->memo_gestion_3->isReadOnly());
    EXPECT_EQ(window->tab_config->btn_gestion_4->text(), QStringLiteral(" Modifier le lecteur"));
    EXPECT_EQ(window->tab_config->btn_gestion_4b->text(), QStringLiteral(" Modifier le lecteur"));
}

TEST_F(ConfigPage, MissingKeysProposeTheUsualReader)
{
    for (const QByteArray& bytes : {QByteArray("[Lecteur]\r\nAutre=1\r\n"), QByteArray()}) {
        SCOPED_TRACE(bytes.toStdString());
        QFile::remove(apilecFolder() + QStringLiteral("api_lec.ini"));
        if (!bytes.isEmpty())
            writeIni(bytes);
        start();
        show();
        for (QLineEdit* current : {window->tab_config->Edit_gestion_1, window->tab_config->edit_gestion_1b})
            EXPECT_EQ(current->text(), QStringLiteral("N/A (introuvable)"));
        for (QLineEdit* proposed : {window->tab_config->edit_gestion_2, window->tab_config->edit_gestion_2b})
            EXPECT_EQ(proposed->text(),
                      QStringLiteral("SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0"));
        window.reset();
    }
}

TEST_F(ConfigPage, EachButtonChangesOnlyItsKey)
{
    struct Case {
        bool cps;
        QString typed;
        QByteArray expected;
    };
    QByteArray vitale = kIni;
    vitale.replace("ressource_vitale=Generic EMV Smartcard Reader 0",
                   "ressource_vitale=Ingenico 25024371 TL TELIUM 2 0");
    QByteArray cps = kIni;
    cps.replace("RESSOURCE_CPS=OMNIKEY AG Smart Card Reader USB 0", "RESSOURCE_CPS=");
    const Case cases[] = {
        {false, QStringLiteral("Ingenico 25024371 TL TELIUM 2 0"), vitale},
        // An emptied field writes an empty value.
        {true, QString(), cps},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cps);
        writeIni(kIni);
        start();
        show();
        platform.messages.clear();
        (c.cps ? window->tab_config->edit_gestion_2b : window->tab_config->edit_gestion_2)->setText(c.typed);
        (c.cps ? window->tab_config->btn_gestion_4b : window->tab_config->btn_gestion_4)->click();
        EXPECT_EQ(iniBytes(), c.expected);
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0].text,
                  QStringLiteral("Le programme doit être arrêter puis relancer pour\rla bonne "
                                 "prise en compte de cette modification"));
        EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Gestion lecteur"));
        EXPECT_EQ(platform.messages[0].icon, kelvora::MessageIcon::Information);
        // The current-reader field shows the change only when the page is shown again.
        EXPECT_NE((c.cps ? window->tab_config->edit_gestion_1b : window->tab_config->Edit_gestion_1)->text(), c.typed);
        window.reset();
    }
}

TEST_F(ConfigPage, WritesTheNameInTheLibrarysCodePageAndCreatesAMissingFile)
{
    QFile::remove(apilecFolder() + QStringLiteral("api_lec.ini"));
    start();
    show();
    window->tab_config->edit_gestion_2->setText(QStringLiteral("Lecteur Éco 0"));
    window->tab_config->btn_gestion_4->click();
    EXPECT_EQ(iniBytes(), QByteArray("[Lecteur]\r\nRessource_Vitale=Lecteur \xc9"
                                     "co 0\r\n"));
    show();
    EXPECT_EQ(window->tab_config->Edit_gestion_1->text(), QStringLiteral("Lecteur Éco 0"));
}

TEST_F(ConfigPage, AFileThatCannotBeWrittenIsReportedWithoutConfirmation)
{
    start();
    // A folder that is a plain file: no user, root included, can write below it.
    writeFile(temp.path() + QStringLiteral("/fichier"), "x");
    window->core().appli_ini_file = temp.path() + QStringLiteral("/fichier/api_lec.ini");
    show();
    platform.messages.clear();
    window->tab_config->btn_gestion_4b->click();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].icon, kelvora::MessageIcon::Error);
    EXPECT_TRUE(platform.messages[0].text.contains(window->core().appli_ini_file))
        << platform.messages[0].text.toStdString();
    // What to do comes first, in French; the system's reason after it.
    EXPECT_TRUE(platform.messages[0].text.startsWith(
        QStringLiteral("Le lecteur choisi n'a pas été enregistré. Un dossier porte ce nom, ou un "
                       "fichier se trouve à la place d'un dossier du chemin")))
        << platform.messages[0].text.toStdString();
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Gestion lecteur"));
}

// A name pasted with what surrounds a copied line is written trimmed, by Enter as by the button.
TEST_F(ConfigPage, APastedNameIsWrittenTrimmed)
{
    struct Case {
        QString pasted;
        bool enter;
    };
    const Case cases[] = {
        {QString::fromLatin1(kReaderB) + QStringLiteral("\r\n"), false},
        {QStringLiteral(" \t") + QString::fromLatin1(kReaderB) + QStringLiteral("\n"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enter);
        writeIni("[Lecteur]\r\nRessource_Vitale=" + kReaderA + "\r\n");
        start();
        show();
        platform.messages.clear();
        QGuiApplication::clipboard()->setText(c.pasted);
        window->tab_config->edit_gestion_2->clear();
        window->tab_config->edit_gestion_2->paste();
        if (c.enter)
            emit window->tab_config->edit_gestion_2->returnPressed();
        else
            window->tab_config->btn_gestion_4->click();
        EXPECT_EQ(iniBytes(), "[Lecteur]\r\nRessource_Vitale=" + kReaderB + "\r\n");
        ASSERT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(platform.messages[0].icon, kelvora::MessageIcon::Information);
        EXPECT_EQ(window->tab_config->edit_gestion_2->text(), QString::fromLatin1(kReaderB));
        window.reset();
    }
}

// The readers connected now, as the library lists them when the page opens; picking one fills
// the sub-page's own field.
TEST_F(ConfigPage, ListsTheConnectedReadersAndPickingOneFillsTheField)
{
    // The library's readers alone: the smart-card service's have their own test.
    platform.smartCards.readers.clear();
    scenario(kReaderA + "|" + kReaderB);
    start();
    show();
    for (QComboBox* combo : {window->tab_config->combo_branches, window->tab_config->combo_branches_b}) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        EXPECT_EQ(items, (QStringList{QString::fromLatin1(kReaderA), QString::fromLatin1(kReaderB)}));
        EXPECT_TRUE(combo->isEnabled());
    }
    EXPECT_TRUE(callLog().contains("Lec_ListeLecteurs"));
    // The run's own listing is left for the run.
    EXPECT_EQ(window->core().appli_reader_lec, QStringLiteral("N/A"));

    window->tab_config->PageControl_config->setCurrentWidget(window->tab_config->tab_config_3);
    emit window->tab_config->combo_branches_b->activated(1);
    EXPECT_EQ(window->tab_config->edit_gestion_2b->text(), QString::fromLatin1(kReaderB));
    EXPECT_NE(window->tab_config->edit_gestion_2->text(), QString::fromLatin1(kReaderB));

    // None connected: the list says so and offers nothing.
    scenario("");
    show();
    EXPECT_EQ(window->tab_config->combo_branches->count(), 0);
    EXPECT_FALSE(window->tab_config->combo_branches->isEnabled());
    EXPECT_EQ(window->tab_config->combo_branches->placeholderText(), QStringLiteral("Aucun lecteur branché"));
}

// What a reader reads of a text that Qt shows in `format`: markup is interpreted when the format
// says rich text, or when it is automatic and the text looks like markup.
QString shownText(const QString& text, Qt::TextFormat format)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// Reader names come from the library and the smart-card service: markup in them is shown as
// written, in the list and in its tooltip, never drawn.
TEST_F(ConfigPage, AReaderNameWithMarkupIsShownAsWritten)
{
    const QString library = QStringLiteral("<u>Lecteur</u> 0");
    const QString service = QStringLiteral("<b>Gras</b> & <i>co</i>");
    platform.smartCards.readers = {{service, true}};
    scenario(library.toUtf8());
    start();
    window->show();
    show();
    QComboBox* combo = window->tab_config->combo_branches;
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), library);
    const QStringList expected{library, service + QStringLiteral(" (PC/SC, carte présente)")};
    EXPECT_EQ(shownText(combo->toolTip(), Qt::AutoText)
                  .replace(QChar::LineSeparator, QLatin1Char('\n'))
                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              expected);

    // The tooltip as Qt draws it.
    QToolTip::showText(combo->mapToGlobal(QPoint(4, 4)), combo->toolTip(), combo);
    QLabel* tip = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("qtooltip_label") && widget->isVisible())
            tip = qobject_cast<QLabel*>(widget);
    }
    ASSERT_NE(tip, nullptr);
    const QString drawn = shownText(tip->text(), tip->textFormat());
    for (const QString& line : expected)
        EXPECT_TRUE(drawn.contains(line)) << drawn.toStdString();
    QToolTip::hideText();
}

// Texts from outside on the other pages: the card holder's name, a stage's outcome, the update's
// state, shown as written.
TEST_F(ConfigPage, OutsideTextsOnTheOtherPagesAreShownAsWritten)
{
    start();
    const QString text = QStringLiteral("<b>MARTIN</b> <img src=x> &amp;");
    window->tab_pdf->showTitulaire(text);
    window->tab_launch->setSuivi(text);
    window->tab_update->setMiseAJourTexte(text);
    for (QLabel* label : {window->tab_pdf->label_pdf_titulaire, window->tab_launch->label_suivi,
                          window->tab_update->label_update2}) {
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(shownText(label->text(), label->textFormat()).endsWith(text))
            << label->objectName().toStdString();
    }
}

// The demo installation that kelvora-admin lays out, changed from the page as support would.
TEST_F(ConfigPage, OnTheDemoInstallationChangesOnlyThatKey)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral(KELVORA_BIN_DIR "/kelvora-admin"),
                                {QStringLiteral("demo"), dataFolder()}),
              0);
    const QByteArray before = iniBytes();
    start();
    window->btn_configClick();
    window->tab_config->PageControl_config->setCurrentWidget(window->tab_config->tab_config_3);
    window->tab_config->edit_gestion_2b->setText(QString::fromLatin1(kReaderB));
    window->tab_config->btn_gestion_4b->click();
    QByteArray expected = before;
    expected.replace("Ressource_CPS=" + kReaderA, "Ressource_CPS=" + kReaderB);
    EXPECT_EQ(iniBytes(), expected);
}

} // namespace
