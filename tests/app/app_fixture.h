// A real main window over a real store in a temporary installation, with a fake platform.
#pragma once

#include "fake_platform.h"
#include "attestation/pdf_stage.h"
#include "diagnostics/system_report.h"
#include "ui/tppal.h"
#include "update/update_service.h"
#include "store/connection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <memory>

namespace kelvora::testing
{

inline QApplication& application()
{
    static int argc = 1;
    static char name[] = "kelvora-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class AppFixture : public ::testing::Test
{
public:
    QTemporaryDir temp;
    FakePlatform platform;
    std::unique_ptr<Tppal> window;

    QString dataFolder() const { return temp.path() + QStringLiteral("/programdata"); }
    QString commonFolder() const { return dataFolder() + QStringLiteral("/Talvix/kelvoraps"); }
    QString apilecFolder() const { return dataFolder() + QStringLiteral("/santesocial/api_lec/"); }
    QString storePath() const { return commonFolder() + QStringLiteral("/attest.vqs"); }

    void SetUp() override
    {
        application();
        ASSERT_TRUE(temp.isValid());
        platform.dataFolder = dataFolder();
        platform.exeFolder = temp.path() + QStringLiteral("/bin/");
        QDir().mkpath(commonFolder());
        QDir().mkpath(apilecFolder());
        QDir().mkpath(platform.exeFolder);
    }

    void TearDown() override { window.reset(); }

    // A store with the three tables; `dateMaj` of nullptr leaves the value NULL.
    void createStore(const char* dateMaj = nullptr, bool withDateRow = true)
    {
        auto db = store::Connection::create(storePath().toStdString(), "Qm7Rk2Lw9P");
        db.execute("CREATE TABLE configuration (id TEXT PRIMARY KEY, valeur TEXT)");
        db.execute("CREATE TABLE erreur (id TEXT PRIMARY KEY, bloquant TEXT)");
        db.execute("CREATE TABLE fichiers (id INTEGER PRIMARY KEY, nom TEXT, dossier TEXT, "
                   "taille TEXT)");
        if (withDateRow) {
            const std::string value = dateMaj ? "'" + std::string(dateMaj) + "'" : "NULL";
            db.execute("INSERT INTO configuration VALUES ('date_maj', " + value + ")");
        }
    }

    void sql(const std::string& statement)
    {
        auto db = store::Connection::open(storePath().toStdString(), "Qm7Rk2Lw9P");
        db.execute(statement);
    }

    void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // Update checks go to a closed loopback port: they fail at once, never on the network.
    void start()
    {
        window = std::make_unique<Tppal>(platform);
        window->core().appli_url_update =
            QStringLiteral("http://127.0.0.1:9/obtenir-derniere-version.php");
    }

    QString log() const { return window->debug_texte->toPlainText(); }
};

} // namespace kelvora::testing
