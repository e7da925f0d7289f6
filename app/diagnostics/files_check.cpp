// First stage of a reading run: every file the installation lists is there, with its size.
#include "shell/tppal.h"
#include "store/statements.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

void Tppal::check_fichiersExecute()
{
    runStage(
        EtatRow::Fichiers,
        {QStringLiteral("Contrôle des fichiers"), QStringLiteral("Contrôle des fichiers"),
         QStringLiteral("Fichier(s) manquant(s) !")},
        [this] {
            if (!Base_donnees)
                throw std::runtime_error("Base de configuration non ouverte");
            for (const kelvora::store::Fichier& row : kelvora::store::listFichiers(*Base_donnees)) {
                appli_check_val1 = QString::fromStdString(row.nom);
                appli_check_val2 = QString::fromStdString(row.dossier);
                appli_check_val3 = QString::fromStdString(row.taille);
                AddDebugText(appli_check_val1 + QStringLiteral(" (") + appli_check_val2 +
                                 QStringLiteral(") : "),
                             StyleNone, ClBlack);
                if (appli_check_val2 == QLatin1String("N/A"))
                    appli_check_val1.prepend(platform().executableFolder());
                else if (appli_check_val2 == QLatin1String("apilec"))
                    appli_check_val1.prepend(appli_dossier_apilec);
                else
                    appli_check_val1.prepend(appli_check_val2);

                // A folder of that name is not the file; a link counts as its target.
                if (!QFileInfo(appli_check_val1).isFile()) {
                    AddDebugText(QStringLiteral("manquant\r\n"), StyleBold, ClRed);
                    appli_check_continue = 1;
                    continue;
                }
                if (appli_check_val3 == QLatin1String("0")) {
                    AddDebugText(QStringLiteral("présent (taille non contrôlée)\r\n"), StyleBold,
                                 ClGreen);
                    continue;
                }
                bool ok = false;
                const qint64 expected = appli_check_val3.toLongLong(&ok);
                if (!ok)
                    throw std::runtime_error(
                        QStringLiteral("Taille attendue invalide pour %1 : « %2 »")
                            .arg(appli_check_val1, appli_check_val3)
                            .toStdString());
                QFile file(appli_check_val1);
                if (!file.open(QIODevice::ReadOnly))
                    throw std::runtime_error(QStringLiteral("Impossible d'ouvrir %1 : %2")
                                                 .arg(appli_check_val1, file.errorString())
                                                 .toStdString());
                const qint64 size = file.size();
                appli_file_size = static_cast<qint32>(qMin<qint64>(size, INT32_MAX));
                if (size == expected) {
                    AddDebugText(QStringLiteral("présent (taille valide)\r\n"), StyleBold, ClGreen);
                } else {
                    AddDebugText(QStringLiteral("taille incorrecte (") + QString::number(size) +
                                     QStringLiteral("!=") + appli_check_val3 +
                                     QStringLiteral(")\r\n"),
                                 StyleBold, ClRed);
                    appli_check_continue = 1;
                }
            }
        });
}
