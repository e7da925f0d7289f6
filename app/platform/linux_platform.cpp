#include "platform/linux_platform.h"

#include "common/shared_object.h"
#include "common/update_outcome.h"
#include "platform/pcsc_look.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace kelvora
{

namespace
{

QString readFirstLine(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readLine()).trimmed();
}

QString osPrettyName()
{
    QFile f(QStringLiteral("/etc/os-release"));
    if (f.open(QIODevice::ReadOnly)) {
        while (!f.atEnd()) {
            const QString line = QString::fromUtf8(f.readLine()).trimmed();
            if (line.startsWith(QLatin1String("PRETTY_NAME="))) {
                QString v = line.mid(12);
                if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
                    v = v.mid(1, v.size() - 2);
                return v;
            }
        }
    }
    return QSysInfo::prettyProductName();
}

// The processor identifier as Windows shows it: CPUID leaf 1, EDX then EAX, in hexadecimal.
QString processorId()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return QStringLiteral("%1%2")
            .arg(edx, 8, 16, QLatin1Char('0'))
            .arg(eax, 8, 16, QLatin1Char('0'))
            .toUpper();
#endif
    return {};
}

quint32 l2CacheKb()
{
    for (int i = 0; i < 8; ++i) {
        const QString base = QStringLiteral("/sys/devices/system/cpu/cpu0/cache/index%1/").arg(i);
        if (readFirstLine(base + QStringLiteral("level")) != QLatin1String("2"))
            continue;
        QString size = readFirstLine(base + QStringLiteral("size"));
        quint32 factor = 1;
        if (size.endsWith(QLatin1Char('K'))) {
            size.chop(1);
        } else if (size.endsWith(QLatin1Char('M'))) {
            size.chop(1);
            factor = 1024;
        }
        return size.toUInt() * factor;
    }
    return 0;
}

} // namespace

LinuxPlatform::LinuxPlatform() = default;

LinuxPlatform::~LinuxPlatform()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

QString LinuxPlatform::commonAppDataFolder()
{
    const QByteArray forced = qgetenv("KELVORA_PROGRAMDATA");
    QString folder = forced.isEmpty() ? QStringLiteral("/var/lib") : QString::fromLocal8Bit(forced);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString LinuxPlatform::executableFolder()
{
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(exe).absolutePath() + QLatin1Char('/');
}

QString LinuxPlatform::fileVersion(const QString& path)
{
    // Shared objects carry their version in their real file name: libx.so.5.20.1.0.
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    const QString real = QFileInfo(info.canonicalFilePath()).fileName();
    static const QRegularExpression versioned(QStringLiteral("\\.so\\.(\\d+(?:\\.\\d+)*)$"));
    const QRegularExpressionMatch m = versioned.match(real);
    return m.hasMatch() ? m.captured(1) : QString();
}

bool LinuxPlatform::acquireSingleInstance(const QString& name)
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    QDir().mkpath(runtime);
    const QByteArray lockPath = QFile::encodeName(runtime + QLatin1Char('/') + name + ".lock");
    lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0)
        return true; // without a lock file we cannot tell; never refuse to start for that
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd_);
        lockFd_ = -1;
        return false;
    }
    return true;
}

bool LinuxPlatform::openDocument(const QString& pathOrUrl)
{
    if (pathOrUrl.contains(QLatin1String("://")))
        return QProcess::startDetached(QStringLiteral("xdg-open"), {pathOrUrl});
    // Qt only reports that xdg-open started. Its verdict is waited for briefly, so a missing
    // viewer is told; the shell stays detached, so closing Kelvora never closes the viewer.
    QTemporaryDir dir;
    const QString verdict = dir.filePath(QStringLiteral("verdict"));
    if (!dir.isValid() ||
        !QProcess::startDetached(QStringLiteral("/bin/sh"),
                                 {QStringLiteral("-c"),
                                  QStringLiteral("xdg-open \"$1\" >/dev/null 2>&1; "
                                                 "echo $? > \"$2\""),
                                  QStringLiteral("sh"), pathOrUrl, verdict}))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000) {
        QFile answer(verdict);
        if (answer.open(QIODevice::ReadOnly) && answer.size() > 0)
            return answer.readAll().trimmed() == "0";
        QThread::msleep(50);
    }
    dir.setAutoRemove(false); // the shell writes there later; a few bytes in /tmp
    return true;              // still running: the viewer itself is open
}

