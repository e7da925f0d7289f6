// The platform services on Linux. Nothing here needs a window, so a reading also runs without
// a screen; the dialogs are the window layer's.
#pragma once

#include "platform/platform.h"

#include <memory>

namespace kelvora
{

class LinuxPlatform : public Platform
{
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    QString commonAppDataFolder() override;
    QString executableFolder() override;
    QString fileVersion(const QString& path) override;
    bool acquireSingleInstance(const QString& name) override;
    bool openDocument(const QString& pathOrUrl) override;
    std::optional<Failure> printDocument(const QString& path) override;
    std::optional<Failure> installUpdate(const UpdateProgressHandler& progress) override;
    std::unique_ptr<SharedLibrary> loadLibrary(const QString& path, QString& error) override;
    QString documentsFolder() override;
    SystemFacts systemFacts() override;
    SmartCardLook smartCardReaders() override;
    void disableCoreDumps() override;
    QDateTime now() override;

    // dlopen() with every symbol resolved at once, shared with the test platform.
    static std::unique_ptr<SharedLibrary> openSharedObject(const QString& path, QString& error);

    // The root helper that lets apt install the newer kelvora (run through pkexec).
    static constexpr const char* kInstallerHelper = "/usr/lib/kelvora/kelvora-installer";
    // pkexec by its absolute path, never through the user's PATH; the tests name a stand-in.
    void setElevationTool(const QString& program) { pkexec_ = program; }

private:
    QString pkexec_ = QStringLiteral("/usr/bin/pkexec");
    int lockFd_ = -1; // held for the life of the process; the kernel drops the lock at exit
};

} // namespace kelvora
