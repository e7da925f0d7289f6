// The card library's output buffers as the reading reads them: a library stands in whose every
// answer comes from the input (result and detail codes, counts, sizes, and buffer bytes that
// need not end in a zero), within the buffer sizes the calls give it. The reader, card and
// card data stages run over it as a reading does; they must end, whatever it says.
#include "carddata/card_data_stage.h"
#include "fuzz_run.h"
#include "binding/apilec_library.h"
#include "reader/reader_stages.h"
#include "run/reading_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace kelvora;
using namespace kelvora::reader;

namespace
{

fuzz::InputReader* answers = nullptr;

std::uint16_t code()
{
    // Mostly success, so the run goes deep; else any code the library might give.
    const std::uint8_t b = answers->byte();
    return b < 0xC0 ? 0 : static_cast<std::uint16_t>(b - 0xC0 + (b & 1 ? 0 : 0x100));
}

std::uint16_t finish(std::uint16_t* error)
{
    if (error)
        *error = answers->byte() < 0xE0 ? 0 : answers->word();
    return code();
}

// Fills `size` bytes from the input: whatever the library leaves, zero byte or not.
void fill(char* buffer, std::size_t size)
{
    const std::string bytes = answers->take(size);
    std::memcpy(buffer, bytes.data(), bytes.size());
}

std::uint16_t ListeLecteurs(const char*, PinfosLecteur list, std::int32_t* count,
                            std::uint16_t* error)
{
    const std::int32_t capacity = *count;
    *count = static_cast<std::int8_t>(answers->byte());
    for (std::int32_t i = 0; list && i < std::min(capacity, std::max(*count, 0)); ++i)
        fill(reinterpret_cast<char*>(&list[i]), sizeof list[i]);
    return finish(error);
}
std::uint16_t InitLecteurs(const char*, const char*, const char*, std::uint16_t* error)
{
    return finish(error);
}
std::uint16_t OuvertureSession(const char*, const char16_t* const*, std::uint16_t* session,
                               std::uint16_t* error)
{
    *session = answers->word();
    return finish(error);
}
std::uint16_t IntroductionMstVitale(std::uint16_t, std::uint16_t, std::uint16_t* state,
                                    std::uint16_t* error)
{
    *state = answers->word();
    return finish(error);
}
std::uint16_t IntroductionMstCPS(std::uint16_t, std::uint16_t, char* civilite, char* nom,
                                 std::uint16_t* word2, std::uint16_t* error)
{
    fill(civilite, sizeof(TChar2));
    fill(nom, sizeof(TChar27));
    *word2 = answers->word();
    return finish(error);
}
std::uint16_t ControleCPS(std::uint16_t, const char*, char* date, char* appli, char* typeCarte,
                          char* presentPin, char* categorie, std::uint16_t* error)
{
    fill(date, sizeof(TChar8));
    fill(appli, sizeof(TChar10));
    fill(typeCarte, sizeof(TChar2));
    fill(presentPin, sizeof(TChar2));
    fill(categorie, sizeof(TChar2));
    return finish(error);
}
// The document: a length word, that many bytes (cut to the buffer), then the size reported,
// which may be anything.
std::uint16_t LectureVitale(std::uint16_t, std::uint16_t, char* buffer, std::uint32_t* size,
                            std::uint16_t* error)
{
    if (std::getenv("KELVORA_FUZZ_LOG"))
        std::fprintf(stderr, "document length word at %zu bytes from the end\n", answers->left());
    const std::size_t length = std::min<std::size_t>(answers->word(), *size);
    fill(buffer, length);
    *size = answers->byte() < 0x80 ? static_cast<std::uint32_t>(length) : answers->word();
    return finish(error);
}
std::uint16_t Retrait(std::uint16_t, std::uint32_t, std::uint16_t* error) { return finish(error); }
std::uint16_t RetraitCPS(std::uint16_t, std::uint16_t, std::uint16_t* error)
{
    return finish(error);
}
std::uint16_t Fermeture(std::uint16_t, std::uint16_t* error) { return finish(error); }
std::uint16_t Dictionnaire(const char*, std::int16_t, const char*, const char*, char* label,
                           std::uint16_t* capacity, std::uint16_t* error)
{
    fill(label, std::min<std::size_t>(answers->byte(), *capacity));
    *capacity = answers->word();
    return finish(error);
}

class AnswersLibrary : public SharedLibrary
{
public:
    void* symbol(const char* name) const override
    {
        static const std::pair<const char*, void*> table[] = {
            {"Lec_ListeLecteurs", reinterpret_cast<void*>(&ListeLecteurs)},
            {"Lec_InitLecteurs", reinterpret_cast<void*>(&InitLecteurs)},
            {"Lec_OuvertureSessionVitale", reinterpret_cast<void*>(&OuvertureSession)},
            {"Lec_OuvertureSessionCPS", reinterpret_cast<void*>(&OuvertureSession)},
            {"Lec_IntroductionMstVitale", reinterpret_cast<void*>(&IntroductionMstVitale)},
            {"Lec_IntroductionMstCPS", reinterpret_cast<void*>(&IntroductionMstCPS)},
            {"Lec_ControleCPS", reinterpret_cast<void*>(&ControleCPS)},
            {"Lec_LectureVitale", reinterpret_cast<void*>(&LectureVitale)},
            {"Lec_RetraitMhtVitale", reinterpret_cast<void*>(&Retrait)},
            {"Lec_RetraitMhtCPS", reinterpret_cast<void*>(&RetraitCPS)},
            {"Lec_FermetureSessionVitale", reinterpret_cast<void*>(&Fermeture)},
            {"Lec_FermetureSessionCPS", reinterpret_cast<void*>(&Fermeture)},
            {"Lec_Dictionnaire", reinterpret_cast<void*>(&Dictionnaire)},
        };
        for (const auto& [n, f] : table)
            if (std::strcmp(n, name) == 0)
                return f;
        return nullptr;
    }
};

class AnswersPlatform : public testing::FakePlatform
{
public:
    std::unique_ptr<SharedLibrary> loadLibrary(const QString&, QString&) override
    {
        return std::make_unique<AnswersLibrary>();
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Qt's warnings about the answers' oddities would only slow the runs down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::startQt();
    fuzz::InputReader in(data, size);
    answers = &in;

    AnswersPlatform platform;
    testing::FakeView view;
    view.pin = QStringLiteral("1234");
    RunCore core(platform, platform, view);
    const QString folder = QString::fromStdString(fuzz::scratchFolder().string() + "/");
    platform.exeFolder = folder;
    core.appli_dossier_apilec = folder;
    core.appli_dossier_apilec_force = folder.toLocal8Bit();
    core.appli_ini_file = folder + QStringLiteral("api_lec.ini");
    core.appli_reader_lec = QStringLiteral("N/A");
    if (!core.appli_apilec.load(platform, folder))
        fuzz::fail("the answering library did not bind");
    const fuzz::BorrowedStore borrowed(core);
    const ReadingStep steps[] = {
        {"\r\n### Liste Lecteurs", [&core] { check_ListelecteursExecute(core); }},
        {"\r\n### Initialisation Lecteurs", [&core] { check_initlecteursExecute(core); }},
        {"\r\n### Lecteur CPS", [&core] { check_lecteurCPSExecute(core); }},
        {"\r\n### Lecteur Vitale", [&core] { check_lecteurExecute(core); }},
        {"\r\n### Gestion CPS", [&core] { check_CPSExecute(core); }},
        {"\r\n### Controle CPS", [&core] { controle_CPSExecute(core); }},
        {"\r\n### Gestion Vitale", [&core] { check_vitaleExecute(core); }},
        {"\r\n### Traitement des Données", [&core] { carddata::check_donneesExecute(core); }},
    };
    runReading(core, steps);
    answers = nullptr;
    // For writing seeds: how far the run went on this input.
    if (std::getenv("KELVORA_FUZZ_LOG"))
        std::fprintf(stderr, "%s\n", core.debug.plainText().toLocal8Bit().constData());
    return 0;
}
