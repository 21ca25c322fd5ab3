#include "place/ScrollSettingUpdate.h"

#include "place/ScrollBackground.h"
#include "place/ScrollLayer.h"
#include "place/ScrollSetting.h"

namespace {

// Loads the images of a setting that has just become active; 0 when none.
int LoadImages(KScrollSetting& setting, const ScrollImageLoader& load) {
    setting.active = 1;
    setting.imageCount = load ? load(setting) : 0;
    if (setting.imageCount < 0) setting.imageCount = 0;
    return setting.imageCount;
}

// Leaving the area: true when the setting was active and must stop its layer.
bool Leave(KScrollSetting& setting) {
    setting.imageCount = 0;
    const bool wasActive = setting.active != 0;
    setting.active = 0;
    return wasActive;
}

}  // namespace

void UpdateBackgroundSetting(KScrollSetting& setting, KScrollBackground& background, int focusX, int focusY,
                             const ScrollImageLoader& load) {
    if (!setting.Contains(focusX, focusY)) {
        if (Leave(setting)) background.Release();
        return;
    }
    if (setting.imageCount) return;
    if (LoadImages(setting, load) && background.IsLoaded()) {
        background.Setup(setting);
        background.SetEnabled(true);
    }
}

void UpdateDriftSetting(KScrollSetting& setting, KScrollLayer& layer, int focusX, int focusY,
                        const ScrollImageLoader& load) {
    if (!setting.Contains(focusX, focusY)) {
        if (Leave(setting)) {
            layer.SetEnabled(false);
            layer.ClearLayer();
        }
        return;
    }
    if (!setting.imageCount) {
        layer.ClearLayer();
        if (LoadImages(setting, load)) {
            layer.SetDoubleScale(false);
            layer.SetBounds(setting.areaLeft, setting.areaTop, setting.areaRight, setting.areaBottom);
            layer.SetupDrift(setting.angle, float(setting.speedOrRating), setting.count, focusX, focusY);
            layer.SetEnabled(true);
        }
    }
    layer.UpdateDrift(focusX, focusY);
}

void UpdateFallSetting(KScrollSetting& setting, KScrollLayer& layer, int focusX, int focusY,
                       const ScrollImageLoader& load) {
    if (!setting.Contains(focusX, focusY)) {
        if (Leave(setting)) layer.SetEnabled(false);
        return;
    }
    if (!setting.imageCount) {
        layer.ClearLayer();
        if (LoadImages(setting, load)) {
            layer.SetBounds(setting.areaLeft, setting.areaTop, setting.areaRight, setting.areaBottom);
            layer.SetupFall(setting.angle, float(setting.speedOrRating), setting.count, focusX, focusY);
            layer.SetEnabled(true);
        }
    }
    layer.UpdateFall();
}
