// A real main window over a real store in a temporary installation, with a fake platform.
#pragma once

#include "attestation/pdf_stage.h"
#include "diagnostics/system_report.h"
#include "store/connection.h"
#include "support/installation_fixture.h"
#include "ui/application_setup.h"
#include "ui/tppal.h"
#include "update/update_service.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <memory>

namespace kelvora::testing
{

// Ends the application with the tests, before the program's statics go: Qt frees what it keeps
// for the main thread (Qt 6.8's FreeType faces and harfbuzz's tables) only when the application
// is destroyed, and LeakSanitizer would otherwise report that as leaked.
class ApplicationEnd : public ::testing::Environment
{
public:
    explicit ApplicationEnd(QApplication* app) : app_(app) {}
    void TearDown() override { delete app_; }

private:
    QApplication* app_;
};

inline QApplication& application()
{
    static int argc = 1;
    static char name[] = "kelvora-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* created = new QApplication(argc, argv);
        ::testing::AddGlobalTestEnvironment(new ApplicationEnd(created));
        // The window as users see it: the program's style and palette.
        kelvora::ui::applyLook();
        return created;
    }();
    return *app;
}

class AppFixture : public InstallationFixture
{
public:
    std::unique_ptr<Tppal> window;

    void SetUp() override
    {
        application();
        InstallationFixture::SetUp();
    }

    void TearDown() override { window.reset(); }

    // Update checks go to a closed loopback port: they fail at once, never on the network.
    void start()
    {
        window = std::make_unique<Tppal>(platform, platform);
        window->buildPages();
        window->core().appli_url_update =
            QStringLiteral("http://127.0.0.1:9/obtenir-derniere-version.php");
    }

    QString log() const { return window->tab_debug->debug_texte->toPlainText(); }
    QList<RtfRun> logRuns() const { return window->debugRuns(); }
};

} // namespace kelvora::testing
