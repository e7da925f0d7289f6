#include "simulator.h"

#include "apilec/apilec_codes.h"
#include "call_log.h"
#include "scenario.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

namespace apilec_sim
{

namespace
{

using kelvora::reader::T_infosLecteur;

constexpr int kPinTries = 3;

// Copies `text` into a fixed array of `size` bytes, always zero-terminated.
void fill(char* target, std::size_t size, std::string_view text)
{
    if (target == nullptr)
        return;
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), n);
    std::memset(target + n, 0, size - n);
}

template <typename T> void put(T* target, T value)
{
    if (target != nullptr)
        *target = value;
}

// The UTF-16 application name the session calls receive, as ASCII for the log.
std::string applicationName(const char16_t* const* cell)
{
    if (cell == nullptr || *cell == nullptr)
        return {};
    std::string name;
    for (const char16_t* p = *cell; *p != 0 && name.size() < 64; ++p)
        name += *p < 0x80 ? static_cast<char>(*p) : '?';
    return name;
}

// A document name must stay inside the data folder.
bool plainFileName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos;
}

} // namespace

Simulator& Simulator::instance()
{
    static Simulator simulator;
    return simulator;
}

const Simulator::Session* Simulator::find(std::uint16_t session, bool cps) const
{
    const auto it = sessions_.find(session);
    return it != sessions_.end() && it->second.cps == cps ? &it->second : nullptr;
}

std::string Simulator::folderOf(std::uint16_t session) const
{
    const auto it = sessions_.find(session);
    return it != sessions_.end() ? it->second.folder : lastFolder_;
}

std::string Simulator::remember(const char* folder)
{
    if (folder != nullptr)
        lastFolder_ = folder;
    return folder != nullptr ? std::string(folder) : std::string();
}

std::uint16_t Simulator::finish(const std::string& folder, const Scenario& scenario, CallLine& line,
                                std::string_view function, std::uint16_t result,
                                std::uint16_t detail, std::uint16_t* error, std::string_view after)
{
    const auto forced = scenario.forced(function);
    if (forced) {
        result = forced->result;
        detail = forced->detail;
    }
    put(error, detail);
    line.write(folder, result, detail, forced.has_value(), after);
    return result;
}

std::uint16_t Simulator::listeLecteurs(const char* folder, T_infosLecteur* list,
                                       std::int32_t* count, std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = remember(folder);
    const Scenario scenario = Scenario::load(dir);
    CallLine line("Lec_ListeLecteurs");
    line.word("list", list != nullptr ? "given" : "null");
    if (folder == nullptr || count == nullptr)
        return finish(dir, scenario, line, "Lec_ListeLecteurs", BadArgument, BadArgument, error);

    const auto readers = scenario.readers();
    // With an array, the count it holds on entry is its capacity.
    if (list != nullptr) {
        const std::size_t capacity = *count > 0 ? static_cast<std::size_t>(*count) : 0;
        for (std::size_t i = 0; i < std::min(capacity, readers.size()); ++i) {
            T_infosLecteur& entry = list[i];
            std::memset(&entry, 0, sizeof entry);
            fill(entry.nom_ressource, sizeof entry.nom_ressource, readers[i]);
            entry.isInit = initialised_ ? 1 : 0;
            entry.num_lect = static_cast<std::uint16_t>(i);
        }
    }
    *count = static_cast<std::int32_t>(readers.size());
    return finish(dir, scenario, line, "Lec_ListeLecteurs", Ok, Ok, error,
                  "count=" + std::to_string(readers.size()));
}

std::uint16_t Simulator::initLecteurs(const char* folder, const char* vitaleReader,
                                      const char* cpsReader, std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = remember(folder);
    const Scenario scenario = Scenario::load(dir);
    CallLine line("Lec_InitLecteurs");
    line.text("vitale", vitaleReader != nullptr ? vitaleReader : "")
        .text("cps", cpsReader != nullptr ? cpsReader : "");
    if (folder == nullptr || vitaleReader == nullptr)
        return finish(dir, scenario, line, "Lec_InitLecteurs", BadArgument, BadArgument, error);

    const auto readers = scenario.readers();
    initialised_ = std::find(readers.begin(), readers.end(), vitaleReader) != readers.end();
    const std::uint16_t code = initialised_ ? Ok : UnknownReader;
    return finish(dir, scenario, line, "Lec_InitLecteurs", code, code, error);
}

