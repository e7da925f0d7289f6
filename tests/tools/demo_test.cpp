// The demo installation that kelvora-admin lays out, read through the run as a user would.
#include "support/reader_stage_fixture.h"

#include <QProcess>

using namespace kelvora::testing;

namespace
{

class DemoRun : public ReaderStageFixture
{
protected:
    void SetUp() override
    {
        ReaderStageFixture::SetUp();
        layOutDemo();
    }

    QByteArray read(const QString& name) const
    {
        QFile f(apilecFolder() + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(DemoRun, LaysOutTheCardReaderFiles)
{
    EXPECT_EQ(read(QStringLiteral("api_lec.ini")), "[Lecteur]\r\nRessource_Vitale=" + kReaderA +
                                                       "\r\nRessource_CPS=" + kReaderA + "\r\n");
    const QByteArray scenario = read(QStringLiteral("api_lec_sim.ini"));
    EXPECT_TRUE(scenario.contains("[Lecteurs]\r\nListe=" + kReaderA + "\r\n"));
    EXPECT_TRUE(scenario.contains("[CPS]\r\nInseree=1\r\nPIN=1234\r\n"));
    EXPECT_TRUE(scenario.contains("[Vitale]\r\nInseree=1\r\nDocument=carte.xml\r\n"));
    EXPECT_TRUE(scenario.contains("[Dictionnaire]\r\n1.01=R\xe9gime g\xe9n\xe9ral\r\n"));
    QByteArray tenBeneficiaries = read(QStringLiteral("api_lec_sim-10.ini"));
    EXPECT_EQ(tenBeneficiaries.replace("Document=carte-10.xml", "Document=carte.xml"), scenario);
    for (const char* name : {"carte.xml", "carte-10.xml"}) {
        QFile source(QStringLiteral(KELVORA_SOURCE_DIR "/tools/demo/") + QLatin1String(name));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        EXPECT_EQ(read(QLatin1String(name)), source.readAll()) << name;
    }
}

TEST_F(DemoRun, TheReaderStagesSucceedWithTheDemoPin)
{
    start();
    run(QStringLiteral("1234"));
    EXPECT_EQ(core().etat(EtatRow::Lecteur), EtatValide);
    EXPECT_EQ(core().etat(EtatRow::Cartes), EtatValide);
    EXPECT_EQ(section(QStringLiteral("Controle CPS")),
              QStringLiteral("Contrôle carte CPS\nLa carte CPS est accessible\n"));
    EXPECT_EQ(section(QStringLiteral("Gestion Vitale")),
              QStringLiteral("Accès carte Vitale\nLa carte est accessible\n"));
    // The whole reading goes through to the certificate.
    EXPECT_EQ(view.page, kelvora::Page::Pdf) << log().toStdString();
}

TEST_F(DemoRun, AWrongPinStopsTheRunAndEmptiesTheField)
{
    start();
    run(QStringLiteral("1111"));
    // Told as a wrong PIN with the tries left, not as a badly inserted card.
    EXPECT_EQ(view.suivi, QStringLiteral("Code CPS faux !"));
    EXPECT_EQ(view.suivi2, QStringLiteral("Encore 2 essais avant le blocage de la carte CPS"));
    EXPECT_EQ(section(QStringLiteral("Controle CPS")),
              QStringLiteral("Contrôle carte CPS\nRetour en erreur : 41 (code : 2)\n"
                             "Etat carte : 0 (session : 1)\n"
                             "ARRET - erreur code CPS : 2 (essais restants : 2)\n"));
    EXPECT_TRUE(view.pin.isEmpty());
}

TEST_F(DemoRun, NoReaderShowsTheThreeLines)
{
    QByteArray scenario = read(QStringLiteral("api_lec_sim.ini"));
    scenario.replace("Liste=" + kReaderA, "Liste=");
    writeFile(apilecFolder() + QStringLiteral("api_lec_sim.ini"), scenario);
    start();
    run(QStringLiteral("1234"));
    EXPECT_EQ(
        section(QStringLiteral("Liste Lecteurs")),
        QStringLiteral("Choix du lecteur\nLecteur non branché\nErreur sans impact avec GALSS\n"
                       "Aucun lecteur trouvé !\n"));
    EXPECT_EQ(view.suivi, QStringLiteral("Lecteur ne répond pas !"));
}

} // namespace
