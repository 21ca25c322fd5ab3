// Stand-ins, each replaced by the part that builds it:
//   model handle        ModelProxyNode
//   object lights       SetTreeTimeOfDay, SetAmbientColor, EnableObjectLights,
//                       EnableLightGrid (values kept, nothing lit)
//   painting and host objects: Paint, PaintGround, PaintObjects, AddObject,
//                       UpdateObject, RemoveObject, SetViewSize, ScaleToWorldY,
//                       ScreenToWorld, InvalidateGround, SetObjectPaintPoint
//   region lights       AddRegionLights (the merge's lights; none added)
#include "place/ScenePlaceSeam.h"

#include "place/ScenePlace.h"
#include "place/Weather.h"

IK3DSceneNode* ModelProxyNode(KModelProxy*) { return nullptr; }
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

void KScenePlace::AddRegionLights(const KSceneRegion&) {}
