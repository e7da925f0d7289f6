// The daily rule of the update check, as a reading meets it: the check runs when the stored
// date is not today's, and records today's date whatever the server answered.
#include "support/reading_run_fixture.h"

#include <QFile>
#include <QLineEdit>

using namespace kelvora::testing;

namespace
{

TEST_F(ReadingRun, DailyRule)
{
    struct Case {
        const char* stored;
        QString line;
        bool checked;
    };
    const Case cases[] = {
        {nullptr, QStringLiteral("Dernier contrôle dépassé (56/48/-567)"), true},
        {"20261208", QStringLiteral("Dernier contrôle dépassé (08/12/2026)"), true},
        {"20261209", QStringLiteral("Dernier contrôle ce jour (09/12/2026)"), false},
        {"20270101", QStringLiteral("Dernier contrôle ce jour (01/01/2027)"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        QFile::remove(storePath());
        createStore(c.stored);
        start();
        run();
        const QString text = log();
        EXPECT_TRUE(text.contains(QStringLiteral("### Mise à Jour\nPréparation Mise à Jour\n") +
                                  c.line + QStringLiteral("\n")));
        EXPECT_EQ(text.contains(QStringLiteral("\nContrôle Mise à Jour\n")), c.checked);
        if (!c.checked)
            EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatNonTeste);
        else
            EXPECT_NE(window->etat(EtatRow::MiseAJour), EtatNonTeste);
        window.reset();
    }
}

TEST_F(ReadingRun, SecondRunOfTheDaySkipsTheCheck)
{
    createStore(nullptr);
    start();
    run();
    EXPECT_TRUE(log().contains(QStringLiteral("Dernier contrôle dépassé (56/48/-567)\n")));
    // The check recorded today's date, whatever the server answered.
    run();
    EXPECT_TRUE(log().contains(QStringLiteral("Dernier contrôle ce jour (09/12/2026)\n")));
    EXPECT_FALSE(log().contains(QStringLiteral("\nContrôle Mise à Jour\n")));
    EXPECT_EQ(window->etat(EtatRow::MiseAJour), EtatNonTeste);
}

} // namespace
