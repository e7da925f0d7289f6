// Everything the application asks of the operating system, behind one interface so the
// window code runs the same on Windows, Linux and in tests (where a fake stands in). What it
// asks of the user (boxes, dialogs) is the window's, behind UserDialogs.
#pragma once

#include "base/failure.h"
#include "platform/smart_cards.h"

#include <QDateTime>
#include <QString>
#include <functional>
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

// How far an installation has gone, 0 to 100, and what it is doing, in French.
using UpdateProgressHandler = std::function<void(int percent, const QString& step)>;

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
    // Fetches and installs the newest release with administrator rights, reporting its progress
    // and waiting for the outcome while the window keeps repainting. Linux: the root helper
    // through pkexec, which lets apt fetch and check it. Windows: the installer is downloaded,
    // checked, and started elevated. Nothing when it is done (Windows: the installer started;
    // Linux: apt installed the newer package); else why not in one French sentence, the
    // elevation tool's exit code (the helper's, common/update_outcome.h, once it ran) and the
    // words it wrote.
    virtual std::optional<Failure> installUpdate(const UpdateProgressHandler& progress) = 0;

    // Loads a library by path (a bare file name searches the system's library path);
    // nullptr, with the loader's message in `error`, when it cannot be loaded.
    virtual std::unique_ptr<SharedLibrary> loadLibrary(const QString& path, QString& error) = 0;

    // The user's own documents folder, where a saved log goes first; empty when unknown.
    virtual QString documentsFolder() = 0;

    virtual SystemFacts systemFacts() = 0;
    // The smart-card service and its readers, each with whether a card is in it; every call
    // bounded in time, the library opened on first use (pcsc-lite here, WinSCard on Windows).
    virtual SmartCardLook smartCardReaders() = 0;
    // The process never writes a core dump: the PIN stays in memory between readings.
    virtual void disableCoreDumps() {}
    virtual QDateTime now() = 0;
};

} // namespace kelvora
