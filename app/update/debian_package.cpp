#include "update/debian_package.h"

#include <QFileInfo>
#include <QProcess>

namespace kelvora
{

QString debianPackageName(const QString& path)
{
    QProcess dpkgDeb;
    // An absolute path cannot be taken for an option.
    dpkgDeb.start(
        QStringLiteral("dpkg-deb"),
        {QStringLiteral("--field"), QFileInfo(path).absoluteFilePath(), QStringLiteral("Package")});
    dpkgDeb.closeWriteChannel();
    if (!dpkgDeb.waitForFinished(30000)) {
        dpkgDeb.kill();
        dpkgDeb.waitForFinished();
        return {};
    }
    if (dpkgDeb.exitStatus() != QProcess::NormalExit || dpkgDeb.exitCode() != 0)
        return {};
    return QString::fromUtf8(dpkgDeb.readAllStandardOutput()).trimmed();
}

} // namespace kelvora
