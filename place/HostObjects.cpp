// The host's moving objects: AddObject, UpdateObject and RemoveObject put
// them into the object tree under the objects lock, and the object's model
// follows its moves.
#include <new>
#include <utility>

#include "lumiva/IK3DSceneNode.h"
#include "place/HostObjectHooks.h"
#include "place/ScenePlace.h"
#include "place/ScenePlaceHost.h"
#include "scene/KModelProxy.h"

namespace {

constexpr int32_t kHostObjectModel = 3;
constexpr DWORD kDefaultMoveTime = 80;
// Objects stand 6 units below the point the host gives.
constexpr int64_t kFootOffset = 6;

int32_t FootY(int32_t y) { return SaturateToInt32(int64_t(y) + kFootOffset); }

}  // namespace

void KSceneObject::MoveTo(int32_t toX, int32_t toY, int32_t duration) {
    IScenePlaceHost* host = ScenePlaceHost();
    KModelProxy* proxy = host ? host->FindObjectModel(int32_t(wordA), this->host.id, kHostObjectModel) : nullptr;
    const bool player = host && host->IsPlayerObject(int32_t(wordA), this->host.id);
    if (player) {
        KModelProxy* linked = host->GetLinkedModel(int32_t(wordA), this->host.id);
        host->NotifyModelMove(linked ? linked : proxy);
    }
    IK3DSceneNode* node = ModelProxyNode(proxy);
    if (!node) {
        SetPosition(toX, toY);
        return;
    }
    float nx = 0, ny = 0, nz = 0;
    node->GetPosition(&nx, &ny, &nz, 0, 1);
    if (TruncateToInt32(nx) == toX && TruncateToInt32(ny) == toY) return;
    DWORD time = duration == -1 ? kDefaultMoveTime : DWORD(duration);
    if (PlaceIsPlacingObject() && !player) time = 0;
    node->SetPosition(float(toX), float(toY), 0.0f, time);
}

// Objects count while their region lies within one region of the centre.
static bool NearCentre(int32_t x, int32_t y, int32_t cx, int32_t cy) {
    const int64_t dx = int64_t(RegionIndexX(x)) - cx, dy = int64_t(RegionIndexY(y)) - cy;
    return dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
}

KSceneObject* KScenePlace::AddObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t z, int32_t flags) {
    if (flags == 0 || !NearCentre(x, y, m_centreX, m_centreY)) return nullptr;
    auto* object = new (std::nothrow) KSceneObject();
    if (!object) return nullptr;
    object->wordA = uint32_t(kind);
    object->host.id = id;
    SetPlaceIsPlacingObject(true);
    object->MoveTo(x, FootY(y), -1);
    SetPlaceIsPlacingObject(false);
    object->z = float(z);
    object->host.flags = uint32_t(flags);
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    m_tree.InsertObject(object);
    return object;
}

KSceneObject* KScenePlace::UpdateObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t z,
                                        KSceneObject** object, int32_t flags, int32_t moveTime) {
    if (!object) return nullptr;
    if (*object && (*object)->removed) *object = nullptr;  // the host removed it from a callback
    if (!*object) {
        *object = AddObject(kind, id, x, y, z, flags);
        return *object;
    }
    KSceneObject* item = *object;
    if (flags == 0 || !NearCentre(x, y, m_centreX, m_centreY)) {
        RemoveObject(0, 0, object);
        return *object;
    }
    item->wordA = uint32_t(kind);
    item->host.id = id;
    item->z = float(z);
    item->host.flags = uint32_t(flags);
    HostCallScope calls(*this);
    const KIntPoint at = item->Position();
    if (at.x == x && at.y == FootY(y)) return item;
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    m_tree.RemoveObject(item);
    // The host hears of the move and may move the focus, or remove the
    // object, before it goes back in.
    item->MoveTo(x, FootY(y), moveTime);
    if (item->removed) {
        *object = nullptr;
        return nullptr;
    }
    m_tree.InsertObject(item);
    return item;
}

void KScenePlace::RemoveObject(int32_t, int32_t, KSceneObject** object) {
    if (!object || !*object) return;
    KSceneObject* item = std::exchange(*object, nullptr);
    if (item->removed) return;
    {
        PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
        m_tree.RemoveObject(item);
    }
    FreeObject(item);
}

void KScenePlace::FreeObject(KSceneObject* object) {
    if (m_hostCalls == 0) {
        delete object;
        return;
    }
    object->removed = true;
    m_deferredFrees.push_back(object);
}

KScenePlace::HostCallScope::~HostCallScope() {
    if (--m_place.m_hostCalls > 0) return;
    for (KSceneObject* object : std::exchange(m_place.m_deferredFrees, {})) delete object;
}
