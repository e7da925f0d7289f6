// The PIN control: every case of the professional card's answer, the PIN field after a wrong
// PIN, and the PIN kept out of every log.
#include "support/reader_stage_fixture.h"

using namespace kelvora::testing;

namespace
{

class PinControl : public ReaderStageFixture
{
};

const QString kPasInseree = QStringLiteral("Carte CPS pas/mal insérée !");
const QString kVoirDiagnostic = QStringLiteral("Consulter le diagnostic pour plus d'informations");
const QString kCodeFaux = QStringLiteral("Code CPS faux !");
const QString kVerifiez = QStringLiteral("Vérifiez le code CPS avant de relancer la lecture");
const QString kBloquee = QStringLiteral("Carte CPS bloquée !");
const QString kPuk = QStringLiteral("Débloquez-la avec son code PUK avant de l'utiliser");
const QString kLignesBloquee =
    QStringLiteral("ARRET - carte CPS bloquée (code : 42)\n"
                   "Débloquez-la avec son code de déblocage (PUK) avant de l'utiliser\n");

// Every answer of the card: the log lines, the two follow-up labels and the PIN field.
TEST_F(PinControl, EveryAnswerOfTheCard)
{
    const QString head = QStringLiteral("Contrôle carte CPS\n");
    const QString etat = QStringLiteral("Etat carte : 0 (session : 1)\n");
    struct Case {
        QByteArray retour;
        QString pin;
        QString lines;
        QString suivi;  // empty: the stage succeeds
        QString suivi2;
        bool pinEmptied;
        QString redLine; // a line that must be bold red, when any
    };
    const Case cases[] = {
        {"", QStringLiteral("1234"), head + QStringLiteral("La carte CPS est accessible\n"), {},
         {}, false, {}},
        // 41 whose detail code is blocking: the blocking lines, not the stop on the PIN; the
        // result still says the PIN is wrong, and the detail is no count of tries.
        {"Lec_ControleCPS=41,60", QStringLiteral("1234"),
         head + QStringLiteral("Retour en erreur : 41 (code : 60)\n") + etat +
             QStringLiteral("Cette erreur est bloquante pour la lecture\n"
                            "Assurez-vous que le carte CPS est bien insérée\n"
                            "La carte CPS ne peut pas être lue\n"),
         kCodeFaux, kVerifiez, true, QStringLiteral("La carte CPS ne peut pas être lue")},
        {"Lec_ControleCPS=41,9", QStringLiteral("1234"),
         head + QStringLiteral("Retour en erreur : 41 (code : 9)\n") + etat +
             QStringLiteral("ARRET - erreur code CPS : 9\n"),
         kCodeFaux, kVerifiez, true, QStringLiteral("ARRET - erreur code CPS : 9")},
        // A real wrong PIN: 41 with the tries left as detail code.
        {"", QStringLiteral("4321"),
         head + QStringLiteral("Retour en erreur : 41 (code : 2)\n") + etat +
             QStringLiteral("ARRET - erreur code CPS : 2 (essais restants : 2)\n"),
         kCodeFaux, QStringLiteral("Encore 2 essais avant le blocage de la carte CPS"), true,
         QStringLiteral("ARRET - erreur code CPS : 2 (essais restants : 2)")},
        {"Lec_ControleCPS=0,2", QStringLiteral("1234"),
         head + QStringLiteral("Erreur : 2\nProbablement erreur code CPS\n"), kCodeFaux, kVerifiez,
         true, QStringLiteral("Probablement erreur code CPS")},
        {"Lec_ControleCPS=0,7", QStringLiteral("1234"), head + QStringLiteral("Erreur : 7\n"),
         kPasInseree, kVoirDiagnostic, false, QStringLiteral("Erreur : 7")},
        {"Lec_ControleCPS=5,61", QStringLiteral("1234"),
         head + QStringLiteral("Retour en erreur : 5 (code : 61)\n") + etat +
             QStringLiteral("Erreur sans impact sur le fonctionnement\nLa carte est accessible\n"),
         {}, {}, false, {}},
        // A blocked card, by its result or by its detail code: never « badly inserted ».
        {"Lec_ControleCPS=42,42", QStringLiteral("1234"),
         head + QStringLiteral("Retour en erreur : 42 (code : 42)\n") + etat + kLignesBloquee,
         kBloquee, kPuk, true, QStringLiteral("ARRET - carte CPS bloquée (code : 42)")},
        {"Lec_ControleCPS=0,42", QStringLiteral("1234"),
         head + QStringLiteral("Erreur : 42\n") + kLignesBloquee, kBloquee, kPuk, true,
         QStringLiteral("Débloquez-la avec son code de déblocage (PUK) avant de l'utiliser")},
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
        if (!c.suivi.isEmpty()) {
            EXPECT_EQ(view.suivi, c.suivi);
            EXPECT_EQ(view.suivi2, c.suivi2);
            EXPECT_EQ(view.suiviColor, ClMaroon);
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

// Three wrong PINs in a row as the practitioner would type them: the tries left count down,
// then the card is blocked and stays so, even for the right PIN.
TEST_F(PinControl, ThreeWrongPinsCountDownThenTheCardIsBlocked)
{
    scenario();
    start();
    struct Try {
        QString pin;
        QString arret;
        QString suivi;
        QString suivi2;
    };
    const Try tries[] = {
        {QStringLiteral("1111"), QStringLiteral("ARRET - erreur code CPS : 2 (essais restants : 2)\n"),
         kCodeFaux, QStringLiteral("Encore 2 essais avant le blocage de la carte CPS")},
        {QStringLiteral("2222"), QStringLiteral("ARRET - erreur code CPS : 1 (essais restants : 1)\n"),
         kCodeFaux, QStringLiteral("Dernier essai avant le blocage de la carte CPS")},
        {QStringLiteral("3333"), kLignesBloquee, kBloquee, kPuk},
        {QStringLiteral("1234"), kLignesBloquee, kBloquee, kPuk},
    };
    for (const Try& t : tries) {
        SCOPED_TRACE(t.pin.toStdString());
        run(t.pin);
        EXPECT_TRUE(section(QStringLiteral("Controle CPS")).endsWith(t.arret));
        EXPECT_EQ(view.suivi, t.suivi);
        EXPECT_EQ(view.suivi2, t.suivi2);
        EXPECT_TRUE(view.pin.isEmpty());
    }
    EXPECT_FALSE(log().contains(QStringLiteral("pas/mal insérée")));
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
