// The host's side of the scene place: the host implements it and hands it
// to the place (SetHost); the module only calls it. Slots 0 and 13 are
// never called. Regions reach the host as KSceneRegion pointers whose
// obstacle grids the host may read while the region stays attached.
#pragma once

#include <cstdint>

class KModelProxy;
class KSceneRegion;
struct KMapIconRecord;

// What the host tells of a host object's light: five 32-bit values.
struct KHostObjectLight {
    int32_t x;
    int32_t y;
    int32_t z;
    uint32_t colour;  // ARGB
    int32_t radius;   // world units; 0 makes no light
};

class IScenePlaceHost {
public:
    virtual void Unused0() = 0;
    // The object the view follows (the player).
    virtual bool IsPlayerObject(int32_t kind, int32_t id) = 0;
    virtual KModelProxy* GetLinkedModel(int32_t kind, int32_t id) = 0;
    // The host's id of the region with the key ry << 16 | rx, or -1.
    virtual int32_t FindRegionId(int32_t zero, uint32_t regionKey) = 0;
    // A region's obstacle grid has just been read; called on the region
    // loader thread.
    virtual void AttachRegion(int32_t zero, int32_t id, KSceneRegion* region) = 0;
    virtual void DetachRegion(int32_t zero, int32_t id) = 0;
    virtual KModelProxy* FindObjectModel(int32_t kind, int32_t id, int32_t three) = 0;
    virtual void SetPerspective(int32_t perspective) = 0;
    virtual void GetObjectLight(int32_t kind, int32_t id, KHostObjectLight* light) = 0;
    virtual void PaintObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t zero1, int32_t zero2,
                             int32_t pass) = 0;
    virtual void PaintMapIcons(KMapIconRecord* icons, int32_t flag) = 0;
    virtual int32_t QueryMiniMap(int32_t value) = 0;
    virtual void PassMiniMapValue(int32_t value) = 0;
    virtual void Unused13() = 0;
    virtual void NotifyModelMove(KModelProxy* model) = 0;
    // From the drawing shell after a device restore.
    virtual void OnDeviceRestored() = 0;

protected:
    ~IScenePlaceHost() = default;
};
