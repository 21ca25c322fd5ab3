// The module's pointer to the host's IScenePlaceHost. The host sets it on
// its own thread; the region loader thread and the shell read it. Every
// caller skips its host call while it is null.
#pragma once

#include "place/IScenePlaceHost.h"

IScenePlaceHost* ScenePlaceHost();
void SetScenePlaceHost(IScenePlaceHost* host);

// The host's id of a region, or -1 (also without a host).
int32_t FindHostRegionId(int32_t rx, int32_t ry);
