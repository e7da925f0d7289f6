// The demo's card documents and dictionary, compiled into kelvora-admin from tools/demo.
#pragma once

#include <span>
#include <string_view>

namespace kelvora::admin
{

struct DemoFile {
    std::string_view name;
    std::string_view bytes;
};

// carte.xml, carte-10.xml and dictionnaire.ini, byte for byte.
std::span<const DemoFile> demoFiles();

} // namespace kelvora::admin
