// The desktop's side of the platform: message boxes, the viewer and the save dialog with Qt's
// widgets, over the operating system's services of another platform object.
#pragma once

#include "platform/platform.h"

namespace kelvora
{

class DesktopPlatform : public Platform
{
public:
    explicit DesktopPlatform(Platform& system) : system_(system) {}

    void messageBox(const QString& text, const QString& caption, MessageIcon icon) override;
    bool openDocument(const QString& pathOrUrl) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& defaultSuffix, const QString& initialName) override;

    std::optional<QString> printDocument(const QString& path) override
    {
        return system_.printDocument(path);
    }
    QString commonAppDataFolder() override { return system_.commonAppDataFolder(); }
    QString executableFolder() override { return system_.executableFolder(); }
    QString fileVersion(const QString& path) override { return system_.fileVersion(path); }
    bool acquireSingleInstance(const QString& name) override
    {
        return system_.acquireSingleInstance(name);
    }
    update::UpdateKind installableUpdateKind() override { return system_.installableUpdateKind(); }
    UpdateInstallResult installUpdate(const QString& path, const QString& signature) override
    {
        return system_.installUpdate(path, signature);
    }
    std::unique_ptr<SharedLibrary> loadLibrary(const QString& path, QString& error) override
    {
        return system_.loadLibrary(path, error);
    }
    QString documentsFolder() override { return system_.documentsFolder(); }
    SystemFacts systemFacts() override { return system_.systemFacts(); }
    void disableCoreDumps() override { system_.disableCoreDumps(); }
    QDateTime now() override { return system_.now(); }
    void processEvents() override { system_.processEvents(); }
    void requestQuit() override { system_.requestQuit(); }

private:
    Platform& system_;
};

} // namespace kelvora
