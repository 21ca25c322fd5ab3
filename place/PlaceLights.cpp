// The place's light settings belong to its object tree, which lights the
// ground grid and the host's objects; the place keeps copies to report.
#include "place/ScenePlace.h"

void KScenePlace::SetAmbientColor(uint32_t argb) {
    m_ambient = argb;
    m_tree.SetAmbientColor(argb);
}

void KScenePlace::EnableObjectLights(bool on) {
    m_objectLights = on;
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    m_tree.EnableObjectLights(on);
}

void KScenePlace::EnableLightGrid(bool on) {
    m_lightGrid = on;
    m_tree.EnableLightGrid(on);
}
