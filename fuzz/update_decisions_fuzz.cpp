// The update's decisions that need no network: the download page's progress (text and bar)
// for any byte counts the downloader reports, and the kind of a downloaded file from its
// first bytes, which decides whether it may be installed.
#include "fuzz_support.h"
#include "common/update_kind.h"
#include "update/download_progress.h"

#include <QLocale>

using kelvora::fuzz::fail;
using kelvora::update::UpdateKind;

namespace
{

std::int64_t count(kelvora::fuzz::InputReader& in)
{
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | in.byte();
    return static_cast<std::int64_t>(v & 0x7FFFFFFFFFFFFFFFull);
}

} // namespace

// The input: [received 8][total 8][seconds 8][locale byte] then the file's head.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kelvora::fuzz::InputReader in(data, size);
    // The downloader reports at most the announced length, and only a known one.
    const std::int64_t total = count(in);
    const std::int64_t received =
        total == 0 ? 0 : static_cast<std::int64_t>(std::uint64_t(count(in)) % (std::uint64_t(total) + 1));
    const std::int64_t seconds = count(in);
    static const QLocale locales[] = {QLocale::c(), QLocale(QLocale::French, QLocale::France),
                                      QLocale(QLocale::English, QLocale::UnitedStates)};
    const QLocale& locale = locales[in.byte() % 3];

    // As the update service turns the downloader's event into the page's values.
    const double done = double(received) / 1024;
    const double totalKb = double(total) / 1024;
    const QString text = kelvora::downloadProgressText(locale, done, totalKb, double(seconds) / 60);
    if (!text.contains(QStringLiteral(" sur ")) || !text.endsWith(QStringLiteral(" min")))
        fail("progress text without its words: " + text.toStdString());
    if (const auto percent = kelvora::downloadPercent(done, totalKb))
        if (*percent < 0 || *percent > 100)
            fail("progress bar at " + std::to_string(*percent));

    const std::string head = in.rest();
    const UpdateKind kind = kelvora::update::classifyUpdateHead(head);
    if (kind != kelvora::update::classifyUpdateHead(
                    std::string_view(head).substr(0, kelvora::update::kUpdateHeadSize)))
        fail("the kind depends on bytes past the head");
    if (head.starts_with("MZ") != (kind == UpdateKind::WindowsExecutable))
        fail("an MZ file misjudged");
    if (kind == UpdateKind::DebianPackage && !head.starts_with("!<arch>\n"))
        fail("a Debian package without the ar magic");
    return 0;
}
