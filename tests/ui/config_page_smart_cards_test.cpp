// The « Gestion » page lists the real service's virtual readers beside the library's, each
// with its card or not; picking one proposes its bare name for « Lecteur à forcer ».
#include "support/pcsc_service.h"
#include "support/app_fixture.h"
#include "support/reader_stage_fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>

using namespace kelvora::testing;

namespace
{

class GestionPage : public ReaderSetup<AppFixture>
{
protected:
    void SetUp() override
    {
        usePcscSocketOfTest();
        ReaderSetup<AppFixture>::SetUp();
        platform.realSmartCards = true;
    }
};

TEST_F(GestionPage, ListsTheVirtualReadersWithTheirCard)
{
    scenario(kReaderB);
    start();
    // Built and shown, the window has not looked at the service nor opened its library.
    window->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(platform.smartCardLooks, 0);
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("libpcsclite"));

    PcscService service(PcscService::Readers::Virtual);
    service.insertCard();
    window->btn_configClick();
    EXPECT_EQ(platform.smartCardLooks, 1);

    for (QComboBox* combo : {window->tab_config->combo_branches, window->tab_config->combo_branches_b}) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        EXPECT_EQ(items, (QStringList{QString::fromLatin1(kReaderB),
                                      QStringLiteral("Virtual PCD 00 00 (PC/SC, carte présente)"),
                                      QStringLiteral("Virtual PCD 00 01 (PC/SC, aucune carte)")}));
        EXPECT_EQ(combo->placeholderText(), QStringLiteral("3 lecteurs branchés : choisir"));
    }

    emit window->tab_config->combo_branches->activated(1);
    EXPECT_EQ(window->tab_config->edit_gestion_2->text(), kVirtualReader0);
    window->tab_config->PageControl_config->setCurrentWidget(window->tab_config->tab_config_3);
    emit window->tab_config->combo_branches_b->activated(2);
    EXPECT_EQ(window->tab_config->edit_gestion_2b->text(), kVirtualReader1);
    emit window->tab_config->combo_branches_b->activated(0);
    EXPECT_EQ(window->tab_config->edit_gestion_2b->text(), QString::fromLatin1(kReaderB));
}

} // namespace
