// Program entry: one instance per machine, the application's look, then the main window.
#include "platform/linux_platform.h"
#include "platform/shared_folder.h"
#include "ui/application_setup.h"
#include "ui/desktop_dialogs.h"
#include "ui/tppal.h"

#include <QApplication>

#include <cstdio>
#include <future>
#include <sys/stat.h>

namespace
{

// Holds the store's opening until the window is drawn (a second at most); on an early return,
// lets it end without opening anything.
class StoreGate
{
public:
    std::future<bool> opened() { return promise_.get_future(); }
    void open() { settle(true); }

    struct Release {
        explicit Release(StoreGate& gate) : gate_(gate) {}
        ~Release() { gate_.settle(false); }
        Release(const Release&) = delete;
        Release& operator=(const Release&) = delete;

    private:
        StoreGate& gate_;
    };

private:
    void settle(bool open)
    {
        if (settled_)
            return;
        settled_ = true;
        promise_.set_value(open);
    }

    std::promise<bool> promise_;
    bool settled_ = false;
};

} // namespace

int main(int argc, char* argv[])
{
    // The practice's accounts share the data folder through the group kelvora: whatever the
    // program writes there (store, certificate, update, the card library's log) is for the group
    // and for nobody else. Set before anything is written.
    ::umask(007);

    // The store's key derivation is slow on purpose. It runs on another thread, started once the
    // window's first frame is on the screen: run alongside the start-up, it takes the processor
    // from it on a busy machine. A reading that comes first waits for it; its failures are told
    // where they always were, after the single instance and the shared folder.
    kelvora::LinuxPlatform platform;
    StoreGate storeGate;
    kelvora::RunCore::PendingStore pendingStore =
        kelvora::RunCore::openStoreInBackground(platform, storeGate.opened());
    // Declared after the opening, so an early return releases it before waiting for it.
    const StoreGate::Release release(storeGate);

    QApplication app(argc, argv);
    // Before the first box: Qt's buttons and dialogs then speak French as the program does.
    kelvora::ui::installFrenchTranslations(app);
    // The name only: a display name would be appended to the window's caption on X11.
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    // Matches the installed desktop entry, so docks and task bars group the window under it.
    QGuiApplication::setDesktopFileName(QStringLiteral("fr.kelvora.Kelvora"));

    kelvora::DesktopDialogs dialogs;
    platform.disableCoreDumps();
    if (!platform.acquireSingleInstance(QStringLiteral("Kelvora"))) {
        kelvora::ui::installWindowIcon();
        dialogs.messageBox(QStringLiteral("L'application est déjà en cours d'éxécution !"),
                           QStringLiteral("Kelvora"), kelvora::MessageIcon::Error);
        return 0;
    }

    // An account outside the group gets one message saying what to do, instead of the store's
    // and the certificate's failures that would follow.
    const QString dataFolder = platform.commonAppDataFolder() + QStringLiteral("/Talvix/kelvoraps");
    if (kelvora::sharedFolderAccess(dataFolder) == kelvora::SharedFolderAccess::Denied) {
        const QString text = kelvora::sharedFolderDeniedMessage(dataFolder);
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        kelvora::ui::installWindowIcon();
        dialogs.messageBox(text, QStringLiteral("Kelvora"), kelvora::MessageIcon::Error);
        return 1;
    }

    kelvora::ui::applyLook();

    Tppal window(platform, dialogs, std::move(pendingStore));
    QObject::connect(&window, &Tppal::firstFrameDrawn, &app, [&storeGate] {
        storeGate.open();
        kelvora::ui::installWindowIcon();
    });
    // The store's failures come once its opening has ended, in their boxes, and end the program.
    window.show();
    return app.exec();
}