std::optional<Failure> LinuxPlatform::printDocument(const QString& path)
{
    // CUPS's lp sends the file to the default printer and answers once the job is queued.
    QProcess lp;
    lp.setProcessChannelMode(QProcess::MergedChannels);
    lp.start(QStringLiteral("lp"), {QStringLiteral("--"), path});
    if (!lp.waitForStarted(10000))
        return Failure{QStringLiteral("la commande d'impression « lp » est introuvable")};
    QElapsedTimer waited;
    waited.start();
    while (!lp.waitForFinished(50)) {
        if (waited.elapsed() > 60000) {
            lp.kill();
            lp.waitForFinished(1000);
            return Failure{QStringLiteral("l'imprimante ne répond pas")};
        }
        QCoreApplication::processEvents();
    }
    if (lp.exitStatus() == QProcess::NormalExit && lp.exitCode() == 0)
        return std::nullopt;
    // lp ends its sentence with a full stop; it is quoted inside one of ours.
    QString said = QString::fromLocal8Bit(lp.readAll()).trimmed();
    while (said.endsWith(QLatin1Char('.')))
        said.chop(1);
    // CUPS's own words for "no printer": no default one, or no print service at all.
    static const QRegularExpression noPrinter(
        QStringLiteral("No default destination|Unable to connect to server|scheduler is not "
                       "running|does not exist"),
        QRegularExpression::CaseInsensitiveOption);
    if (noPrinter.match(said).hasMatch())
        return Failure{
            QStringLiteral("aucune imprimante n'est disponible sur ce poste (%1)").arg(said)};
    return Failure{said.isEmpty()
                       ? QStringLiteral("l'impression a échoué (code %1)").arg(lp.exitCode())
                       : QStringLiteral("l'impression a échoué (%1)").arg(said)};
}

namespace
{

// pkexec's own refusals, in the user's language; the helper says its reasons itself. pkexec
// answers 127 both when no agent can ask the password and when it was refused: its words tell.
QString pkexecReason(int code, const QString& said)
{
    if (code == 126)
        return QStringLiteral("La mise à jour a été annulée : le mot de passe administrateur n'a "
                              "pas été donné.");
    if (said.contains(QLatin1String("authentication agent"), Qt::CaseInsensitive))
        return QStringLiteral("Le mot de passe administrateur n'a pas pu être demandé sur ce "
                              "bureau. Lancez Kelvora depuis la session de bureau (menu des "
                              "applications), ou demandez à l'administrateur du poste "
                              "d'installer la mise à jour.");
    if (said.contains(QLatin1String("Not authorized"), Qt::CaseInsensitive))
        return QStringLiteral("L'autorisation administrateur a été refusée : le mot de passe n'a "
                              "pas été accepté.");
    return QStringLiteral("L'autorisation administrateur n'a pas pu être obtenue (pkexec).");
}

} // namespace

