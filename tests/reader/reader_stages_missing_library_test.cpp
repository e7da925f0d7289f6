// A missing card-reader library or function fails the stage that needs it, and the run goes
// on as after any failure.
#include "support/reader_stage_fixture.h"

using namespace kelvora::testing;

namespace
{

class MissingLibrary : public ReaderStageFixture
{
};

TEST_F(MissingLibrary, FailsTheStageThatNeedsIt)
{
    struct Case {
        QString folder;
        QString heading;
        QString missingLine;
        EtatRow row;
        QString failure; // the headline names the library, not a card or a reader
    };
    const Case cases[] = {
        {temp.path() + QStringLiteral("/vide/"), QStringLiteral("Liste Lecteurs"),
         QStringLiteral("Bibliothèque du lecteur introuvable : libapi_lec.so"), EtatRow::Lecteur,
         QStringLiteral("Bibliothèque de lecture introuvable !")},
        // This one has the listing and the initialisation only.
        {QStringLiteral(KELVORA_PARTIAL_APILEC_DIR "/"), QStringLiteral("Lecteur CPS"),
         QStringLiteral("Fonction absente de la bibliothèque du lecteur : Lec_OuvertureSessionCPS"),
         EtatRow::Lecteur, QStringLiteral("Bibliothèque de lecture incomplète !")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        platform.exeFolder = c.folder;
        scenario();
        start();
        run();
        EXPECT_TRUE(section(c.heading).contains(c.missingLine + QStringLiteral("\n")))
            << section(c.heading).toStdString();
        EXPECT_EQ(format(c.missingLine), kBoldRed);
        EXPECT_EQ(view.suivi, c.failure);
        EXPECT_EQ(core().etat(c.row), EtatEchec);
        // Later stages only update their rows.
        EXPECT_EQ(core().etat(EtatRow::Cartes), EtatEchec);
        EXPECT_TRUE(log().contains(QStringLiteral("### Génération PDF")));
        EXPECT_EQ(view.page, kelvora::Page::Lancement);
        stop();
    }
}

} // namespace
