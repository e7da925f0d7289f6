// A platform and dialogs that record what the window asks of them, for component tests.
#pragma once

#include "platform/linux_platform.h"
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
    bool openResult = true; // what openDocument() answers: false as when no viewer starts
    QString documentsPath;  // the user's documents folder
    // What installUpdate() answers; the paths it was given, in order, and the bytes of the
    // package and of its signature as they were at the hand-off.
    UpdateInstallResult installResult{true, {}, 0, {}};
    QStringList installed;
    QByteArray installedBytes;
    QByteArray installedSignature;
    update::UpdateKind updateKind = update::UpdateKind::DebianPackage;

    QList<ShownMessage> messages;
    QStringList opened;
    QStringList saveDialogInitialNames;
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
    update::UpdateKind installableUpdateKind() override { return updateKind; }
    UpdateInstallResult installUpdate(const QString& path, const QString& signature) override
    {
        installed.append(path);
        QFile package(path);
        installedBytes = package.open(QIODevice::ReadOnly) ? package.readAll() : QByteArray();
        QFile sig(signature);
        installedSignature = sig.open(QIODevice::ReadOnly) ? sig.readAll() : QByteArray();
        return installResult;
    }
    QString saveFileName(const QString&, const QString&, const QString&,
                         const QString& initialName) override
    {
        saveDialogInitialNames.append(initialName);
        return savePath;
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
