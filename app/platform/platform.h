// Everything the application asks of the operating system, behind one interface so the
// window code runs the same on Windows, Linux and in tests (where a fake stands in). What it
// asks of the user (boxes, dialogs) is the window's, behind UserDialogs.
#pragma once

#include "base/failure.h"
#include "common/update_kind.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

namespace kelvora
{

// Machine facts of the diagnostic report, named after what they mean on Windows.
struct SystemFacts {
    QString osCaption;
    QString osBuildNumber;
    QString osArchitecture;
    QString computerName;
    QString osSerialNumber;
    QString biosManufacturer;
    QString processorId;
    quint32 l2CacheSizeKb = 0;
};

// A library bound at run time; unloaded when the object goes.
class SharedLibrary
{
public:
    virtual ~SharedLibrary() = default;
    // The address of an exported function, or nullptr when the library lacks it.
    virtual void* symbol(const char* name) const = 0;
};

// What the installation of a downloaded update gave.
struct UpdateInstallResult {
    // Windows: the installer started; Linux: the helper installed the package.
    bool installed = false;
    // Why not, one French sentence for the user; empty when installed.
    QString reason;
    // The elevation tool's exit code and its own words, for the diagnostic log.
    int exitCode = -1;
    QString detail;
};

class Platform
{
public:
    virtual ~Platform() = default;

    // Machine-wide application-data folder, without trailing separator; empty when unknown.
    virtual QString commonAppDataFolder() = 0;
    // Folder of the running executable, with its trailing separator.
    virtual QString executableFolder() = 0;
    // File version of a library or program as "a.b.c.d"; empty when it has none.
    virtual QString fileVersion(const QString& path) = 0;
    // Takes the machine-wide single-instance token; false when another instance holds it.
    virtual bool acquireSingleInstance(const QString& name) = 0;

    // Opens a document or a web address with the desktop's default program.
    virtual bool openDocument(const QString& pathOrUrl) = 0;
    // Sends a document to the default printer; the French reason when it could not.
    virtual std::optional<Failure> printDocument(const QString& path) = 0;
    // The kind of update file this system installs (a Windows installer, a Debian package).
    virtual update::UpdateKind installableUpdateKind() = 0;
    // Installs a downloaded update of that kind, with its detached signature, with
    // administrator rights, waiting for the outcome while the window keeps repainting.
    virtual UpdateInstallResult installUpdate(const QString& path, const QString& signature) = 0;

    // Loads a library by path (a bare file name searches the system's library path);
    // nullptr, with the loader's message in `error`, when it cannot be loaded.
    virtual std::unique_ptr<SharedLibrary> loadLibrary(const QString& path, QString& error) = 0;

    // The user's own documents folder, where a saved log goes first; empty when unknown.
    virtual QString documentsFolder() = 0;

    virtual SystemFacts systemFacts() = 0;
    // The process never writes a core dump: the PIN stays in memory between readings.
    virtual void disableCoreDumps() {}
    virtual QDateTime now() = 0;
};

} // namespace kelvora
