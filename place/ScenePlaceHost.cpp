#include "place/ScenePlaceHost.h"

#include <atomic>

namespace {

std::atomic<IScenePlaceHost*> g_host{nullptr};

}  // namespace

IScenePlaceHost* ScenePlaceHost() { return g_host.load(); }

void SetScenePlaceHost(IScenePlaceHost* host) { g_host.store(host); }