std::uint16_t Simulator::ouvertureSession(bool cps, const char* folder,
                                          const char16_t* const* application,
                                          std::uint16_t* session, std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = remember(folder);
    const Scenario scenario = Scenario::load(dir);
    const char* function = cps ? "Lec_OuvertureSessionCPS" : "Lec_OuvertureSessionVitale";
    CallLine line(function);
    line.text("application", applicationName(application));
    if (folder == nullptr || session == nullptr)
        return finish(dir, scenario, line, function, BadArgument, BadArgument, error);
    *session = 0;
    if (!initialised_)
        return finish(dir, scenario, line, function, NotInitialised, NotInitialised, error,
                      "session=0");
    if (sessions_.size() >= 0xFFFF)
        return finish(dir, scenario, line, function, BadSession, BadSession, error, "session=0");

    // Distinct non-zero numbers, never one still open.
    do {
        ++lastSession_;
    } while (lastSession_ == 0 || sessions_.count(lastSession_) != 0);
    sessions_[lastSession_] = Session{cps, dir};
    *session = lastSession_;
    return finish(dir, scenario, line, function, Ok, Ok, error,
                  "session=" + std::to_string(lastSession_));
}

std::uint16_t Simulator::introductionMstVitale(std::uint16_t session, std::uint16_t word,
                                               std::uint16_t* cardState, std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = folderOf(session);
    const Scenario scenario = Scenario::load(dir);
    CallLine line("Lec_IntroductionMstVitale");
    line.number("session", session).number("word", word);
    std::uint16_t code = Ok;
    if (find(session, false) == nullptr)
        code = BadSession;
    else if (!scenario.vitaleInserted())
        code = VitaleAbsent;
    const std::uint16_t state = code == Ok ? 1 : 0;
    put(cardState, state);
    return finish(dir, scenario, line, "Lec_IntroductionMstVitale", code, code, error,
                  "state=" + std::to_string(state));
}

std::uint16_t Simulator::introductionMstCPS(std::uint16_t session, std::uint16_t word,
                                            char* civilite, char* nom, std::uint16_t* word2,
                                            std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = folderOf(session);
    const Scenario scenario = Scenario::load(dir);
    CallLine line("Lec_IntroductionMstCPS");
    line.number("session", session).number("word", word);
    std::uint16_t code = Ok;
    if (find(session, true) == nullptr)
        code = BadSession;
    else if (!scenario.cpsInserted())
        code = CpsAbsent;
    if (code == Ok) {
        fill(civilite, sizeof(kelvora::reader::TChar2), "22");
        fill(nom, sizeof(kelvora::reader::TChar27), "MEDECIN DEMONSTRATION");
    }
    put(word2, std::uint16_t(code == Ok ? 1 : 0));
    return finish(dir, scenario, line, "Lec_IntroductionMstCPS", code, code, error);
}

std::uint16_t Simulator::controleCPS(std::uint16_t session, const char* pin, char* date,
                                     char* appli, char* typeCarte, char* presentPin,
                                     char* categorie, std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = folderOf(session);
    const Scenario scenario = Scenario::load(dir);
    CallLine line("Lec_ControleCPS");
    line.number("session", session);
    const char* function = "Lec_ControleCPS";

    if (find(session, true) == nullptr) {
        line.word("pin", "unchecked");
        return finish(dir, scenario, line, function, BadSession, BadSession, error);
    }
    if (!scenario.cpsInserted()) {
        line.word("pin", "unchecked");
        return finish(dir, scenario, line, function, CpsAbsent, CpsAbsent, error);
    }
    if (blocked_) {
        line.word("pin", "unchecked");
        return finish(dir, scenario, line, function, CpsBlocked, CpsBlocked, error);
    }
    if (pin == nullptr) {
        line.word("pin", "unchecked");
        return finish(dir, scenario, line, function, BadArgument, BadArgument, error);
    }

    const auto expected = scenario.pin();
    if (expected && *expected == pin) {
        wrongPins_ = 0;
        line.word("pin", "right");
        fill(date, sizeof(kelvora::reader::TChar8), "31122029");
        fill(appli, sizeof(kelvora::reader::TChar10), "0000000001");
        fill(typeCarte, sizeof(kelvora::reader::TChar2), "00");
        fill(presentPin, sizeof(kelvora::reader::TChar2), "01");
        fill(categorie, sizeof(kelvora::reader::TChar2), "10");
        return finish(dir, scenario, line, function, Ok, Ok, error);
    }

    line.word("pin", "wrong");
    ++wrongPins_;
    if (wrongPins_ >= kPinTries) {
        blocked_ = true; // as a real card: only a new start of the library unblocks it here
        return finish(dir, scenario, line, function, CpsBlocked, CpsBlocked, error);
    }
    return finish(dir, scenario, line, function, WrongPin,
                  static_cast<std::uint16_t>(kPinTries - wrongPins_), error);
}

