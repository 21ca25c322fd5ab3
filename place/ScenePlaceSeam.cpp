// Stand-ins, each replaced by the part that builds it:
//   model manager       PreloadPlayerAnimation
//   loader thread       RegionLoaderThread (waits and quits), UpdateFrame
//                       (no wait for regions, no merge), ClearFlatObjects,
//                       ActivateRegion / DeactivateRegion (ground picture
//                       binding only, no tree points)
#include "place/ScenePlaceSeam.h"

#include "place/ScenePlace.h"
#include "place/Weather.h"

void PreloadPlayerAnimation(const char*) {}

// Binding only: the tree points come with the region merge.
void KScenePlace::ActivateRegion(KSceneRegion& region) {
    if (region.groundPicture) region.groundPicture->inUse = 1;
}

void KScenePlace::DeactivateRegion(KSceneRegion& region) {
    if (!region.groundPicture) return;
    region.groundPicture->inUse = 0;
    region.groundPicture->built = 0;
    region.groundPicture = nullptr;
}

// Without the loader's wait for the first regions and the region merge.
void KScenePlace::UpdateFrame() {
    uint32_t ambient = AmbientFromDayLight();
    if (m_weather) ambient = m_weather->ApplyToAmbient(ambient);
    SetAmbientColor(ambient);
    if (HasMap()) BuildScrollLayers(m_focusX, m_focusY);
    if (!m_weather) return;
    if (m_weather->IsFinished())
        m_weather.reset();
    else
        m_weather->Update();
}

void KScenePlace::ClearFlatObjects() { m_flatObjects.clear(); }

unsigned __stdcall RegionLoaderThread(void* parameter) {
    auto* place = static_cast<KScenePlace*>(parameter);
    for (;;) {
        WaitForSingleObject(place->m_wakeEvent, 1000);
        if (place->m_centreX.load() == kLoaderQuitCode) return 0;
        ResetEvent(place->m_wakeEvent);
    }
}
