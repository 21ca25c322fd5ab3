// The module's pointer to the host's IScenePlaceHost. The host sets it on
// its own thread; the region loader thread and the shell read it. Every
// caller skips its host call while it is null.
#pragma once

#include "lumiva/IScenePlaceHost.h"

IScenePlaceHost* ScenePlaceHost();
void SetScenePlaceHost(IScenePlaceHost* host);
