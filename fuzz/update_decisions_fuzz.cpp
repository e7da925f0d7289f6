// The update's decisions that read what other programs write: apt's status lines turned into
// the page's progress, the helper's progress lines as the program reads them, and apt's error
// lines as the helper judges them. Whatever the bytes, the bar stays within 0 to 100, a line
// the helper writes reads back the same, and every verdict has its French reason.
#include "common/update_outcome.h"
#include "fuzz_support.h"
#include "tools/installer/apt_verdict.h"

#include <string>
#include <string_view>

using kelvora::fuzz::fail;
namespace update = kelvora::update;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    kelvora::installer::AptVerdict verdict;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = std::string_view(text).substr(start, end - start);
        start = end + 1;

        if (const auto progress = update::progressFromAptStatus(line)) {
            if (progress->percent < 0 || progress->percent > 100)
                fail("progress from apt at " + std::to_string(progress->percent));
            const auto again = update::parseProgressLine(update::progressLine(*progress));
            if (!again || again->percent != progress->percent || again->text != progress->text)
                fail("a progress line does not read back: " + std::string(line));
        }
        if (const auto read = update::parseProgressLine(line))
            if (read->percent < 0 || read->percent > 100)
                fail("progress line read at " + std::to_string(read->percent));
        verdict.read(line);
    }
    if (update::installerReason(static_cast<int>(verdict.code())).empty())
        fail("a verdict without its French reason");
    return 0;
}
