// Start-up: the store opened with its key, the last check date, the initial display.
#include "support/app_fixture.h"
#include "support/temp_folder.h"
#include "ui/accessible_roles.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

using namespace kelvora::testing;

namespace
{

const QString kCannotLoad = QStringLiteral(
    "Impossible de charger le système de configuration ! \rVeuillez réinstaller l'application");
const QString kCorrupt =
    QStringLiteral("Base de données corromptue ! \rVeuillez réinstaller l'application");

class Startup : public AppFixture
{
};

TEST_F(Startup, ReadsTheLastCheckDate)
{
    struct Case {
        const char* value;
        bool row;
        qint32 expected;
    };
    const Case cases[] = {
        {"20240315", true, 20240315},
        {nullptr, true, -567485616},  // NULL: never checked
        {nullptr, false, -567485616}, // no row at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : (c.row ? "NULL" : "no row"));
        QFile::remove(storePath());
        createStore(c.value, c.row);
        start();
        EXPECT_EQ(window->core().appli_maj_date, c.expected);
        EXPECT_TRUE(platform.messages.isEmpty());
        EXPECT_EQ(platform.quitRequests, 0);
        window.reset();
    }
}

// The boxes keep their words and add the cause on a line of their own; the log gives it with
// the store's name.
TEST_F(Startup, UnusableStoreEndsTheApplicationAndSaysWhy)
{
    const auto truncated = [](qint64 size) {
        return [size](Startup& t) {
            t.createStore("20240315");
            ASSERT_TRUE(QFile::resize(t.storePath(), size));
        };
    };
    const auto linkTo = [](const QString& name, std::function<void(Startup&)> make) {
        return [name, make](Startup& t) {
            const QString real = t.commonFolder() + QLatin1Char('/') + name;
            QFile::remove(real);
            make(t);
            ASSERT_TRUE(QFile::rename(t.storePath(), real));
            ASSERT_TRUE(QFile::link(real, t.storePath()));
        };
    };
    struct Case {
        const char* name;
        std::function<void(Startup&)> prepare;
        const char* loadCause; // the cause under « Impossible de charger… »; nullptr: it opens
        const char* corruptCause; // the cause under « … corromptue » when it shows alone
    };
    const Case cases[] = {
        {"manquante", [](Startup&) {}, "fichier introuvable", nullptr},
        {"vide", truncated(0), "fichier tronqué (0 octet)", nullptr},
        {"tronquée à 3000 octets", truncated(3000), "fichier tronqué (3000 octets)", nullptr},
        {"tronquée à 4096 octets", truncated(4096), "fichier tronqué (4096 octets)", nullptr},
        {"non chiffrée",
         [](Startup& t) {
             // Made by the shell without a key: SQLCipher 4 refuses an empty one.
             using kelvora::testing::shellQuote;
             ASSERT_EQ(kelvora::testing::runCommand(
                           "sqlcipher " + shellQuote(t.storePath().toStdString()) +
                           " 'CREATE TABLE configuration(id TEXT PRIMARY KEY, valeur TEXT)'")
                           .exitCode,
                       0);
             QFile file(t.storePath());
             ASSERT_TRUE(file.open(QIODevice::ReadOnly));
             ASSERT_EQ(file.read(16), QByteArray("SQLite format 3\0", 16));
         },
         "base non chiffrée (fichier SQLite ordinaire)", nullptr},
        {"illisible", [](Startup& t) { t.writeFile(t.storePath(), QByteArray(8192, 'x')); },
         "is not a database", nullptr},
        {"autre clé",
         [](Startup& t) {
             auto db = kelvora::store::Connection::create(t.storePath().toStdString(), "autre");
             kelvora::store::createTables(db);
         },
         "is not a database", nullptr},
        {"lien vers une bonne base",
         linkTo(QStringLiteral("vraie.vqs"), [](Startup& t) { t.createStore("20240315"); }),
         nullptr, nullptr},
        {"lien vers une base tronquée", linkTo(QStringLiteral("vraie.vqs"), truncated(3000)),
         "le fichier est un lien symbolique vers « ", nullptr},
        {"lien cassé",
         [](Startup& t) {
             ASSERT_TRUE(QFile::link(QStringLiteral("/nulle/part.vqs"), t.storePath()));
         },
         "le fichier est un lien symbolique vers « /nulle/part.vqs » : fichier introuvable",
         nullptr},
        {"date en lettres", [](Startup& t) { t.createStore("2024ABCD"); }, nullptr, "2024ABCD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        platform.messages.clear();
        platform.quitRequests = 0;
        c.prepare(*this);
        start();
        const QString log = window->core().debug.plainText();
        QStringList texts;
        for (const ShownMessage& m : platform.messages) {
            texts << m.text;
            EXPECT_EQ(m.caption, QStringLiteral("Erreur au chargement..."));
            EXPECT_EQ(m.icon, kelvora::MessageIcon::Information);
        }
        const QString logLine =
            QStringLiteral("Base de configuration ") + storePath() + QStringLiteral(" : ");
        const QString cause = QString::fromUtf8(c.loadCause ? c.loadCause : c.corruptCause);
        if (c.loadCause == nullptr && c.corruptCause == nullptr) {
            EXPECT_TRUE(texts.isEmpty()) << texts.join(u'|').toStdString();
            EXPECT_FALSE(log.contains(logLine)) << log.toStdString();
            EXPECT_FALSE(window->core().appli_fin_demandee);
            window.reset();
            continue;
        }
        const QStringList causeLines = log.split(u'\n').filter(logLine);
        ASSERT_EQ(causeLines.size(), 1) << log.toStdString();
        EXPECT_TRUE(causeLines[0].startsWith(logLine)) << log.toStdString();
        EXPECT_TRUE(causeLines[0].contains(cause)) << log.toStdString();
        const QString first = c.loadCause ? kCannotLoad : kCorrupt;
        ASSERT_EQ(texts.size(), c.loadCause ? 2 : 1) << texts.join(u'|').toStdString();
        EXPECT_TRUE(texts[0].startsWith(first + QStringLiteral("\rCause : ")))
            << texts[0].toStdString();
        EXPECT_TRUE(texts[0].contains(cause)) << texts[0].toStdString();
        // The second box adds nothing the first one said.
        if (c.loadCause) {
            EXPECT_EQ(texts[1], kCorrupt);
        }
        EXPECT_GE(platform.quitRequests, 1);
        EXPECT_TRUE(window->core().appli_fin_demandee);
        window.reset();
    }
}

TEST_F(Startup, InitialStateOfTheWindow)
{
    createStore("20240315");
    start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvora (Édition PS)"));
    EXPECT_EQ(window->size(), QSize(617, 478));
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_carte);
    EXPECT_TRUE(window->tab_master->tabBar()->isHidden());
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(window->etat(static_cast<EtatRow>(row)), EtatAttente);
    for (QLabel* label : {window->tab_launch->label_suivi, window->tab_launch->label_suivi2}) {
        EXPECT_EQ(label->text(), QStringLiteral("Attente du lancement..."));
        EXPECT_EQ(Tppal::labelColor(label), ClBlack);
    }
    EXPECT_FALSE(window->btn_diagnostique->isVisibleTo(window.get()));
    // The caption carries its mnemonic: Alt+M.
    EXPECT_EQ(window->btn_update->text(), QStringLiteral(" &Mise à Jour"));
    EXPECT_EQ(window->core().appli_dossier_commun, commonFolder());
    EXPECT_EQ(window->core().appli_dossier_apilec, apilecFolder());
    EXPECT_EQ(window->core().appli_maj_name, commonFolder() + QStringLiteral("/kelvoraps-last.exe"));
    EXPECT_EQ(window->tab_carte->pin_cps->maxLength(), 4);
    EXPECT_EQ(window->tab_carte->pin_cps->echoMode(), QLineEdit::Password);
}

TEST_F(Startup, LibraryVersionInStatusBarAndAbout)
{
    createStore("20240315");
    platform.libraryVersion = QStringLiteral("5.20.1.0");
    start();
    EXPECT_EQ(window->StatusPanel->text(), QStringLiteral("Version 1.09 ()"));
    EXPECT_TRUE(window->tab_about->about_texte->toPlainText().contains(QStringLiteral("Version APILEC : \n")));
    window.reset();

    writeFile(platform.exeFolder + QStringLiteral("libapi_lec.so"), "elf");
    start();
    EXPECT_EQ(window->StatusPanel->text(), QStringLiteral("Version 1.09 (5.20.1.0)"));
    const QString about = window->tab_about->about_texte->toPlainText();
    EXPECT_TRUE(about.contains(QStringLiteral("Version APILEC : 5.20.1.0\n")));
    window->btn_about->click();
    window->btn_vitale->click();
    window->btn_about->click();
    EXPECT_EQ(window->tab_about->about_texte->toPlainText(), about);
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_about);
}

