// Whole readings in one window, as a practice does all week: the window of the program on the
// installation named by KELVORA_PROGRAMDATA (a demo installation, PIN 1234), N readings one
// after the other, and the resident memory after the first and every 25th. Prints the growth
// per reading. Run through bench/memory.sh, which lays the demo installation out.
#include "platform/linux_platform.h"
#include "ui/application_setup.h"
#include "ui/desktop_dialogs.h"
#include "ui/tppal.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace
{

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char* argv[])
{
    const int readings = argc > 1 ? std::atoi(argv[1]) : 150;
    if (readings < 2 || std::getenv("KELVORA_PROGRAMDATA") == nullptr) {
        std::fprintf(stderr, "usage: KELVORA_PROGRAMDATA=DEMO %s [READINGS>=2]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    kelvora::ui::applyLook();
    kelvora::LinuxPlatform platform;
    kelvora::DesktopDialogs dialogs;
    Tppal window(platform, dialogs);
    window.buildPages();
    if (window.core().appli_fin_demandee) {
        std::fprintf(stderr, "the store of the installation could not be opened\n");
        return 1;
    }
    // The daily update check goes to a closed local port: it fails at once, never on the
    // network.
    window.core().appli_url_update =
        QStringLiteral("http://127.0.0.1:9/obtenir-derniere-version.php");
    window.show();
    QApplication::processEvents();

    double first = 0;
    int failed = 0;
    for (int i = 1; i <= readings; ++i) {
        window.tab_carte->pin_cps->setText(QStringLiteral("1234"));
        window.action_vitale2Click();
        QApplication::processEvents();
        if (window.core().appli_check_continue != 0 && failed++ == 0)
            std::fprintf(stderr, "reading %d failed: %s\n%s\n", i,
                         qPrintable(window.tab_launch->label_suivi->text()),
                         qPrintable(window.tab_debug->debug_texte->toPlainText()));
        const double rss = residentMegabytes();
        if (i == 1)
            first = rss;
        if (i == 1 || i % 25 == 0 || i == readings)
            std::printf("reading %4d  RSS %7.2f MB  growth since the first %+7.2f MB\n", i, rss,
                        rss - first);
    }
    const double growth = residentMegabytes() - first;
    std::printf("growth over %d readings after the first: %.2f MB (%.1f KB per reading); "
                "failed readings: %d\n",
                readings - 1, growth, growth * 1024.0 / (readings - 1), failed);
    return failed == 0 ? 0 : 1;
}