std::optional<Failure> LinuxPlatform::installUpdate(const UpdateProgressHandler& progress)
{
    Failure failure{QString(), -1};
    // pkexec must be our own child: it refuses a parent that has gone (a double fork), and
    // it names the helper, not a shell, in the password prompt. The helper takes no argument.
    QProcess pkexec;
    pkexec.setProgram(pkexec_);
    pkexec.setArguments({QString::fromLatin1(kInstallerHelper)});
    pkexec.setStandardInputFile(QProcess::nullDevice());
    pkexec.start();
    if (!pkexec.waitForStarted(30000)) {
        failure.reason =
            QStringLiteral("Le programme pkexec est introuvable ou n'a pas pu être lancé.");
        failure.detail = pkexec.errorString();
        return failure;
    }
    // The helper's progress lines, as they come; anything else it says is for the log.
    QString said;
    const auto readProgress = [&pkexec, &progress, &said] {
        while (pkexec.canReadLine()) {
            const QByteArray line = pkexec.readLine().trimmed();
            if (const auto step = update::parseProgressLine(line.toStdString())) {
                if (progress)
                    progress(step->percent, QString::fromStdString(step->text));
            } else if (!line.isEmpty()) {
                said += QString::fromUtf8(line) + QLatin1Char('\n');
            }
        }
    };
    // The password prompt and apt may take minutes; the window repaints meanwhile. An
    // installation under way is never cut, even when the application is asked to end.
    while (pkexec.state() != QProcess::NotRunning && !pkexec.waitForFinished(50)) {
        readProgress();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    readProgress();
    if (pkexec.bytesAvailable() > 0)
        said += QString::fromUtf8(pkexec.readAll());

    const QString errors = QString::fromUtf8(pkexec.readAllStandardError()).trimmed();
    failure.detail = (said + errors).trimmed();
    if (pkexec.exitStatus() != QProcess::NormalExit) {
        failure.reason = QStringLiteral("L'installation s'est arrêtée anormalement.");
        return failure;
    }
    failure.error = pkexec.exitCode();
    if (failure.error == 0)
        return std::nullopt;
    if (failure.error == 126 || failure.error == 127) {
        failure.reason = pkexecReason(failure.error, errors);
        return failure;
    }
    const std::string reason = update::installerReason(failure.error);
    failure.reason = reason.empty()
                         ? QStringLiteral("L'installation a échoué (code %1).").arg(failure.error)
                         : QString::fromStdString(reason);
    return failure;
}

QString LinuxPlatform::documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

namespace
{

class PlatformLibrary : public SharedLibrary
{
public:
    explicit PlatformLibrary(std::unique_ptr<SharedObject> object) : object_(std::move(object)) {}
    void* symbol(const char* name) const override { return object_->symbol(name); }

private:
    std::unique_ptr<SharedObject> object_;
};

} // namespace

std::unique_ptr<SharedLibrary> LinuxPlatform::openSharedObject(const QString& path, QString& error)
{
    std::string reason;
    std::unique_ptr<SharedObject> object =
        SharedObject::open(QFile::encodeName(path).toStdString(), reason);
    if (!object) {
        error = QString::fromLocal8Bit(reason);
        return nullptr;
    }
    return std::make_unique<PlatformLibrary>(std::move(object));
}

std::unique_ptr<SharedLibrary> LinuxPlatform::loadLibrary(const QString& path, QString& error)
{
    return openSharedObject(path, error);
}

void LinuxPlatform::disableCoreDumps()
{
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
}

SmartCardLook LinuxPlatform::smartCardReaders()
{
    return lookAtPcsc();
}

SystemFacts LinuxPlatform::systemFacts()
{
    SystemFacts f;
    f.osCaption = osPrettyName();
    f.osBuildNumber = QSysInfo::kernelVersion();
    f.osArchitecture = QSysInfo::currentCpuArchitecture().contains(QLatin1String("64"))
                           ? QStringLiteral("64 bits")
                           : QStringLiteral("32 bits");
    f.computerName = QSysInfo::machineHostName();
    f.osSerialNumber = readFirstLine(QStringLiteral("/etc/machine-id"));
    f.biosManufacturer = readFirstLine(QStringLiteral("/sys/class/dmi/id/bios_vendor"));
    f.processorId = processorId();
    f.l2CacheSizeKb = l2CacheKb();
    return f;
}

QDateTime LinuxPlatform::now()
{
    return QDateTime::currentDateTime();
}

} // namespace kelvora
