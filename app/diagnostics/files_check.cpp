#include "diagnostics/files_check.h"

#include "store/statements.h"
#include "store/store_error.h"

#include <QFile>
#include <QFileInfo>

namespace kelvora::diagnostics
{

void check_fichiersExecute(RunCore& c)
{
    c.runStage(
        EtatRow::Fichiers,
        {QStringLiteral("Contrôle des fichiers"), QStringLiteral("Contrôle des fichiers"),
         QStringLiteral("Fichier(s) manquant(s) !")},
        [&c] {
            StageResult result;
            for (const store::Fichier& row : store::listFichiers(c.store())) {
                c.appli_check_val1 = QString::fromStdString(row.nom);
                c.appli_check_val2 = QString::fromStdString(row.dossier);
                c.appli_check_val3 = QString::fromStdString(row.taille);
                c.AddDebugText(c.appli_check_val1 + QStringLiteral(" (") + c.appli_check_val2 +
                                 QStringLiteral(") : "),
                             StyleNone, ClBlack);
                if (c.appli_check_val2 == QLatin1String("N/A"))
                    c.appli_check_val1.prepend(c.platform().executableFolder());
                else if (c.appli_check_val2 == QLatin1String("apilec"))
                    c.appli_check_val1.prepend(c.appli_dossier_apilec);
                else
                    c.appli_check_val1.prepend(c.appli_check_val2);

                // A folder of that name is not the file; a link counts as its target.
                if (!QFileInfo(c.appli_check_val1).isFile()) {
                    c.AddDebugText(QStringLiteral("manquant\r\n"), StyleBold, ClRed);
                    result.fail();
                    continue;
                }
                if (c.appli_check_val3 == QLatin1String("0")) {
                    c.AddDebugText(QStringLiteral("présent (taille non contrôlée)\r\n"), StyleBold,
                                 ClGreen);
                    continue;
                }
                bool ok = false;
                const qint64 expected = c.appli_check_val3.toLongLong(&ok);
                if (!ok)
                    throw store::DataError(
                        QStringLiteral("Taille attendue invalide pour %1 : « %2 »")
                            .arg(c.appli_check_val1, c.appli_check_val3)
                            .toStdString());
                // A file there that cannot be read is told like any other bad file, and the
                // other rows are still examined.
                QFile file(c.appli_check_val1);
                if (!file.open(QIODevice::ReadOnly)) {
                    c.AddDebugText(QStringLiteral("illisible (") + file.errorString() +
                                       QStringLiteral(")\r\n"),
                                   StyleBold, ClRed);
                    result.fail();
                    continue;
                }
                const qint64 size = file.size();
                c.appli_file_size = static_cast<qint32>(qMin<qint64>(size, INT32_MAX));
                if (size == expected) {
                    c.AddDebugText(QStringLiteral("présent (taille valide)\r\n"), StyleBold, ClGreen);
                } else {
                    c.AddDebugText(QStringLiteral("taille incorrecte (") + QString::number(size) +
                                     QStringLiteral("!=") + c.appli_check_val3 +
                                     QStringLiteral(")\r\n"),
                                 StyleBold, ClRed);
                    result.fail();
                }
            }
            return result;
        });
}

} // namespace kelvora::diagnostics