// The pages the first frame does not show are built after it: built late, they show exactly
// what a window built whole shows after the same calls from the run core.
TEST_F(Startup, PagesBuiltLateShowWhatTheRunCoreToldThem)
{
    createStore("20240315");
    const auto tell = [](Tppal& w) {
        w.setSuivi(QStringLiteral("Lecture en cours"), ClMaroon);
        w.setSuivi2(QStringLiteral("Carte CPS"));
        w.core().setEtat(EtatRow(2), EtatEchec);
        w.core().setEtat(EtatRow(4), EtatValide);
        w.setMiseAJourTexte(QStringLiteral("Une mise à jour est disponible"));
        w.setTelechargementVisible(true);
        w.setProgression(true, 40);
        w.setSuiviTelechargement(true, QStringLiteral("40 %"));
        w.core().AddDebugText(QStringLiteral("Contrôle\r\nde la carte"), StyleBold, ClBlue);
    };
    const auto shown = [](Tppal& w) {
        QStringList out;
        for (QLabel* label : {w.tab_launch->label_suivi, w.tab_launch->label_suivi2})
            out << label->text() << QString::number(Tppal::labelColor(label));
        for (QLabel* icon : w.tab_launch->image_etat_rows)
            out << icon->accessibleName() << QString::number(icon->pixmap().cacheKey() != 0);
        out << w.tab_launch->cadre_suivi->accessibleName() << w.tab_update->label_update2->text()
            << w.tab_update->cadre_update->accessibleName()
            << QString::number(w.tab_update->btn_update_go->isVisibleTo(w.tab_update))
            << QString::number(w.tab_update->clProgressBarDC1->isVisibleTo(w.tab_update))
            << QString::number(w.tab_update->clProgressBarDC1->value()) << w.tab_update->txt_suivi_download->text()
            << QString::number(w.tab_update->txt_suivi_download->isVisibleTo(w.tab_update))
            << w.tab_debug->debug_texte->toHtml() << w.tab_about->about_texte->toHtml();
        return out;
    };

    start(); // every page built before the calls
    tell(*window);
    const QStringList whole = shown(*window);
    window.reset();

    window = std::make_unique<Tppal>(platform, platform);
    EXPECT_EQ(window->tab_debug->debug_texte, nullptr);
    tell(*window);
    window->buildPages();
    EXPECT_EQ(shown(*window), whole);
    window.reset();

    // Shown, the window builds them itself once its first frame is drawn.
    window = std::make_unique<Tppal>(platform, platform);
    window->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->tab_config->PageControl_config != nullptr; }, 5000));
    EXPECT_NE(window->tab_about->about_texte, nullptr);
}

