#include "tools/demo_files.h"
#include "tools/demo_steps.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvora::admin
{

namespace
{

constexpr std::string_view kDemoReader = "SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0";

std::string_view demoFile(std::string_view name)
{
    for (const DemoFile& file : demoFiles()) {
        if (file.name == name)
            return file.bytes;
    }
    throw std::logic_error("fichier de démonstration absent : " + std::string(name));
}

// The [Dictionnaire] section of the demo dictionary, up to the next section.
std::string dictionarySection(std::string_view text)
{
    const std::size_t start = text.find("[Dictionnaire]");
    if (start == std::string_view::npos)
        throw std::logic_error("dictionnaire.ini sans section [Dictionnaire]");
    std::size_t end = text.find("\n[", start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    // Written with CR LF line ends like the rest of the scenario, whatever the source had.
    std::string section;
    for (const char c : text.substr(start, end - start)) {
        if (c == '\r')
            continue;
        if (c == '\n')
            section += '\r';
        section += c;
    }
    if (!section.empty() && section.back() != '\n')
        section += "\r\n";
    return section;
}

void writeFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (!out)
        throw std::filesystem::filesystem_error("écriture impossible", path,
                                                std::make_error_code(std::errc::io_error));
}

} // namespace

void demoCardReader(const DemoLayout& layout)
{
    const std::filesystem::path folder = layout.apilecFolder();
    const std::string reader(kDemoReader);

    // Windows writes this file in its ANSI code page with CR LF line ends.
    writeFile(folder / "api_lec.ini",
              "[Lecteur]\r\nRessource_Vitale=" + reader + "\r\nRessource_CPS=" + reader + "\r\n");

    // The scenario in use, and a second one with the ten-beneficiary card to copy over it.
    const auto scenario = [&](const char* document) {
        return "; Sc\xe9nario du lecteur de d\xe9monstration (voir apilec-sim/README.md)\r\n"
               "[Lecteurs]\r\nListe=" +
               reader +
               "\r\n[CPS]\r\nInseree=1\r\nPIN=1234\r\n"
               "[Vitale]\r\nInseree=1\r\nDocument=" +
               document + "\r\n" + dictionarySection(demoFile("dictionnaire.ini")) +
               "; fonction=r\xe9sultat,d\xe9tail : par exemple Lec_ControleCPS=41,3\r\n"
               "[Retours]\r\n";
    };
    writeFile(folder / "api_lec_sim.ini", scenario("carte.xml"));
    writeFile(folder / "api_lec_sim-10.ini", scenario("carte-10.xml"));

    for (const char* name : {"carte.xml", "carte-10.xml"})
        writeFile(folder / name, demoFile(name));
}

} // namespace kelvora::admin
