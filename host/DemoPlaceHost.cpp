#include "DemoPlaceHost.h"

#include "ModelHandle.h"
#include "SceneSampleData.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/PrimitiveRecords.h"

namespace {

// The player's own light: warm, and wide enough to light the ground
// around it.
constexpr uint32_t kPlayerLightColour = 0xFFFFE0A0u;
constexpr int32_t kPlayerLightRadius = 320;

}  // namespace

// The host numbers the map's regions row by row from the top-left one.
int32_t DemoPlaceHost::FindRegionId(int32_t, uint32_t regionKey) {
    const int32_t rx = int32_t(regionKey & 0xFFFF) - scene_data::kRegionLeft;
    const int32_t ry = int32_t(regionKey >> 16) - scene_data::kRegionTop;
    if (rx < 0 || ry < 0 || rx >= scene_data::kRegionsAcross || ry >= scene_data::kRegionsDown) return -1;
    return ry * scene_data::kRegionsAcross + rx;
}

// Called on the place's loader thread.
void DemoPlaceHost::AttachRegion(int32_t, int32_t id, KSceneRegion*) {
    {
        std::lock_guard lock(m_heldLock);
        m_held.insert(id);
    }
    m_attached.fetch_add(1);
}

void DemoPlaceHost::DetachRegion(int32_t, int32_t id) {
    std::lock_guard lock(m_heldLock);
    m_held.erase(id);
}

bool DemoPlaceHost::HoldsRegions(const std::set<int32_t>& ids) const {
    std::lock_guard lock(m_heldLock);
    for (int32_t id : ids)
        if (!m_held.count(id)) return false;
    return true;
}

void DemoPlaceHost::GetObjectLight(int32_t kind, int32_t id, KHostObjectLight* light) {
    if (!light || !IsOurs(kind, id) || !m_player) return;
    float x = 0, y = 0, z = 0;
    Handle(m_player)->GetPosition(&x, &y, &z, 1);
    *light = KHostObjectLight{int32_t(x), int32_t(y), 0, kPlayerLightColour, kPlayerLightRadius};
}

// The place paints host objects in its passes, ordered with its walls; the
// player is a model record.
void DemoPlaceHost::PaintObject(int32_t kind, int32_t id, int32_t, int32_t, int32_t, int32_t, int32_t) {
    if (!IsOurs(kind, id) || !m_player) return;
    KPrimModel record{};
    record.model = m_player;
    record.computeTransform = 1;
    m_shell->DrawPrimitives(1, &record, PRIM_MODELS, 0, 0, -1, -1.0f);
    ++m_playerPaints;
}
