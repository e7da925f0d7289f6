// A real window over a real store, with its update address on a loopback server.
#pragma once

#include "store/statements.h"
#include "support/app_fixture.h"
#include "support/loopback_server.h"

#include <QDeadlineTimer>
#include <QLocale>
#include <functional>

namespace kelvora::testing
{

class UpdateFixture : public AppFixture
{
public:
    // The fake clock's day, as the store should hold it after a check.
    static constexpr std::int32_t kToday = 20261209;

    // Servers that tests hold as members need the application's event loop from the start.
    UpdateFixture() { application(); }

    void SetUp() override
    {
        AppFixture::SetUp();
        // Progress texts follow the user's locale; these tests read them in French.
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    // Starts the window with its update address on `server`.
    void startOn(const LoopbackServer& server)
    {
        start();
        window->core().appli_url_update =
            server.url(QStringLiteral("/obtenir-derniere-version.php"));
        window->core().appli_update_timeout_ms = 5000;
    }

    std::int32_t storedDate()
    {
        auto db = store::Connection::open(storePath().toStdString(), store::kStorePassword);
        return store::readDateMaj(db);
    }

    // Lets the event loop run until `done` holds or the time is up.
    static bool waitFor(const std::function<bool()>& done, int milliseconds = 10000)
    {
        QDeadlineTimer deadline(milliseconds);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    // The log runs that hold `text`, as (style, colour) pairs.
    QList<std::pair<int, quint32>> runsOf(const QString& text) const
    {
        QList<std::pair<int, quint32>> found;
        for (const RtfRun& run : window->debugRuns())
            if (run.text.contains(text))
                found.append({run.style, run.color});
        return found;
    }
};

} // namespace kelvora::testing
