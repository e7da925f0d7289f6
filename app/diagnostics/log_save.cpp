#include "diagnostics/log_save.h"

#include "io/durable_file.h"

#include <stdexcept>

namespace kelvora::diagnostics
{

void saveDebugLog(const DiagnosticLog& log, const QString& path)
{
    // Written whole beside its name first, so a failed save never leaves half a file.
    if (const auto why = io::replaceFile(path, writeRtf(log.runs(), QStringLiteral("Tahoma"), 8))) {
        throw std::runtime_error(QStringLiteral("Impossible d'enregistrer le fichier « %1 » (%2).")
                                     .arg(path, why->reason)
                                     .toStdString());
    }
}

} // namespace kelvora::diagnostics
