// What the object tree needs of the host's side of its host objects: the
// position of an object's model and the light an object carries. Both go
// through the scene place's host interface, which is not wired up yet;
// until it is, objects stand where they were put and carry no light.
// HostObjectHooks.cpp is the one place to fill in.
#pragma once

#include "place/TreeGeometry.h"

class KSceneLight;
class KSceneObject;
class KSceneObjectTree;

// True with the position of the object's model; false when it has none.
bool HostModelPosition(KSceneObject& object, KIntPoint* position);

// A new light for a host object that the tree takes in, or null for none.
KSceneLight* MakeHostObjectLight(const KSceneObjectTree& tree, KSceneObject& object);
