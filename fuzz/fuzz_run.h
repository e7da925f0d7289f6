// What the targets that run stages share: a core application, one store created once (opening
// a store derives its key, far too slow for every input), and a run core over a screen in
// memory and a fake platform.
#pragma once

#include "support/fake_platform.h"
#include "support/fake_view.h"
#include "fuzz_support.h"
#include "run/run_core.h"
#include "store/connection.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <memory>

namespace kelvora::fuzz
{

inline void startQt()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "kelvora-fuzz";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

// The store every input borrows: the tables of an installed store, `erreur` marking a few
// codes blocking as installations do.
inline std::unique_ptr<store::Connection>& sharedStore()
{
    static std::unique_ptr<store::Connection> db = [] {
        auto c = std::make_unique<store::Connection>(store::Connection::create(
            scratchFolder() / "attest.vqs", store::kStorePassword));
        // The harness rewrites rows at every input; durability is not what it tests.
        c->query("PRAGMA journal_mode=MEMORY");
        c->query("PRAGMA synchronous=OFF");
        store::createTables(*c);
        c->execute("INSERT INTO configuration VALUES ('date_maj', '20261209')");
        c->execute("INSERT INTO erreur VALUES ('60','O'),('61','N'),('16','O'),('24','O')");
        return c;
    }();
    return db;
}

// Lends the shared store to a run core for the length of one input.
class BorrowedStore
{
public:
    explicit BorrowedStore(RunCore& core) : core_(core)
    {
        core_.Base_donnees = std::move(sharedStore());
    }
    ~BorrowedStore() { sharedStore() = std::move(core_.Base_donnees); }
    BorrowedStore(const BorrowedStore&) = delete;
    BorrowedStore& operator=(const BorrowedStore&) = delete;

private:
    RunCore& core_;
};

} // namespace kelvora::fuzz
