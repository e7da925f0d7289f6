// Qt's own texts in French: the save dialog's buttons and labels, the fields' context menu.
#include "support/app_fixture.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using namespace kelvora::testing;

namespace
{

class French : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        application();
        ASSERT_TRUE(kelvora::ui::installFrenchTranslations(application()));
    }
};

TEST_F(French, TheSaveDialogSpeaksFrench)
{
    QFileDialog dialog(nullptr, QStringLiteral("Sauvegarde du diagnostique Kelvora"), QString(),
                       QStringLiteral("Fichier RTF (*.rtf)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QStringList texts;
    for (QAbstractButton* b : buttons->buttons())
        texts << b->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("&Enregistrer"))) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Annuler"))) << texts.join('|').toStdString();
    // Qt 6.8's French (Debian 13) puts a no-break space before the colon, as French typography
    // wants; Qt 6.4's (Debian 12) a plain one. Either is right.
    QStringList labels;
    for (QLabel* l : dialog.findChildren<QLabel*>())
        labels << l->text().replace(QChar(0x00A0), QLatin1Char(' '));
    for (const char* expected : {"Voir dans :", "&Nom de fichier :", "Fichiers de type :"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(expected)))
            << expected << " in " << labels.join('|').toStdString();
}

TEST_F(French, TheContextMenuOfAFieldSpeaksFrench)
{
    QLineEdit field;
    field.setText(QStringLiteral("Lecteur"));
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text().section(QLatin1Char('\t'), 0, 0);
    for (const char* expected : {"Co&uper", "Cop&ier", "Co&ller", "Tout sélectionner"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected)))
            << expected << " in " << texts.join('|').toStdString();
}

} // namespace
