// What the scene place calls of parts not built yet: the model handle and
// the object tree's light values.
// ScenePlaceSeam.cpp holds these with the least body that works, together
// with the place's own operations that come later (painting, host objects
// and the merge's region lights); it is the one file to replace.
#pragma once

#include <cstdint>

class IK3DSceneNode;
class KModelProxy;
class KSceneObjectTree;

// KModelProxy::GetModel: the handle's scene node, or null.
IK3DSceneNode* ModelProxyNode(KModelProxy* model);
// The object tree's time of day (minutes) for its lights.
void SetTreeTimeOfDay(KSceneObjectTree& tree, int32_t minutes);
