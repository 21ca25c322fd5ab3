// Stand-ins, each replaced by the part that builds it:
//   model handle        ModelProxyNode
//   model manager       PreloadPlayerAnimation
//   object lights       SetTreeTimeOfDay, SetAmbientColor, EnableObjectLights,
//                       EnableLightGrid (values kept, nothing lit)
//   painting and host objects: Paint, PaintGround, PaintObjects, AddObject,
//                       UpdateObject, RemoveObject, SetViewSize, ScaleToWorldY,
//                       ScreenToWorld, InvalidateGround, SetObjectPaintPoint
//   loader thread       RegionLoaderThread (waits and quits), UpdateFrame
//                       (no wait for regions, no merge), ClearFlatObjects,
//                       ActivateRegion / DeactivateRegion (ground picture
//                       binding only, no tree points)
#include "place/ScenePlaceSeam.h"

#include "place/ScenePlace.h"
#include "place/Weather.h"

IK3DSceneNode* ModelProxyNode(KModelProxy*) { return nullptr; }
void PreloadPlayerAnimation(const char*) {}
void SetTreeTimeOfDay(KSceneObjectTree&, int32_t) {}

void KScenePlace::SetAmbientColor(uint32_t argb) { m_ambient = argb; }
void KScenePlace::EnableObjectLights(bool on) { m_objectLights = on; }
void KScenePlace::EnableLightGrid(bool on) { m_lightGrid = on; }

void KScenePlace::Paint() {}
void KScenePlace::PaintGround() {}
void KScenePlace::PaintObjects() {}
KSceneObject* KScenePlace::AddObject(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return nullptr; }
KSceneObject* KScenePlace::UpdateObject(int32_t, int32_t, int32_t, int32_t, int32_t, KSceneObject** object, int32_t,
                                        int32_t) {
    return object ? *object : nullptr;
}
void KScenePlace::RemoveObject(int32_t, int32_t, KSceneObject** object) {
    if (object) *object = nullptr;
}
void KScenePlace::SetViewSize(int32_t width, int32_t height) {
    m_viewHalfWidth = width / 2;
    m_viewHalfHeight = height / 2;
}
void KScenePlace::ScaleToWorldY(int32_t, int32_t* y) {
    if (y) *y = int32_t(uint32_t(*y) * 2u);
}
void KScenePlace::ScreenToWorld(int32_t*, int32_t*, int32_t) {}
void KScenePlace::InvalidateGround() { m_groundDirty = 1; }
void KScenePlace::SetObjectPaintPoint(int32_t, int32_t) {}

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

void KScenePlace::ClearFlatObjects() {}

unsigned __stdcall RegionLoaderThread(void* parameter) {
    auto* place = static_cast<KScenePlace*>(parameter);
    for (;;) {
        WaitForSingleObject(place->m_wakeEvent, 1000);
        if (place->m_centreX.load() == kLoaderQuitCode) return 0;
        ResetEvent(place->m_wakeEvent);
    }
}
