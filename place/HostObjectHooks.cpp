// HOOKS: replaced when the scene place's host interface lands.
//  - HostModelPosition: the host's model of the object (found by its kind
//    and id), its scene node's position truncated to integers.
//  - MakeHostObjectLight: for flags value 8 the host's light record of the
//    object (x, y, z, colour, radius); for the player (kind 6) the map's
//    player light, radius 320, or none indoors under ambient 0xFF404040.
//    A radius of 0 makes no light.
#include "place/HostObjectHooks.h"

bool HostModelPosition(KSceneObject&, KIntPoint*) { return false; }

KSceneLight* MakeHostObjectLight(const KSceneObjectTree&, KSceneObject&) { return nullptr; }
