// A platform and dialogs that record what the window asks of them, for component tests.
#pragma once

#include "platform/linux_platform.h"
#include "platform/pcsc_look.h"
#include "platform/platform.h"
#include "run/user_dialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <functional>

namespace kelvora::testing
{

struct ShownMessage {
    QString text;
    QString caption;
    MessageIcon icon;
};

class FakePlatform : public Platform, public UserDialogs
{
public:
    QString dataFolder;     // common application-data folder
    QString exeFolder;      // with trailing "/"
    QString libraryVersion; // what fileVersion() answers for an existing file
    QDateTime clock = QDateTime(QDate(2026, 12, 9), QTime(10, 30));
    QString savePath;       // answer of the save dialog; empty = cancel
    int saveFilter = 0;     // the kind of file chosen in a dialog that offers several
    bool openResult = true; // what openDocument() answers: false as when no viewer starts
    QString documentsPath;  // the user's documents folder
    // What installUpdate() answers after reporting `installSteps` as progress (nothing:
    // installed); how often it ran. With `installer` set, the installation is that function's
    // instead (a LinuxPlatform over a stand-in pkexec, say).
    std::optional<Failure> installResult;
    QList<std::pair<int, QString>> installSteps;
    int installs = 0;
    std::function<std::optional<Failure>(const UpdateProgressHandler&)> installer;

    QList<ShownMessage> messages;
    QStringList opened;
    QStringList saveDialogInitialNames;
    QStringList saveDialogFilters; // of the last dialog that offered several kinds
    int repaints = 0;
    std::function<void()> onRepaint; // runs inside processEvents(), e.g. to click mid-run
    int quitRequests = 0;

    QString commonAppDataFolder() override { return dataFolder; }
    QString executableFolder() override { return exeFolder; }
    QString fileVersion(const QString& path) override
    {
        return QFile::exists(path) ? libraryVersion : QString();
    }
    bool acquireSingleInstance(const QString&) override { return true; }
    void messageBox(const QString& text, const QString& caption, MessageIcon icon) override
    {
        messages.append({text, caption, icon});
    }
    QStringList printed;
    std::optional<QString> printFailure; // what printDocument() answers: a reason = no printer
    std::optional<Failure> printDocument(const QString& path) override
    {
        printed.append(path);
        if (printFailure)
            return Failure{*printFailure};
        return std::nullopt;
    }
    bool openDocument(const QString& pathOrUrl) override
    {
        opened.append(pathOrUrl);
        return openResult;
    }
    std::optional<Failure> installUpdate(const UpdateProgressHandler& progress) override
    {
        ++installs;
        if (installer)
            return installer(progress);
        for (const auto& [percent, step] : installSteps)
            progress(percent, step);
        return installResult;
    }
    QString saveFileName(const QString&, const QString&, const QString&,
                         const QString& initialName) override
    {
        saveDialogInitialNames.append(initialName);
        return savePath;
    }
    SaveChoice saveFileChoice(const QString&, const QStringList& filters, const QString&,
                              const QString& initialName) override
    {
        saveDialogInitialNames.append(initialName);
        saveDialogFilters = filters;
        return {savePath, saveFilter};
    }
    // The real loader: the tests bind the stand-in library as the program does.
    std::unique_ptr<SharedLibrary> loadLibrary(const QString& path, QString& error) override
    {
        return LinuxPlatform::openSharedObject(path, error);
    }
    SystemFacts systemFacts() override
    {
        return {QStringLiteral("Debian GNU/Linux 12 (bookworm)"),
                QStringLiteral("6.1.0"),
                QStringLiteral("64 bits"),
                QStringLiteral("cabinet-01"),
                QStringLiteral("0123456789abcdef"),
                QStringLiteral("SeaBIOS"),
                QStringLiteral("178BFBFF00A20F12"),
                512};
    }
    // What smartCardReaders() answers: by default the service with the reader the demo and the
    // stage tests configure, so that a failed reader stage keeps its own lines alone; with
    // `realSmartCards` the look at the real service the program makes.
    SmartCardLook smartCards{
        SmartCardLook::Service::Running,
        {{QStringLiteral("SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0"), false}},
        0};
    bool realSmartCards = false;
    int smartCardLooks = 0;
    SmartCardLook smartCardReaders() override
    {
        ++smartCardLooks;
        return realSmartCards ? lookAtPcsc() : smartCards;
    }
    QString documentsFolder() override { return documentsPath; }
    QDateTime now() override { return clock; }
    void processEvents() override
    {
        ++repaints;
        if (onRepaint)
            onRepaint();
        QCoreApplication::processEvents();
    }
    void requestQuit() override { ++quitRequests; }
};

} // namespace kelvora::testing
