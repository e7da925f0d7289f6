// The PIN control: every case of the professional card's answer, the PIN field after a wrong
// PIN, and the PIN kept out of every log.
#include "reader_stage_fixture.h"

using namespace kelvora::testing;

namespace
{

class PinControl : public ReaderStageFixture
{
};

TEST_F(PinControl, EveryAnswerOfTheCard)
{
    const QString head = QStringLiteral("Contrôle carte CPS\n");
    const QString etat = QStringLiteral("Etat carte : 0 (session : 1)\n");
    struct Case {
        QByteArray retour;
        QString pin;
        QString lines;
        bool stops;
        bool pinEmptied;
        QString redLine; // a line that must be bold red, when any
    };
    const Case cases[] = {
        {"",
         QStringLiteral("1234"),
         head + QStringLiteral("La carte CPS est accessible\n"),
         false,
         false,
         {}},
        // 41 whose detail code is blocking: the blocking lines, not the stop on the PIN.
        {"Lec_ControleCPS=41,60", QStringLiteral("1234"),
         head + QStringLiteral("Retour en erreur : 41 (code : 60)\n") + etat +
             QStringLiteral("Cette erreur est bloquante pour la lecture\n"
                            "Assurez-vous que le carte CPS est bien insérée\n"
                            "La carte CPS ne peut pas être lue\n"),
         true, true, QStringLiteral("La carte CPS ne peut pas être lue")},
        {"Lec_ControleCPS=41,9", QStringLiteral("1234"),
         head + QStringLiteral("Retour en erreur : 41 (code : 9)\n") + etat +
             QStringLiteral("ARRET - erreur code CPS : \n"),
         true, true, QStringLiteral("ARRET - erreur code CPS : ")},
        // A real wrong PIN: 41 with the tries left as detail code.
        {"", QStringLiteral("4321"),
         head + QStringLiteral("Retour en erreur : 41 (code : 2)\n") + etat +
             QStringLiteral("ARRET - erreur code CPS : \n"),
         true, true, QStringLiteral("ARRET - erreur code CPS : ")},
        {"Lec_ControleCPS=0,2", QStringLiteral("1234"),
         head + QStringLiteral("Erreur : 2\nProbablement erreur code CPS\n"), true, true,
         QStringLiteral("Probablement erreur code CPS")},
        {"Lec_ControleCPS=0,7", QStringLiteral("1234"), head + QStringLiteral("Erreur : 7\n"), true,
         false, QStringLiteral("Erreur : 7")},
        {"Lec_ControleCPS=5,61",
         QStringLiteral("1234"),
         head + QStringLiteral("Retour en erreur : 5 (code : 61)\n") + etat +
             QStringLiteral("Erreur sans impact sur le fonctionnement\nLa carte est accessible\n"),
         false,
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.retour.toStdString() + " " + c.pin.toStdString());
        scenario(kReaderA, c.retour);
        start();
        run(c.pin);
        EXPECT_EQ(section(QStringLiteral("Controle CPS")), c.lines);
        if (!c.redLine.isEmpty()) {
            EXPECT_EQ(format(c.redLine), kBoldRed);
        }
        EXPECT_EQ(view.pin, c.pinEmptied ? QString() : c.pin);
        if (c.stops) {
            EXPECT_EQ(view.suivi, QStringLiteral("Carte CPS pas/mal insérée !"));
            EXPECT_EQ(core().etat(EtatRow::Cartes), EtatEchec);
            EXPECT_FALSE(callLog().contains("Lec_IntroductionMstVitale"));
        } else {
            EXPECT_EQ(core().etat(EtatRow::Cartes), EtatValide);
            EXPECT_TRUE(section(QStringLiteral("Gestion Vitale"))
                            .endsWith(QStringLiteral("La carte est accessible\n")));
        }
        stop();
    }
}

TEST_F(PinControl, ThePinIsNeverLoggedNorKept)
{
    // A PIN that no other text of the log or of the library's call log could contain.
    scenario(kReaderA, {}, "Inseree=1\r\nPIN=8642");
    start();
    run(QStringLiteral("8642"));
    EXPECT_EQ(core().etat(EtatRow::Cartes), EtatValide);
    EXPECT_TRUE(callLog().contains("Lec_ControleCPS session=1 pin=right -> 0,0"));
    EXPECT_FALSE(callLog().contains("8642"));
    EXPECT_FALSE(log().contains(QStringLiteral("8642")));
    EXPECT_EQ(core().appli_api_pin_saisie, nullptr);
    // A right PIN stays in its field for the next run.
    EXPECT_EQ(view.pin, QStringLiteral("8642"));
}

} // namespace
