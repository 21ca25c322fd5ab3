// A light of the scene place: it follows a host object (owner set) or
// stands on the map (owner null). The object tree keeps them in its list.
#pragma once

#include <cstdint>

class KSceneObject;
struct KRegionLightRecord;

class KSceneLight {
public:
    virtual ~KSceneLight() = default;
    virtual void Update() {}

    KSceneObject* owner = nullptr;
    int32_t x = 0, y = 0, z = 0;
    uint32_t colour = 0;  // ARGB
    int32_t radius = 0;   // world units
};

// A map light whose radius swings between its two radii, a full swing in
// both directions every period.
class KFlickerLight final : public KSceneLight {
public:
    // Null for a record whose smaller radius is below 0.
    static KFlickerLight* FromRecord(const KRegionLightRecord& record);
    void Update() override;

    float lower = 0;
    float upper = 0;
    float current = 0;
    float period = 0;  // milliseconds
    int32_t direction = 1;
    uint32_t lastUpdate = 0;  // timeGetTime
};
