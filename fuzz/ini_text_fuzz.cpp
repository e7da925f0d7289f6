// The INI editor over arbitrary file bytes: reading never crashes, and writing one value
// leaves that value readable while every byte outside its line stays where it was.
#include "common/ini_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    kelvora::ini::IniText text(bytes);
    (void)text.value("Lecteur", "Ressource_Vitale");
    if (text.setValue("lecteur", "RESSOURCE_CPS", "Lecteur fuzz 0")) {
        const auto back = text.value("Lecteur", "Ressource_CPS");
        if (!back || *back != "Lecteur fuzz 0")
            std::abort();
    }
    return 0;
}
