// A demo installation laid out under a folder that stands for the common application-data folder.
#pragma once

#include <filesystem>

namespace kelvora::admin
{

// Where each part of an installation lives, below the common application-data folder.
struct DemoLayout {
    std::filesystem::path programData;

    std::filesystem::path dataFolder() const { return programData / "Talvix" / "kelvoraps"; }
    std::filesystem::path storeFile() const { return dataFolder() / "attest.vqs"; }
    std::filesystem::path apilecFolder() const { return programData / "santesocial" / "api_lec"; }
};

// Lays out (or lays out again, replacing what an earlier demo wrote) a complete installation.
void layOutDemo(const std::filesystem::path& programData);

} // namespace kelvora::admin
