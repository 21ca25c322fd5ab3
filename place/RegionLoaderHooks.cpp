#include "place/RegionLoaderHooks.h"

#include <atomic>
#include <mutex>

namespace {

struct LoaderControl {
    std::mutex mutex;
    RegionLoaderHook hook;  // guarded by mutex
    std::atomic<bool> held{false};
};

LoaderControl& Control() {
    static LoaderControl control;
    return control;
}

}  // namespace

void SetRegionLoaderHook(RegionLoaderHook hook) {
    std::lock_guard lock(Control().mutex);
    Control().hook = std::move(hook);
}

void RunRegionLoaderHook(RegionLoaderStep step, int32_t rx, int32_t ry) {
    RegionLoaderHook hook;
    {
        std::lock_guard lock(Control().mutex);
        if (!Control().hook) return;
        hook = Control().hook;
    }
    hook(step, rx, ry);
}

void HoldRegionLoader(bool held) { Control().held = held; }
bool RegionLoaderHeld() { return Control().held.load(); }
