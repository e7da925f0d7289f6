// Listing the readers and initialising the library with the configured reader names.
#include "reader/reader_listing.h"
#include "reader/reader_stages.h"
#include "support/reader_stage_fixture.h"

using namespace kelvora::testing;

namespace
{

class ReaderListing : public ReaderStageFixture
{
};

TEST_F(ReaderListing, ZeroOneAndTwoReaders)
{
    struct Case {
        QByteArray readers;
        QByteArray retours;
        QString lines;
        QString kept;
    };
    const QString a = QString::fromLatin1(kReaderA);
    // More readers than the array may hold: refused as the library's error, never cut to size.
    QByteArray many = kReaderA;
    for (int i = 1; i <= kelvora::reader::kLecteursMax; ++i)
        many += "|Lecteur " + QByteArray::number(i);
    QByteArray most = kReaderA;
    for (int i = 1; i < kelvora::reader::kLecteursMax; ++i)
        most += "|Lecteur " + QByteArray::number(i);
    const Case cases[] = {
        {many, "",
         QStringLiteral("Nombre de lecteurs refusé : 257 (au plus 256)\nAucun lecteur trouvé !\n"),
         QStringLiteral("N/A")},
        {most, "", QStringLiteral("Nombre de lecteurs : 256\nLecteur branché : ") + a + "\n", a},
        {"", "",
         QStringLiteral(
             "Lecteur non branché\nErreur sans impact avec GALSS\nAucun lecteur trouvé !\n"),
         QStringLiteral("N/A")},
        {kReaderA, "", QStringLiteral("Nombre de lecteurs : 1\nLecteur branché : ") + a + "\n", a},
        {kReaderA + "|" + kReaderB, "",
         QStringLiteral("Nombre de lecteurs : 2\nLecteur branché : ") + a + "\n", a},
        {kReaderA, "Lec_ListeLecteurs=33,4",
         QStringLiteral("Nombre de lecteurs : 1 (erreur : 4 / code : 33)\n"
                        "Erreur sans impact avec GALSS\n"),
         a},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.readers.toStdString() + " " + c.retours.toStdString());
        scenario(c.readers, c.retours);
        start();
        run();
        EXPECT_EQ(section(QStringLiteral("Liste Lecteurs")),
                  QStringLiteral("Choix du lecteur\n") + c.lines);
        EXPECT_EQ(core().appli_reader_lec, c.kept);
        if (c.kept == a && c.retours.isEmpty()) {
            EXPECT_EQ(format(a), kBoldGreen);
        }
        if (c.readers.isEmpty()) {
            EXPECT_EQ(format(QStringLiteral("Lecteur non branché")), kBoldRed);
            EXPECT_EQ(format(QStringLiteral("Aucun lecteur trouvé !")), kBoldRed);
        }
        stop();
    }
}

TEST_F(ReaderListing, ListsOnlyUntilAReaderIsFound)
{
    scenario("");
    start();
    run();
    EXPECT_EQ(core().appli_reader_lec, QStringLiteral("N/A"));

    scenario(kReaderA);
    run();
    EXPECT_TRUE(section(QStringLiteral("Liste Lecteurs")).startsWith("Choix du lecteur\n"));
    EXPECT_EQ(core().appli_reader_lec, QString::fromLatin1(kReaderA));

    run();
    EXPECT_TRUE(log().contains(QStringLiteral("### Liste Lecteurs\n### Initialisation Lecteurs\n")))
        << log().toStdString();
    EXPECT_FALSE(log().contains(QStringLiteral("Choix du lecteur")));
    EXPECT_EQ(core().etat(EtatRow::Lecteur), EtatValide);
}

TEST_F(ReaderListing, InitialisesWithTheConfiguredNames)
{
    // Section and key names match without regard to case, as on Windows.
    writeIni("; poste 3\r\n[lecteur]\r\nRESSOURCE_VITALE=" + kReaderB +
             "\r\nressource_cps=" + kReaderA + "\r\n");
    scenario(kReaderA + "|" + kReaderB);
    start();
    run();
    EXPECT_EQ(section(QStringLiteral("Initialisation Lecteurs")),
              QStringLiteral("Initialisation du lecteur\nContenu api_lec (Vitale) : ") +
                  QString::fromLatin1(kReaderB) + QStringLiteral("\nContenu api_lec (CPS) : ") +
                  QString::fromLatin1(kReaderA) + QStringLiteral("\nLecteur initialisé\n"));
    EXPECT_EQ(format(QStringLiteral("Lecteur initialisé")), kBoldGreen);
    EXPECT_TRUE(callLog().contains("Lec_InitLecteurs vitale=\"" + kReaderB + "\" cps=\"" +
                                   kReaderA + "\" -> 0,0"));
    EXPECT_EQ(core().appli_reader_use, kReaderB);
    EXPECT_EQ(core().appli_reader_use2, kReaderA);
}

TEST_F(ReaderListing, MissingSectionGivesEmptyNamesAndABlockingRefusal)
{
    writeIni("[Autre]\r\nRessource_Vitale=" + kReaderA + "\r\n");
    scenario(kReaderA);
    start();
    run();
    EXPECT_EQ(section(QStringLiteral("Initialisation Lecteurs")),
              QStringLiteral("Initialisation du lecteur\n"
                             "Contenu api_lec (Vitale) : Fichier non trouvé à l'emplacement voulu\n"
                             "Contenu api_lec (CPS) : Fichier non trouvé à l'emplacement voulu\n"
                             "Retour en erreur : 16 (code : 16)\n"
                             "Cette erreur est bloquante pour le lecteur\n"
                             "Lecteur non joignable\n"));
    EXPECT_TRUE(callLog().contains("Lec_InitLecteurs vitale=\"\" cps=\"\" -> 16,16"));
    EXPECT_EQ(format(QStringLiteral("Fichier non trouvé à l'emplacement voulu")), kBoldRed);
    EXPECT_EQ(view.suivi, QStringLiteral("Lecteur ne répond pas !"));
    EXPECT_EQ(core().etat(EtatRow::Lecteur), EtatEchec);
}

} // namespace
