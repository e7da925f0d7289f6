// The stand-in card library over any scenario file (and any card document it names): every
// call sequence a reading makes returns a code, fills its buffers within their sizes and
// leaves them zero-terminated.
#include "fuzz_support.h"
#include "apilec-sim/scenario.h"
#include "apilec-sim/simulator.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

using apilec_sim::Simulator;
using kelvora::reader::T_infosLecteur;

namespace
{

// The input: the scenario file, then after a line "#DOC" the bytes of carte.xml.
constexpr std::string_view kDocumentMark = "\n#DOC\n";

void checkTerminated(const char* buffer, std::size_t size, const char* what)
{
    if (std::memchr(buffer, '\0', size) == nullptr)
        kelvora::fuzz::fail(std::string(what) + " not zero-terminated");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace fs = std::filesystem;
    const fs::path& folder = kelvora::fuzz::scratchFolder();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t mark = input.find(kDocumentMark);
    kelvora::fuzz::writeFile(folder / apilec_sim::Scenario::kFileName, input.substr(0, mark));
    kelvora::fuzz::writeFile(folder / "carte.xml",
                             mark == std::string::npos ? std::string_view()
                                                       : std::string_view(input).substr(
                                                             mark + kDocumentMark.size()));
    // The call log grows at every call; each input starts a fresh one.
    fs::remove(folder / "api_lec_sim.log");
    const std::string dir = folder.string() + "/";

    // The scenario as the library reads it.
    const auto scenario = apilec_sim::Scenario::load(dir);
    (void)scenario.readers();
    for (const char* f : {"Lec_ListeLecteurs", "Lec_ControleCPS", "Lec_LectureVitale"})
        (void)scenario.forced(f);

    Simulator& sim = Simulator::instance();
    std::uint16_t error = 0;
    std::int32_t count = 0;
    sim.listeLecteurs(dir.c_str(), nullptr, &count, &error);
    std::vector<T_infosLecteur> readers(std::size_t(std::clamp(count, 0, 4)));
    count = std::int32_t(readers.size());
    sim.listeLecteurs(dir.c_str(), readers.empty() ? nullptr : readers.data(), &count, &error);
    for (const T_infosLecteur& r : readers)
        checkTerminated(r.nom_ressource, sizeof r.nom_ressource, "reader name");
    const std::string reader = readers.empty() ? std::string("Lecteur") : readers[0].nom_ressource;
    sim.initLecteurs(dir.c_str(), reader.c_str(), reader.c_str(), &error);

    static const char16_t kName[] = u"attest";
    const char16_t* application = kName;
    std::uint16_t vitale = 0;
    std::uint16_t cps = 0;
    sim.ouvertureSession(false, dir.c_str(), &application, &vitale, &error);
    sim.ouvertureSession(true, dir.c_str(), &application, &cps, &error);

    std::uint16_t word = 0;
    sim.introductionMstVitale(vitale, 0, &word, &error);
    kelvora::reader::TChar2 civilite{};
    kelvora::reader::TChar27 nom{};
    sim.introductionMstCPS(cps, 0, civilite.data(), nom.data(), &word, &error);
    checkTerminated(nom.data(), nom.size(), "CPS name");
    checkTerminated(civilite.data(), civilite.size(), "CPS title");

    const std::string pin = scenario.pin().value_or("1234");
    kelvora::reader::TChar8 date{};
    kelvora::reader::TChar10 appli{};
    kelvora::reader::TChar2 typeCarte{}, presentPin{}, categorie{};
    sim.controleCPS(cps, pin.c_str(), date.data(), appli.data(), typeCarte.data(),
                    presentPin.data(), categorie.data(), &error);

    std::vector<char> document(4096, '\x7f');
    std::uint32_t documentSize = std::uint32_t(document.size());
    const std::uint16_t read =
        sim.lectureVitale(vitale, cps, document.data(), &documentSize, &error);
    // A forced result is the scenario's own lie; only the library's own success is checked.
    if (read == 0 && !scenario.forced("Lec_LectureVitale") && (documentSize >= document.size() || document[documentSize] != '\0'))
        kelvora::fuzz::fail("card document past its buffer or not terminated");

    std::array<char, 128> label{};
    for (const std::int16_t table : {std::int16_t(1), std::int16_t(2), std::int16_t(13)}) {
        std::uint16_t capacity = std::uint16_t(label.size());
        if (sim.dictionnaire(dir.c_str(), table, "01", "00000000", label.data(), &capacity,
                             &error) == 0 &&
            !scenario.forced("Lec_Dictionnaire"))
            checkTerminated(label.data(), label.size(), "dictionary label");
    }

    sim.retrait(false, vitale, 0, &error);
    sim.retrait(true, cps, 0, &error);
    sim.fermetureSession(false, vitale, &error);
    sim.fermetureSession(true, cps, &error);
    return 0;
}
