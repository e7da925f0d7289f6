#include "tools/demo_steps.h"
#include "tools/init_store.h"

namespace kelvora::admin
{

void demoStore(const DemoLayout& layout)
{
    // Built beside its final name and renamed over it, so a running demo never sees half a store.
    const std::filesystem::path target = layout.storeFile();
    std::filesystem::path building = target;
    building += ".nouveau";
    std::filesystem::remove(building);
    initStore(building);
    std::filesystem::rename(building, target);
}

} // namespace kelvora::admin