std::uint16_t Simulator::lectureVitale(std::uint16_t vitaleSession, std::uint16_t cpsSession,
                                       char* buffer, std::uint32_t* size, std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = folderOf(vitaleSession);
    const Scenario scenario = Scenario::load(dir);
    CallLine line("Lec_LectureVitale");
    line.number("session", vitaleSession).number("cps", cpsSession);
    const char* function = "Lec_LectureVitale";
    if (buffer == nullptr || size == nullptr)
        return finish(dir, scenario, line, function, BadArgument, BadArgument, error);
    const std::uint32_t capacity = *size;
    line.number("capacity", capacity);

    auto fail = [&](std::uint16_t code, std::uint32_t reported) {
        *size = reported;
        return finish(dir, scenario, line, function, code, code, error,
                      "size=" + std::to_string(reported));
    };
    if (find(vitaleSession, false) == nullptr || find(cpsSession, true) == nullptr)
        return fail(BadSession, 0);
    if (!scenario.vitaleInserted())
        return fail(VitaleAbsent, 0);
    const auto name = scenario.document();
    if (!name || !plainFileName(*name))
        return fail(DocumentMissing, 0);
    std::ifstream in(joinPath(dir, *name), std::ios::binary | std::ios::ate);
    if (!in)
        return fail(DocumentMissing, 0);
    const auto length = static_cast<std::uint64_t>(in.tellg());
    // The document and its terminating zero must fit; nothing is copied otherwise.
    if (length >= capacity)
        return fail(DocumentTooLarge, static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                          length, std::numeric_limits<std::uint32_t>::max())));
    in.seekg(0);
    if (!in.read(buffer, static_cast<std::streamsize>(length)))
        return fail(DocumentMissing, 0);
    buffer[length] = '\0';
    *size = static_cast<std::uint32_t>(length);
    return finish(dir, scenario, line, function, Ok, Ok, error, "size=" + std::to_string(length));
}

std::uint16_t Simulator::retrait(bool cps, std::uint16_t session, std::uint32_t word,
                                 std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = folderOf(session);
    const Scenario scenario = Scenario::load(dir);
    const char* function = cps ? "Lec_RetraitMhtCPS" : "Lec_RetraitMhtVitale";
    CallLine line(function);
    line.number("session", session).number("word", word);
    const std::uint16_t code = find(session, cps) != nullptr ? Ok : BadSession;
    return finish(dir, scenario, line, function, code, code, error);
}

std::uint16_t Simulator::fermetureSession(bool cps, std::uint16_t session, std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = folderOf(session);
    const Scenario scenario = Scenario::load(dir);
    const char* function = cps ? "Lec_FermetureSessionCPS" : "Lec_FermetureSessionVitale";
    CallLine line(function);
    line.number("session", session);
    std::uint16_t code = BadSession;
    if (find(session, cps) != nullptr) {
        sessions_.erase(session);
        code = Ok;
    }
    return finish(dir, scenario, line, function, code, code, error);
}

std::uint16_t Simulator::dictionnaire(const char* folder, std::int16_t table, const char* code,
                                      const char* version, char* label, std::uint16_t* capacity,
                                      std::uint16_t* error)
{
    const std::lock_guard lock(mutex_);
    const std::string dir = remember(folder);
    const Scenario scenario = Scenario::load(dir);
    CallLine line("Lec_Dictionnaire");
    line.number("table", table)
        .text("code", code != nullptr ? code : "")
        .text("version", version != nullptr ? version : "");
    const char* function = "Lec_Dictionnaire";
    if (folder == nullptr || code == nullptr || label == nullptr || capacity == nullptr)
        return finish(dir, scenario, line, function, BadArgument, BadArgument, error);

    const auto text = scenario.label(table, code);
    if (!text)
        return finish(dir, scenario, line, function, UnknownCode, UnknownCode, error);
    // The label and its terminating zero must fit; nothing is copied otherwise.
    if (text->size() >= *capacity) {
        *capacity = static_cast<std::uint16_t>(std::min<std::size_t>(text->size(), 0xFFFF));
        return finish(dir, scenario, line, function, DocumentTooLarge, DocumentTooLarge, error);
    }
    std::memcpy(label, text->data(), text->size());
    label[text->size()] = '\0';
    *capacity = static_cast<std::uint16_t>(text->size());
    return finish(dir, scenario, line, function, Ok, Ok, error);
}

} // namespace apilec_sim
