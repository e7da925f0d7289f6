// The common file errors said in French, what to do first and the system's reason after it.
#include "base/french_errors.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace
{

TEST(FrenchFileErrors, CommonCausesLeadWithWhatToDo)
{
    struct Case {
        int error;
        const char* advice; // the beginning of the advice; empty: none
    };
    const Case cases[] = {
        {EACCES, "Ce compte n'a pas le droit d'écrire à cet endroit"},
        {EROFS, "Ce compte n'a pas le droit d'écrire à cet endroit"},
        {EISDIR, "Un dossier porte ce nom"},
        {ENOTDIR, "Un dossier porte ce nom"},
        {ENOSPC, "Le disque est plein"},
        {ENOENT, "Le fichier ou son dossier est introuvable"},
        {EIO, ""},
    };
    const QString lead = QStringLiteral("Le diagnostic n'a pas été enregistré.");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const QString text = kelvora::frenchFileError(lead, c.error);
        const QString reason = QString::fromLocal8Bit(std::strerror(c.error));
        const QString advice = QString::fromUtf8(c.advice);
        EXPECT_TRUE(text.startsWith(advice.isEmpty() ? lead + QStringLiteral(" (")
                                                     : lead + QLatin1Char(' ') + advice))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral(" (") + reason + QLatin1Char(')')))
            << text.toStdString();
    }
    // A reason given by the caller replaces the system's text.
    EXPECT_EQ(kelvora::frenchFileError(lead, ENOSPC, QStringLiteral("disque plein")),
              lead + QStringLiteral(" Le disque est plein : libérez de la place, ou choisissez un "
                                    "autre disque. (disque plein)"));
}

} // namespace
