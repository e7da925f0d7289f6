// The reading run: PIN guard, stage contract and the files check.
#include "support/reading_run_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

using namespace kelvora::testing;

namespace
{

TEST_F(ReadingRun, EmptyPinOnlyShowsTheBox)
{
    createStore("20261209");
    start();
    window->tab_launch->label_suivi->setText(QStringLiteral("état précédent"));
    run(QString());
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("La saisie du code CPS est obligatoire pour cette application"));
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Erreur code CPS"));
    EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("état précédent"));
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_carte);
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(ReadingRun, EnterInThePinFieldStartsTheRun)
{
    createStore("20261209");
    start();
    window->tab_carte->pin_cps->setText(QStringLiteral("1234"));
    emit window->tab_carte->pin_cps->returnPressed();
    EXPECT_TRUE(log().contains(QStringLiteral("### Fichiers")));
}

TEST_F(ReadingRun, FilesCheckVerdicts)
{
    createStore("20261209");
    writeFile(platform.exeFolder + QStringLiteral("api_lec.dll"), "x");
    writeFile(apilecFolder() + QStringLiteral("api_lec.ini"), QByteArray(999, 'a'));
    writeFile(temp.path() + QStringLiteral("/autre.dat"), QByteArray(12, 'b'));
    QDir().mkpath(platform.exeFolder + QStringLiteral("dossier.dll"));
    QFile::link(apilecFolder() + QStringLiteral("api_lec.ini"),
                platform.exeFolder + QStringLiteral("lien.ini"));
    QFile::link(temp.path() + QStringLiteral("/absent.dll"),
                platform.exeFolder + QStringLiteral("perdu.dll"));
    struct Case {
        const char* rows;
        QString lines;
        bool ok;
    };
    const Case cases[] = {
        {"", QString(), true},
        {"(1,'api_lec.dll','N/A','0')",
         QStringLiteral("api_lec.dll (N/A) : présent (taille non contrôlée)\n"), true},
        {"(1,'api_lec.ini','apilec','999')",
         QStringLiteral("api_lec.ini (apilec) : présent (taille valide)\n"), true},
        {"(1,'api_lec.ini','apilec','1000')",
         QStringLiteral("api_lec.ini (apilec) : taille incorrecte (999!=1000)\n"), false},
        {"(2,'b.dll','N/A','0'),(1,'a.dll','N/A','0')",
         QStringLiteral("a.dll (N/A) : manquant\nb.dll (N/A) : manquant\n"), false},
        // A folder is not the file; a link stands for its target, a dangling one for nothing.
        {"(1,'dossier.dll','N/A','0'),(2,'lien.ini','N/A','999'),(3,'perdu.dll','N/A','0')",
         QStringLiteral("dossier.dll (N/A) : manquant\nlien.ini (N/A) : présent (taille valide)\n"
                        "perdu.dll (N/A) : manquant\n"),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        sql("DELETE FROM fichiers");
        if (*c.rows)
            sql(std::string("INSERT INTO fichiers VALUES ") + c.rows);
        start();
        run();
        EXPECT_TRUE(log().contains(QStringLiteral("\nContrôle des fichiers\n") + c.lines +
                                   QStringLiteral("\n### Mise à Jour")))
            << log().toStdString();
        EXPECT_EQ(window->etat(EtatRow::Fichiers), c.ok ? EtatValide : EtatEchec);
        window.reset();
    }
    // Any other folder code is the beginning of the path as it stands.
    sql("DELETE FROM fichiers");
    sql("INSERT INTO fichiers VALUES (1,'autre.dat','" + temp.path().toStdString() + "/','12')");
    start();
    run();
    EXPECT_TRUE(log().contains(QStringLiteral("autre.dat (") + temp.path() +
                               QStringLiteral("/) : présent (taille valide)\n")));
}

// The window of the program opens its store on another thread; a reading started before that
// opening has ended takes the store first and then runs exactly as in a window that opened it
// itself (the same boxes, in the same order, the same log and stage rows).
TEST_F(ReadingRun, AReadingBeforeTheBackgroundStoreWaitsForIt)
{
    struct Outcome {
        QStringList messages;
        QString log;
        QList<int> etats;
        qint32 majDate = 0;
    };
    const auto read = [this](bool background) {
        platform.messages.clear();
        if (background) {
            window = std::make_unique<Tppal>(platform, platform,
                                             kelvora::RunCore::openStoreInBackground(platform));
            window->buildPages();
            window->core().appli_url_update =
                QStringLiteral("http://127.0.0.1:9/obtenir-derniere-version.php");
            EXPECT_TRUE(window->core().storePending());
        } else {
            start();
        }
        run();
        EXPECT_FALSE(window->core().storePending());
        Outcome o;
        for (const ShownMessage& m : platform.messages)
            o.messages << m.caption + QStringLiteral(" | ") + m.text;
        o.log = log();
        for (int row = 0; row < 6; ++row)
            o.etats << window->etat(static_cast<EtatRow>(row));
        o.majDate = window->core().appli_maj_date;
        window.reset();
        return o;
    };
    for (const bool usable : {true, false}) {
        SCOPED_TRACE(usable ? "usable store" : "no store");
        QFile::remove(storePath());
        if (usable)
            createStore("20261209");
        const Outcome today = read(false);
        const Outcome background = read(true);
        EXPECT_EQ(background.messages, today.messages);
        EXPECT_EQ(background.log, today.log);
        EXPECT_EQ(background.etats, today.etats);
        EXPECT_EQ(background.majDate, today.majDate);
        EXPECT_EQ(today.messages.isEmpty(), usable);
    }
}

// Start-up already asked the application to end; a run in the meantime must not crash. The
// store's absence fails the first stage that needs it, as any failure of the store does,
// instead of leaving that stage in progress behind an error box.
TEST_F(ReadingRun, WithoutAStoreTheFirstStageThatNeedsItFails)
{
    start();
    platform.messages.clear();
    run();
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(window->etat(EtatRow::Fichiers), EtatEchec);
    EXPECT_TRUE(log().contains(
        QStringLiteral("Erreur de la base de configuration : Base de configuration non ouverte")))
        << log().toStdString();
    EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Base de configuration inutilisable !"));
}

TEST_F(ReadingRun, FirstFailureIsAnnouncedAndLaterStagesOnlyUpdateTheirRows)
{
    createStore("20261209");
    sql("INSERT INTO fichiers VALUES (1,'a.dll','N/A','0'),(2,'b.dll','N/A','0')");
    start();
    run();
    EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Fichier(s) manquant(s) !"));
    EXPECT_EQ(window->tab_launch->label_suivi2->text(),
              QStringLiteral("Consulter le diagnostic pour plus d'informations"));
    EXPECT_EQ(Tppal::labelColor(window->tab_launch->label_suivi), ClMaroon);
    EXPECT_EQ(Tppal::labelColor(window->tab_launch->label_suivi2), ClMaroon);
    EXPECT_EQ(window->etat(EtatRow::Fichiers), EtatEchec);
    EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatNonTeste);
    for (EtatRow row : {EtatRow::Lecteur, EtatRow::Cartes, EtatRow::Informations, EtatRow::Pdf})
        EXPECT_EQ(window->etat(row), EtatEchec);
    EXPECT_EQ(window->tab_master->currentWidget(), window->tab_launch);
    EXPECT_TRUE(window->btn_diagnostique->isVisibleTo(window.get()));
    const QString text = log();
    EXPECT_EQ(text.count(QStringLiteral("manquant\n")), 2);
    // Every run heading is written, but no later sub-heading once the failure is announced.
    for (const char* heading :
         {"### Fichiers", "### Mise à Jour", "### Initialisation Lecteurs", "### Lecteur CPS",
          "### Lecteur Vitale", "### Gestion CPS", "### Controle CPS", "### Gestion Vitale",
          "### Traitement des Données", "### Génération PDF"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(heading))) << heading;
    EXPECT_FALSE(text.contains(QStringLiteral("\nGénération du PDF\n")));
}

TEST_F(ReadingRun, NextRunStartsFromAResetDisplayAndIgnoresASecondClick)
{
    createStore("20261209");
    sql("INSERT INTO fichiers VALUES (1,'a.dll','N/A','0')");
    start();
    run();
    ASSERT_EQ(window->etat(EtatRow::Fichiers), EtatEchec);

    bool checked = false;
    platform.onRepaint = [&] {
        if (checked)
            return;
        checked = true;
        for (int row = 0; row < 6; ++row)
            EXPECT_EQ(window->etat(static_cast<EtatRow>(row)), EtatAttente);
        EXPECT_EQ(window->tab_launch->label_suivi->text(), QStringLiteral("Attente du lancement..."));
        EXPECT_EQ(Tppal::labelColor(window->tab_launch->label_suivi), ClBlack);
        window->action_vitale2Click(); // a second click during the run
    };
    run();
    EXPECT_TRUE(checked);
    EXPECT_EQ(log().count(QStringLiteral("### Fichiers")), 1);
    EXPECT_EQ(log().count(QStringLiteral("Diagnostic pour Kelvora")), 1);
}

} // namespace
