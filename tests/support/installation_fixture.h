// A temporary installation: the common data folder with a real store, the card-reader data
// folder, and a fake platform pointing at them. No window: runs and stages are tested on it.
#pragma once

#include "support/fake_platform.h"
#include "store/connection.h"
#include "store/schema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace kelvora::testing
{

class InstallationFixture : public ::testing::Test
{
public:
    QTemporaryDir temp;
    FakePlatform platform;

    QString dataFolder() const { return temp.path() + QStringLiteral("/programdata"); }
    QString commonFolder() const { return dataFolder() + QStringLiteral("/Talvix/kelvoraps"); }
    QString apilecFolder() const { return dataFolder() + QStringLiteral("/santesocial/api_lec/"); }
    QString storePath() const { return commonFolder() + QStringLiteral("/attest.vqs"); }

    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        platform.dataFolder = dataFolder();
        platform.exeFolder = temp.path() + QStringLiteral("/bin/");
        QDir().mkpath(commonFolder());
        QDir().mkpath(apilecFolder());
        QDir().mkpath(platform.exeFolder);
    }

    // A store with the three tables; `dateMaj` of nullptr leaves the value NULL.
    // `statements` run on it after the tables are made.
    void createStore(const char* dateMaj = nullptr, bool withDateRow = true,
                     const std::string& statements = {})
    {
        // Opening a store derives its key on purpose slowly; each kind of store is made once
        // per test program and copied byte for byte into each test's installation.
        static std::map<std::string, QByteArray> made;
        const std::string kind = std::string(dateMaj ? dateMaj : "NULL") +
                                 (withDateRow ? "+" : "-") + statements;
        QByteArray& bytes = made[kind];
        if (bytes.isEmpty()) {
            const QString scratch = temp.path() + QStringLiteral("/modele.vqs");
            {
                auto db = store::Connection::create(scratch.toStdString(), store::kStorePassword);
                store::createTables(db);
                if (withDateRow) {
                    const std::string value = dateMaj ? "'" + std::string(dateMaj) + "'" : "NULL";
                    db.execute("INSERT INTO configuration VALUES ('date_maj', " + value + ")");
                }
                if (!statements.empty())
                    db.execute(statements);
            }
            QFile file(scratch);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            bytes = file.readAll();
            file.close();
            QFile::remove(scratch);
        }
        QFile out(storePath());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(out.write(bytes), bytes.size());
    }

    void sql(const std::string& statement)
    {
        auto db = store::Connection::open(storePath().toStdString(), store::kStorePassword);
        db.execute(statement);
    }

    void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

} // namespace kelvora::testing
