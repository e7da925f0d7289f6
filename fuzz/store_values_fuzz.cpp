// The store's values as the program reads them: any `date_maj` text (or none, or NULL), any
// `fichiers` rows and any `bloquant` mark. Reading the date gives a number or DataError, the
// files check ends its stage, and no value changes the shape of a statement.
#include "diagnostics/files_check.h"
#include "fuzz_run.h"
#include "run/reading_run.h"
#include "base/text_format.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <algorithm>
#include <charconv>

using namespace kelvora;

namespace
{

// The store holds text without zero bytes: SQLite's text columns end at the first one.
std::string text(std::string value)
{
    value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
    return value;
}

// Files the rows may name: the executable's folder and the card-reader folder hold one each.
void setUpFolders(testing::FakePlatform& platform, RunCore& core)
{
    const auto& root = fuzz::scratchFolder();
    static const bool made = [&root] {
        std::filesystem::create_directories(root / "bin");
        std::filesystem::create_directories(root / "apilec");
        fuzz::writeFile(root / "bin" / "kelvora", "0123456789");
        fuzz::writeFile(root / "apilec" / "libapi_lec.so", "12345");
        return true;
    }();
    (void)made;
    platform.exeFolder = QString::fromStdString((root / "bin").string() + "/");
    core.appli_dossier_apilec = QString::fromStdString((root / "apilec").string() + "/");
    core.appli_dossier_apilec_force = core.appli_dossier_apilec.toLocal8Bit();
}

} // namespace

// The input, line by line: [mode byte]date_maj, then "nom\tdossier\ttaille" rows until a line
// "#", then "code\tbloquant" for the error table. Mode 0 deletes the row, 1 makes it NULL.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::startQt();
    fuzz::InputReader in(data, size);
    store::Connection& db = *fuzz::sharedStore();
    db.execute("DELETE FROM configuration");
    db.execute("DELETE FROM fichiers");
    db.execute("DELETE FROM erreur WHERE id NOT IN ('60','61','16','24')");

    const std::uint8_t mode = in.byte();
    const std::string date = text(in.until('\n'));
    if (mode == 1)
        db.execute("INSERT INTO configuration VALUES ('date_maj', NULL)");
    else if (mode != 0)
        db.execute("INSERT INTO configuration VALUES ('date_maj', " + store::sqlLiteral(date) + ")");
    for (int id = 0; id < 8 && !in.empty(); ++id) {
        const std::string line = in.until('\n');
        if (line == "#")
            break;
        fuzz::InputReader fields(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
        const std::string nom = text(fields.until('\t'));
        const std::string dossier = text(fields.until('\t'));
        const std::string taille = text(fields.rest());
        db.execute("INSERT INTO fichiers VALUES (" + std::to_string(id) + ", " +
                   store::sqlLiteral(nom) + ", " + store::sqlLiteral(dossier) + ", " +
                   store::sqlLiteral(taille) + ")");
    }
    const std::string code = text(in.until('\t'));
    const std::string bloquant = text(in.rest());
    db.execute("INSERT OR REPLACE INTO erreur VALUES (" + store::sqlLiteral(code) + ", " +
               store::sqlLiteral(bloquant) + ")");

    // The date as start-up reads it, then as the update stage shows and compares it.
    try {
        const std::int32_t maj = store::readDateMaj(db);
        (void)formatMajDate(maj);
        (void)(maj < dateNumber(QDate(2026, 12, 9)));
        (void)store::sql::updateDateMaj(std::to_string(maj));
    } catch (const store::DataError&) {
    } catch (const std::invalid_argument&) {
    }
    for (const store::Fichier& f : store::listFichiers(db))
        (void)QString::fromStdString(f.taille).toLongLong();
    unsigned number = 0;
    if (std::from_chars(code.data(), code.data() + code.size(), number).ec == std::errc() &&
        number <= 0xFFFF)
        (void)store::isBlocking(db, static_cast<std::uint16_t>(number));

    // The files check as a reading runs it.
    testing::FakePlatform platform;
    testing::FakeView view;
    view.pin = QStringLiteral("1234");
    RunCore core(platform, platform, view);
    setUpFolders(platform, core);
    const fuzz::BorrowedStore borrowed(core);
    const ReadingStep steps[] = {
        {"\r\n### Fichiers", [&core] { diagnostics::check_fichiersExecute(core); }},
    };
    runReading(core, steps);
    return 0;
}
