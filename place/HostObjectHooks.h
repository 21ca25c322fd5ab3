// What the object tree and the place need of the host's side of its host
// objects: the model the host keeps for an object and the light an object
// carries, both asked through the host's IScenePlaceHost.
#pragma once

#include <cstdint>

#include "place/TreeGeometry.h"

class IK3DSceneNode;
class KModelProxy;
class KSceneLight;
class KSceneObject;
class KSceneObjectTree;

// The handle's model as a scene node, or null.
IK3DSceneNode* ModelProxyNode(KModelProxy* model);

// True with the position of the object's model; false when it has none.
bool HostModelPosition(KSceneObject& object, KIntPoint* position);

// A new light for a host object that the tree takes in, or null for none:
// with flags value 8 the host's light record of the object; for the player
// (kind 6) the map's player light at radius 320, none indoors under the
// ambient 0xFF404040. A radius of 0 makes no light.
KSceneLight* MakeHostObjectLight(const KSceneObjectTree& tree, KSceneObject& object);

// The module's self-move byte: set while the place itself places a new
// object, so its model lands at once instead of walking there.
bool PlaceIsPlacingObject();
void SetPlaceIsPlacingObject(bool placing);
