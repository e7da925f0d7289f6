// A blocking and a non-blocking code for each card stage, forced through the scenario, and
// which of the result and the detail code each stage looks up.
#include "support/reader_stage_fixture.h"

using namespace kelvora::testing;

namespace
{

class ResultCodes : public ReaderStageFixture
{
};

TEST_F(ResultCodes, EachStageClassifiesItsCode)
{
    const QString a = QString::fromLatin1(kReaderA);
    const QString contenu = QStringLiteral("Contenu api_lec (Vitale) : ") + a +
                            QStringLiteral("\nContenu api_lec (CPS) : ") + a + "\n";
    struct Case {
        QByteArray retour;
        QString heading;
        QString lines;
        EtatRow row;
        QString failure; // empty: the run goes on
        std::pair<int, quint32> last = kBoldGreen;
    };
    const Case cases[] = {
        // Classified by the result code.
        {"Lec_InitLecteurs=60,61", QStringLiteral("Initialisation Lecteurs"),
         QStringLiteral("Initialisation du lecteur\n") + contenu +
             QStringLiteral("Retour en erreur : 60 (code : 61)\n"
                            "Cette erreur est bloquante pour le lecteur\nLecteur non joignable\n"),
         EtatRow::Lecteur, QStringLiteral("Lecteur ne répond pas !"), kBoldRed},
        {"Lec_InitLecteurs=61,60",
         QStringLiteral("Initialisation Lecteurs"),
         QStringLiteral("Initialisation du lecteur\n") + contenu +
             QStringLiteral("Retour en erreur : 61 (code : 60)\n"
                            "Erreur sans impact sur le fonctionnement\nLecteur initialisé\n"),
         EtatRow::Lecteur,
         {}},
        {"Lec_OuvertureSessionCPS=60,61", QStringLiteral("Lecteur CPS"),
         QStringLiteral("Connexion au lecteur CPS\nRetour en erreur : 60 (code : 61)\n"
                        "Nombre lecteurs : 0 (session : 1)\n"
                        "Cette erreur est bloquante pour le lecteur\nLecteur CPS non joignable\n"),
         EtatRow::Lecteur, QStringLiteral("Lecteur CPS ne répond pas !"), kBoldRed},
        {"Lec_OuvertureSessionCPS=61,60",
         QStringLiteral("Lecteur CPS"),
         QStringLiteral("Connexion au lecteur CPS\nRetour en erreur : 61 (code : 60)\n"
                        "Nombre lecteurs : 0 (session : 1)\n"
                        "Erreur sans impact sur le fonctionnement\nLecteur CPS disponible\n"),
         EtatRow::Lecteur,
         {}},
        {"Lec_OuvertureSessionVitale=60,61", QStringLiteral("Lecteur Vitale"),
         QStringLiteral("Connexion au lecteur\nRetour en erreur : 60 (code : 61)\n"
                        "Nombre lecteurs : 0 (session : 2)\n"
                        "Cette erreur est bloquante pour le lecteur\nLecteur non joignable\n"),
         EtatRow::Lecteur, QStringLiteral("Lecteur ne répond pas !"), kBoldRed},
        // Only "O" blocks, not "o".
        {"Lec_OuvertureSessionVitale=62,60",
         QStringLiteral("Lecteur Vitale"),
         QStringLiteral("Connexion au lecteur\nRetour en erreur : 62 (code : 60)\n"
                        "Nombre lecteurs : 0 (session : 2)\n"
                        "Erreur sans impact sur le fonctionnement\nLecteur disponible\n"),
         EtatRow::Lecteur,
         {}},
        {"Lec_IntroductionMstCPS=60,61", QStringLiteral("Gestion CPS"),
         QStringLiteral("Accès carte CPS\nRetour en erreur : 60 (code : 61)\n"
                        "Etat carte : 0 (session : 1)\n"
                        "Cette erreur est bloquante pour le lecteur\nLecteur CPS non joignable\n"),
         EtatRow::Cartes, QStringLiteral("Carte CPS pas/mal insérée !"), kBoldRed},
        {"Lec_IntroductionMstCPS=61,60",
         QStringLiteral("Gestion CPS"),
         QStringLiteral("Accès carte CPS\nRetour en erreur : 61 (code : 60)\n"
                        "Etat carte : 0 (session : 1)\n"
                        "Erreur sans impact sur le fonctionnement\nLecteur CPS disponible\n"),
         EtatRow::Cartes,
         {}},
        // A detail code with a zero result is only reported.
        {"Lec_IntroductionMstCPS=0,3",
         QStringLiteral("Gestion CPS"),
         QStringLiteral("Accès carte CPS\n * Retour : 0\n * Erreur : 3\n"),
         EtatRow::Cartes,
         {},
         kPlain},
        // Classified by the detail code.
        {"Lec_IntroductionMstVitale=61,60", QStringLiteral("Gestion Vitale"),
         QStringLiteral("Accès carte Vitale\nRetour en erreur : 61 (code : 60)\n"
                        "Etat carte : 1 (session : 2)\n"
                        "Cette erreur est bloquante pour la lecture\n"
                        "Assurez-vous que le carte est bien insérée\n"
                        "La carte ne peut pas être lue\n"),
         EtatRow::Cartes, QStringLiteral("Carte pas/mal insérée !"), kBoldRed},
        {"Lec_IntroductionMstVitale=60,0",
         QStringLiteral("Gestion Vitale"),
         QStringLiteral("Accès carte Vitale\nRetour en erreur : 60 (code : 0)\n"
                        "Etat carte : 1 (session : 2)\n"
                        "Erreur sans impact sur le fonctionnement\nLa carte est accessible\n"),
         EtatRow::Cartes,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.retour.toStdString());
        scenario(kReaderA, c.retour);
        start();
        run();
        EXPECT_EQ(section(c.heading), c.lines);
        const QStringList lines = c.lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(format(lines.last()), c.last);
        for (qsizetype i = 1; i + 1 < lines.size(); ++i)
            EXPECT_EQ(format(lines[i]), kPlain) << lines[i].toStdString();
        if (c.failure.isEmpty()) {
            EXPECT_EQ(core().etat(EtatRow::Lecteur), EtatValide);
            EXPECT_EQ(core().etat(EtatRow::Cartes), EtatValide);
        } else {
            EXPECT_EQ(view.suivi, c.failure);
            EXPECT_EQ(core().etat(c.row), EtatEchec);
            EXPECT_EQ(core().appli_check_continue, 1);
        }
        stop();
    }
}

TEST_F(ResultCodes, TheDataReadClassifiesItsResult)
{
    // One beneficiary with a CMU entry; the scenario's dictionary knows none of the codes.
    const QByteArray carte =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><T_AsnDonneesVitale><tech><numSerie>42"
        "</numSerie></tech><listeBenef><b><ident><nomUsuel>DUPONT</nomUsuel></ident><cmu>"
        "<typeCMU>1</typeCMU></cmu></b></listeBenef></T_AsnDonneesVitale>";
    writeFile(apilecFolder() + QStringLiteral("carte.xml"), carte);
    const QString head = QStringLiteral("Extraction des informations\n"
                                        "Retour en erreur : %1 (code : %2)\n"
                                        "Taille retour : %3 (session : 2)\n");
    struct Case {
        QByteArray retour;
        QString lines;
        bool stops;
    };
    const Case cases[] = {
        {"Lec_LectureVitale=60,61",
         head.arg(60).arg(61).arg(carte.size()) +
             QStringLiteral("Cette erreur est bloquante pour la lecture\n"
                            "Assurez-vous que le carte est bien insérée\n"
                            "La carte ne peut pas être lue\n"),
         true},
        // Not blocking: the document is decoded, and a label the library does not know
        // leaves the fixed part of its slot alone.
        {"Lec_LectureVitale=61,60",
         head.arg(61).arg(60).arg(carte.size()) +
             QStringLiteral("Erreur sans impact sur le fonctionnement\n"
                            "La données ont été récupérées\n * cmu\nDictionnaire 13: 30(30)\n"
                            "Dictionnaire 1: 30(30)\nDictionnaire 2: 30(30)\n"),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.retour.toStdString());
        scenario(kReaderA, c.retour);
        start();
        run();
        EXPECT_EQ(section(QStringLiteral("Traitement des Données")), c.lines);
        EXPECT_EQ(core().etat(EtatRow::Informations), c.stops ? EtatEchec : EtatValide);
        // Both cards are released and both sessions closed whatever the read gave.
        EXPECT_TRUE(callLog().contains("Lec_FermetureSessionVitale session=2 -> 0,0"));
        EXPECT_TRUE(callLog().contains("Lec_FermetureSessionCPS session=1 -> 0,0"));
        if (c.stops) {
            EXPECT_EQ(format(QStringLiteral("La carte ne peut pas être lue")), kBoldRed);
            EXPECT_EQ(view.suivi, QStringLiteral("Données illisibles !"));
            EXPECT_EQ(core().appli_vitale.appli_xml_cnt2, 0);
        } else {
            EXPECT_EQ(format(QStringLiteral("La données ont été récupérées")), kBoldGreen);
            ASSERT_EQ(core().appli_vitale.appli_xml_cnt2, 1);
            const QStringList& entry = core().appli_vitale.appli_xml_ext[0];
            EXPECT_EQ(entry[14], QStringLiteral("- CMU : "));
            EXPECT_EQ(entry[51], QString());
            EXPECT_EQ(entry[52], QString());
        }
        stop();
    }
}

TEST_F(ResultCodes, AStageAfterAFailureMakesNoCall)
{
    // The professional-card session refused: no patient-card session is asked for, and its
    // number is 0 for the closing calls at the end of the run.
    scenario(kReaderA, "Lec_OuvertureSessionCPS=60,0");
    start();
    run();
    EXPECT_FALSE(callLog().contains("Lec_OuvertureSessionVitale"));
    EXPECT_FALSE(callLog().contains("Lec_IntroductionMst"));
    EXPECT_FALSE(callLog().contains("Lec_ControleCPS"));
    EXPECT_EQ(core().appli_api_session, 0);
    EXPECT_EQ(section(QStringLiteral("Gestion CPS")), QString());
    EXPECT_EQ(core().etat(EtatRow::Cartes), EtatEchec);
}

} // namespace
