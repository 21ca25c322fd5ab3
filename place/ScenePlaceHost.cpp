#include "place/ScenePlaceHost.h"

#include <atomic>

#include "place/SceneRegion.h"

namespace {

std::atomic<IScenePlaceHost*> g_host{nullptr};

}  // namespace

IScenePlaceHost* ScenePlaceHost() { return g_host.load(); }

void SetScenePlaceHost(IScenePlaceHost* host) { g_host.store(host); }

int32_t FindHostRegionId(int32_t rx, int32_t ry) {
    IScenePlaceHost* host = ScenePlaceHost();
    return host ? host->FindRegionId(0, RegionHostKey(rx, ry)) : -1;
}