// The first page's icons are images rendered at build time, at their size and at twice it:
// nothing on the first frame needs the SVG renderer, and a doubled screen stays sharp.
TEST_F(Startup, TheFirstPageIconsAreImagesAtOneAndTwoTimesTheirSize)
{
    createStore("20240315");
    window = std::make_unique<Tppal>(platform, platform);
    for (QToolButton* button :
         {window->btn_vitale, window->btn_diagnostique, window->btn_config, window->btn_update,
          window->btn_about, window->btn_quit, window->tab_carte->action_vitale2})
        EXPECT_TRUE(button->icon().availableSizes().contains(button->iconSize()))
            << qPrintable(button->accessibleName());

    // Qt takes the « @2x » image beside each one on a screen that doubles its pixels.
    const QStringList images = QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.png")});
    ASSERT_FALSE(images.isEmpty());
    for (const QString& name : images) {
        if (name.endsWith(QLatin1String("@2x.png")))
            continue;
        const QImage single(QStringLiteral(":/icons/") + name);
        QString doubledName = name;
        doubledName.replace(QLatin1String(".png"), QLatin1String("@2x.png"));
        const QImage doubled(QStringLiteral(":/icons/") + doubledName);
        EXPECT_FALSE(single.isNull()) << qPrintable(name);
        EXPECT_EQ(doubled.size(), single.size() * 2) << qPrintable(name);
    }
}

} // namespace
