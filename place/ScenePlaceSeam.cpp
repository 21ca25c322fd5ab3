// Stand-ins, each replaced by the part that builds it:
//   model handle        ModelProxyNode
//   model manager       PreloadPlayerAnimation
//   object lights       SetTreeTimeOfDay, SetAmbientColor, EnableObjectLights,
//                       EnableLightGrid (values kept, nothing lit)
//   painting and host objects: Paint, PaintGround, PaintObjects, AddObject,
//                       UpdateObject, RemoveObject, SetViewSize, ScaleToWorldY,
//                       ScreenToWorld, InvalidateGround, SetObjectPaintPoint
//   region window       SetFocus, GetFocus, SetFocusOffset, FreezeFocus,
//                       ResetObjects (focus kept, nothing requested)
//   loader thread       RegionLoaderThread (waits and quits), UpdateFrame
//                       (scroll layers only), ClearFlatObjects
#include "place/ScenePlaceSeam.h"

#include "place/ScenePlace.h"

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

void KScenePlace::SetFocus(int32_t x, int32_t y, int32_t) {
    if (!HasMap()) return;
    m_focusX = x;
    m_focusY = y;
}

void KScenePlace::GetFocus(int32_t* x, int32_t* y, int32_t* z) {
    if (x) *x = m_focusX;
    if (y) *y = m_focusY;
    if (z) *z = 0;
}

void KScenePlace::SetFocusOffset(int32_t dx, int32_t dy) {
    m_focusOffsetX = dx;
    m_focusOffsetY = dy;
}

void KScenePlace::FreezeFocus(bool frozen) {
    if (frozen && !m_focusFrozen) {
        m_frozenFocusX = m_focusX;
        m_frozenFocusY = m_focusY;
    }
    m_focusFrozen = frozen;
}

void KScenePlace::ResetObjects() {
    m_focusX = m_focusY = -1;
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    m_tree.Clear();
}

void KScenePlace::UpdateFrame() {
    if (!HasMap()) return;
    BuildScrollLayers(m_focusX, m_focusY);
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
