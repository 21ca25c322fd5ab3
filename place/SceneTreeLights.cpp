// The tree's light list: lights of host objects (owner set) live from
// InsertObject to RemoveObject, map lights until the next merge.
#include <algorithm>

#include "place/HostObjectHooks.h"
#include "place/SceneLight.h"
#include "place/SceneObjectTree.h"

namespace {

template <class Condition>
void DeleteLightsWhere(std::vector<KSceneLight*>& lights, Condition condition) {
    auto kept = std::stable_partition(lights.begin(), lights.end(), [&](KSceneLight* l) { return !condition(l); });
    for (auto it = kept; it != lights.end(); ++it) delete *it;
    lights.erase(kept, lights.end());
}

}  // namespace

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

// An object reinserted after a merge keeps the light it has.
void KSceneObjectTree::AddObjectLight(KSceneObject* object) {
    if (std::any_of(m_lights.begin(), m_lights.end(), [object](KSceneLight* l) { return l->owner == object; })) return;
    KSceneLight* light = MakeHostObjectLight(*this, *object);
    if (!light) return;
    light->owner = object;
    AddLight(light);
}
