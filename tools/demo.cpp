#include "tools/demo.h"

#include "tools/demo_steps.h"

namespace kelvora::admin
{

void demoFolders(const DemoLayout& layout)
{
    std::filesystem::create_directories(layout.dataFolder());
    std::filesystem::create_directories(layout.apilecFolder());
}

void layOutDemo(const std::filesystem::path& programData)
{
    const DemoLayout layout{programData};
    demoFolders(layout);
    demoStore(layout);
    demoCardReader(layout);
}

} // namespace kelvora::admin
