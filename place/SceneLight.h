// A light of the scene place: it follows a host object (owner set) or
// stands on the map (owner null). The object tree keeps them in its list.
#pragma once

#include <cstdint>

class KSceneObject;

class KSceneLight {
public:
    virtual ~KSceneLight() = default;
    virtual void Update() {}

    KSceneObject* owner = nullptr;
    int32_t x = 0, y = 0, z = 0;
    uint32_t colour = 0;  // ARGB
    int32_t radius = 0;   // world units
};
