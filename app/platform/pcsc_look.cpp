#include "platform/pcsc_look.h"

#include "common/shared_object.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <variant>
#include <vector>

namespace kelvora
{

namespace
{

// pcsc-lite's public C interface as its documentation gives it (winscard.h, pcsclite.h): on
// Linux LONG and DWORD are long and unsigned long, and a context is a LONG.
using PcscLong = long;
using PcscDword = unsigned long;
using PcscContext = long;

constexpr PcscDword kScopeSystem = 0x0002;
constexpr PcscDword kStateUnaware = 0x0000;
constexpr PcscDword kStatePresent = 0x0020;
constexpr quint32 kSuccess = 0x00000000;
constexpr quint32 kTimeout = 0x8010000A;
constexpr quint32 kInsufficientBuffer = 0x80100008;
constexpr quint32 kNoService = 0x8010001D;
constexpr quint32 kServiceStopped = 0x8010001E;
constexpr quint32 kNoAccess = 0x80100027;
constexpr quint32 kNoReadersAvailable = 0x8010002E;

struct ReaderState {
    const char* reader;
    void* userData;
    PcscDword currentState;
    PcscDword eventState;
    PcscDword atrLength;
    unsigned char atr[33];
};

struct Pcsc {
    PcscLong (*establishContext)(PcscDword scope, const void*, const void*, PcscContext* context);
    PcscLong (*releaseContext)(PcscContext context);
    PcscLong (*listReaders)(PcscContext context, const char* groups, char* readers,
                            PcscDword* length);
    PcscLong (*getStatusChange)(PcscContext context, PcscDword timeout, ReaderState* states,
                                PcscDword count);
};

quint32 codeOf(PcscLong result)
{
    return quint32(static_cast<unsigned long>(result));
}

SmartCardLook failedLook(quint32 code)
{
    SmartCardLook look;
    look.code = code;
    switch (code) {
    case kNoService:
    case kServiceStopped:
        look.service = SmartCardLook::Service::NotRunning;
        break;
    case kNoAccess:
        look.service = SmartCardLook::Service::AccessDenied;
        break;
    default:
        look.service = SmartCardLook::Service::Failed;
    }
    return look;
}

class Context
{
public:
    Context(const Pcsc& f, PcscContext context) : f_(f), context_(context) {}
    ~Context() { f_.releaseContext(context_); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

private:
    const Pcsc& f_;
    PcscContext context_;
};

// The readers' names, as the library's list of zero-ended names, or the error code.
std::variant<std::vector<std::string>, quint32> readerNames(const Pcsc& f, PcscContext context)
{
    // A reader plugged in between the length and the list makes the buffer short: ask again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        PcscDword length = 0;
        quint32 code = codeOf(f.listReaders(context, nullptr, nullptr, &length));
        if (code == kNoReadersAvailable)
            return std::vector<std::string>();
        if (code != kSuccess)
            return code;
        std::vector<char> buffer(length + 1, '\0');
        code = codeOf(f.listReaders(context, nullptr, buffer.data(), &length));
        if (code == kInsufficientBuffer)
            continue;
        if (code == kNoReadersAvailable)
            return std::vector<std::string>();
        if (code != kSuccess)
            return code;
        std::vector<std::string> names;
        for (std::size_t at = 0;
             at < std::min<std::size_t>(length, buffer.size()) && buffer[at] != '\0';) {
            names.emplace_back(buffer.data() + at);
            at += names.back().size() + 1;
        }
        return names;
    }
    return kInsufficientBuffer;
}

SmartCardLook look(const Pcsc& f)
{
    PcscContext context = 0;
    const quint32 established =
        codeOf(f.establishContext(kScopeSystem, nullptr, nullptr, &context));
    if (established != kSuccess)
        return failedLook(established);
    const Context release(f, context);

    const auto names = readerNames(f, context);
    if (const quint32* code = std::get_if<quint32>(&names))
        return failedLook(*code);
    SmartCardLook found;
    found.service = SmartCardLook::Service::Running;
    const auto& list = std::get<std::vector<std::string>>(names);
    if (list.empty())
        return found;

    std::vector<ReaderState> states(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        states[i] = ReaderState{list[i].c_str(), nullptr, kStateUnaware, 0, 0, {}};
    // No wait: from "unaware" every reader's state comes back at once.
    const quint32 code =
        codeOf(f.getStatusChange(context, 0, states.data(), PcscDword(states.size())));
    if (code != kSuccess && code != kTimeout)
        return failedLook(code);
    for (const ReaderState& state : states)
        found.readers.push_back(
            {QString::fromUtf8(state.reader), (state.eventState & kStatePresent) != 0});
    return found;
}

LoadedFunctions<Pcsc> loadPcsc(const std::string& file)
{
    return loadFunctions<std::runtime_error, Pcsc>(
        file, "Bibliothèque PC/SC", [](const auto& bind, Pcsc& f) {
            bind("SCardEstablishContext", f.establishContext);
            bind("SCardReleaseContext", f.releaseContext);
            bind("SCardListReaders", f.listReaders);
            bind("SCardGetStatusChange", f.getStatusChange);
        });
}

// Opened once per name and never closed: a look left stuck in it may still run its code.
const Pcsc& pcsc(const std::string& file)
{
    static std::mutex guard;
    static auto* opened = new std::map<std::string, LoadedFunctions<Pcsc>>();
    const std::lock_guard lock(guard);
    auto it = opened->find(file);
    if (it == opened->end())
        it = opened->emplace(file, loadPcsc(file)).first;
    return it->second.functions;
}

// A look still inside the library: its lock would hold the next one too.
std::atomic<bool> lookRunning{false};

} // namespace

SmartCardLook lookAtPcsc(const std::string& library, std::chrono::milliseconds timeout)
{
    const Pcsc* functions = nullptr;
    try {
        functions = &pcsc(library);
    } catch (const std::exception&) {
        return SmartCardLook{};
    }
    bool idle = false;
    if (!lookRunning.compare_exchange_strong(idle, true))
        return SmartCardLook{SmartCardLook::Service::NotAnswering, {}, 0};

    auto promise = std::make_shared<std::promise<SmartCardLook>>();
    std::future<SmartCardLook> answer = promise->get_future();
    try {
        std::thread([functions, promise] {
            SmartCardLook found = look(*functions);
            // Free before the answer is given, so the caller's next look is never refused.
            lookRunning = false;
            promise->set_value(std::move(found));
        }).detach();
    } catch (const std::system_error&) {
        lookRunning = false;
        return SmartCardLook{SmartCardLook::Service::Failed, {}, 0};
    }
    if (answer.wait_for(timeout) != std::future_status::ready)
        return SmartCardLook{SmartCardLook::Service::NotAnswering, {}, 0};
    return answer.get();
}

} // namespace kelvora
