#include "place/HostObjectHooks.h"

#include <cstring>
#include <new>

#include "place/SceneLight.h"
#include "place/SceneObjectTree.h"
#include "place/ScenePlaceHost.h"
#include "scene/KModel.h"
#include "scene/KModelProxy.h"

namespace {

constexpr int32_t kPlayerKind = 6;
constexpr int32_t kPlayerLightRadius = 320;
constexpr uint32_t kIndoorDarkAmbient = 0xFF404040;
// FindObjectModel's third argument: the object's own model.
constexpr int32_t kHookObjectModel = 3;

bool g_placingObject = false;

}  // namespace

bool PlaceIsPlacingObject() { return g_placingObject; }
void SetPlaceIsPlacingObject(bool placing) { g_placingObject = placing; }

IK3DSceneNode* ModelProxyNode(KModelProxy* model) { return model ? model->GetModel() : nullptr; }

bool HostModelPosition(KSceneObject& object, KIntPoint* position) {
    IScenePlaceHost* host = ScenePlaceHost();
    if (!host) return false;
    IK3DSceneNode* node = ModelProxyNode(host->FindObjectModel(int32_t(object.wordA), object.host.id, kHookObjectModel));
    if (!node) return false;
    float x = 0, y = 0, z = 0;
    node->GetPosition(&x, &y, &z, 0, 1);
    *position = KIntPoint{TruncateToInt32(x), TruncateToInt32(y)};
    return true;
}

KSceneLight* MakeHostObjectLight(const KSceneObjectTree& tree, KSceneObject& object) {
    IScenePlaceHost* host = ScenePlaceHost();
    if (!host) return nullptr;
    KSceneLight values;
    const int32_t kind = int32_t(object.wordA);
    if (object.host.flags & kHostObjectHasLight) {
        KHostObjectLight told{};
        host->GetObjectLight(kind, object.host.id, &told);
        values.x = told.x;
        values.y = told.y;
        values.z = told.z;
        values.colour = told.colour;
        values.radius = told.radius;
    }
    if (kind == kPlayerKind && host->IsPlayerObject(kind, object.host.id)) {
        if (!(object.host.flags & kHostObjectHasLight)) {
            const KIntPoint at = object.Position();
            values.x = at.x;
            values.y = at.y;
            values.z = TruncateToInt32(object.z);
        }
        values.colour = tree.PlayerLightColour();
        values.radius = tree.Indoor() && tree.AmbientColor() == kIndoorDarkAmbient ? 0 : kPlayerLightRadius;
    }
    if (values.radius == 0) return nullptr;
    auto* light = new (std::nothrow) KSceneLight(values);
    return light;
}
