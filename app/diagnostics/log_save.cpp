#include "diagnostics/log_save.h"

#include <QSaveFile>
#include <stdexcept>

namespace kelvora::diagnostics
{

void saveDebugLog(const DiagnosticLog& log, const QString& path)
{
    // Written whole to a temporary file first, so a failed save never leaves half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(writeRtf(log.runs(), QStringLiteral("Tahoma"), 8)) < 0 || !file.commit()) {
        throw std::runtime_error(QStringLiteral("Impossible d'enregistrer le fichier « %1 » : %2")
                                     .arg(path, file.errorString())
                                     .toStdString());
    }
}

} // namespace kelvora::diagnostics
