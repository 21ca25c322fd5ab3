// What one scroll setting does to its layer each frame, by type: a setting
// starts its layer when the focus enters its area and stops it when the
// focus leaves. The map settings run these over their three lists (type 1,
// then 3, then 2) and supply the image loading.
#pragma once

#include <functional>

class KScrollBackground;
class KScrollLayer;
struct KScrollSetting;

// Resets the setting's layer and loads the setting's images into it;
// returns how many were loaded (0: none).
using ScrollImageLoader = std::function<int(const KScrollSetting&)>;

void UpdateBackgroundSetting(KScrollSetting& setting, KScrollBackground& background, int focusX, int focusY,
                             const ScrollImageLoader& load);
void UpdateDriftSetting(KScrollSetting& setting, KScrollLayer& layer, int focusX, int focusY,
                        const ScrollImageLoader& load);
void UpdateFallSetting(KScrollSetting& setting, KScrollLayer& layer, int focusX, int focusY,
                       const ScrollImageLoader& load);
