#include "diagnostics/log_save.h"

#include "base/durable_file.h"
#include "base/french_errors.h"

#include <stdexcept>

namespace kelvora::diagnostics
{

void saveDebugLog(const DiagnosticLog& log, const QString& path)
{
    // Written whole beside its name first, so a failed save never leaves half a file.
    if (const auto why = io::replaceFile(path, writeRtf(log.runs(), QStringLiteral("Tahoma"), 8))) {
        throw std::runtime_error(
            frenchFileError(QStringLiteral("Le fichier « %1 » n'a pas été enregistré.").arg(path),
                            why->error, why->reason)
                .toStdString());
    }
}

} // namespace kelvora::diagnostics
