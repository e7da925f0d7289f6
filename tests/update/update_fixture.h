// A real window over a real store, with its update address on a loopback server.
#pragma once

#include "store/statements.h"
#include "support/app_fixture.h"
#include "support/loopback_server.h"
#include "support/signing_key.h"

#include <QDeadlineTimer>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
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
        window->maj().keyring = QString::fromStdString(releaseKey().keyring().string());
        window->maj().fingerprints = {releaseKey().fingerprint()};
    }

    // The tests' release key, made once for the whole program.
    static const SigningKey& releaseKey()
    {
        static const SigningKey key;
        return key;
    }

    // A detached signature of `bytes` by `key`, as the release manager publishes it.
    static QByteArray signatureOf(const QByteArray& bytes, const SigningKey& key = releaseKey())
    {
        QTemporaryDir work;
        QFile file(work.filePath(QStringLiteral("file")));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        file.close();
        key.sign(file.fileName().toStdString(), (file.fileName() + ".sig").toStdString());
        QFile signature(file.fileName() + ".sig");
        return signature.open(QIODevice::ReadOnly) ? signature.readAll() : QByteArray();
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

    // A real Debian package built with dpkg-deb. With `size`, an ar member that dpkg ignores
    // (its name starts with "_") pads it to exactly that many bytes.
    static QByteArray debianPackage(const QByteArray& name, const QByteArray& version,
                                    qsizetype size = 0)
    {
        QTemporaryDir work;
        QDir().mkpath(work.filePath(QStringLiteral("root/DEBIAN")));
        QFile control(work.filePath(QStringLiteral("root/DEBIAN/control")));
        if (!control.open(QIODevice::WriteOnly))
            return {};
        control.write("Package: " + name + "\nVersion: " + version +
                      "\nArchitecture: all\nMaintainer: Test <test@example.org>\n"
                      "Description: test package\n");
        control.close();
        QProcess dpkgDeb;
        dpkgDeb.start(QStringLiteral("dpkg-deb"),
                      {QStringLiteral("--root-owner-group"), QStringLiteral("-Znone"),
                       QStringLiteral("--build"), work.filePath(QStringLiteral("root")),
                       work.filePath(QStringLiteral("p.deb"))});
        if (!dpkgDeb.waitForFinished(60000) || dpkgDeb.exitCode() != 0)
            return {};
        QFile built(work.filePath(QStringLiteral("p.deb")));
        if (!built.open(QIODevice::ReadOnly))
            return {};
        QByteArray bytes = built.readAll();
        if (size > 0) {
            const qsizetype data = size - bytes.size() - 60;
            if (data < 0 || data % 2 != 0)
                return {};
            const auto field = [](const QByteArray& value, int width) {
                return value.leftJustified(width, ' ');
            };
            bytes += field("_pad/", 16) + field("0", 12) + field("0", 6) + field("0", 6) +
                     field("644", 8) + field(QByteArray::number(data), 10) + "`\n" +
                     QByteArray(data, '\0');
        }
        return bytes;
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
