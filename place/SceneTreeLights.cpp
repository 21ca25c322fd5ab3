// The tree's light list: lights of host objects (owner set) live from
// InsertObject to RemoveObject, map lights until the next merge.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "lumiva/basrel/HostRandom.h"
#include "place/HostObjectHooks.h"
#include "place/RegionRecords.h"
#include "place/SceneLight.h"
#include "place/SceneObjectTree.h"

namespace {

template <class Condition>
void DeleteLightsWhere(std::vector<KSceneLight*>& lights, Condition condition) {
    auto kept = std::stable_partition(lights.begin(), lights.end(), [&](KSceneLight* l) { return !condition(l); });
    for (auto it = kept; it != lights.end(); ++it) delete *it;
    lights.erase(kept, lights.end());
}

// The player's light carries no position of the host's: it goes where its
// object stands.
bool FollowsOwner(const KSceneLight& light) {
    return light.owner && (light.owner->host.flags & kHostObjectHasLight) == 0;
}

}  // namespace

KFlickerLight* KFlickerLight::FromRecord(const KRegionLightRecord& record) {
    if (std::min(record.radius1, record.radius2) < 0) return nullptr;
    auto* light = new (std::nothrow) KFlickerLight();
    if (!light) return nullptr;
    light->x = record.x;
    light->y = record.y;
    light->z = record.z;
    light->colour = record.colour;
    light->upper = float(std::max(record.radius1, record.radius2));
    light->lower = light->upper - 8.0f;
    light->current = light->lower + float(g_Random(8));
    light->period = 87.5f + float(g_Random(15));
    light->radius = int32_t(light->current);
    light->lastUpdate = timeGetTime();
    return light;
}

void KFlickerLight::Update() {
    const uint32_t now = timeGetTime();
    const float dt = float(now - lastUpdate);
    current += 2.0f * dt / period * (upper - lower) * float(direction);
    if (direction > 0 && current > upper) {
        direction = -1;
        current = upper;
    } else if (direction < 0 && current < lower) {
        direction = 1;
        current = lower;
    }
    radius = int32_t(current);
    lastUpdate = now;
}

void KSceneObjectTree::AddLight(KSceneLight* light) {
    if (light) m_lights.push_back(light);
}

void KSceneObjectTree::DeleteLightsOwnedBy(const KSceneObject* owner) {
    DeleteLightsWhere(m_lights, [owner](KSceneLight* l) { return l->owner == owner; });
}

void KSceneObjectTree::DeleteOwnerlessLights() {
    DeleteLightsWhere(m_lights, [](KSceneLight* l) { return l->owner == nullptr; });
}

void KSceneObjectTree::DeleteAllLights() {
    for (KSceneLight* light : m_lights) delete light;
    m_lights.clear();
}

// Every merge reinserts the host objects: an object keeps its one light,
// refreshed from what the host tells now.
void KSceneObjectTree::AddObjectLight(KSceneObject* object) {
    KSceneLight* made = MakeHostObjectLight(*this, *object);
    auto existing = std::find_if(m_lights.begin(), m_lights.end(), [object](KSceneLight* l) { return l->owner == object; });
    if (existing == m_lights.end()) {
        if (!made) return;
        made->owner = object;
        AddLight(made);
        return;
    }
    if (!made) return;
    KSceneLight& light = **existing;
    light.x = made->x;
    light.y = made->y;
    light.z = made->z;
    light.colour = made->colour;
    light.radius = made->radius;
    delete made;
}

void KSceneObjectTree::AddRegionLights(const KRegionLightRecord* records, uint32_t count) {
    if (!m_objectLightsOn || !records) return;
    for (uint32_t i = 0; i < count; ++i) {
        KRegionLightRecord record;
        std::memcpy(&record, records + i, sizeof record);
        AddLight(KFlickerLight::FromRecord(record));
    }
}

void KSceneObjectTree::Update() {
    for (KSceneLight* light : m_lights)
        if (!light->owner) light->Update();
}

void KSceneObjectTree::EnableObjectLights(bool on) {
    m_objectLightsOn = on ? 1 : 0;
    if (!on) DeleteOwnerlessLights();
}

void KSceneObjectTree::BuildLightGrid() {
    for (KSceneLight* light : m_lights) {
        if (!FollowsOwner(*light)) continue;
        const KIntPoint at = light->owner->Position();
        light->x = at.x;
        light->y = at.y;
    }
    m_grid.Build(m_lights, m_ambient, m_gridOriginX, m_gridOriginY);
}
