// An IScenePlaceHost that answers every call with nothing; tests derive
// from it and override what they watch.
#pragma once

#include "lumiva/IScenePlaceHost.h"

namespace test_support {

class QuietPlaceHost : public IScenePlaceHost {
public:
    void Unused0() override {}
    bool IsPlayerObject(int32_t, int32_t) override { return false; }
    KModelProxy* GetLinkedModel(int32_t, int32_t) override { return nullptr; }
    int32_t FindRegionId(int32_t, uint32_t) override { return -1; }
    void AttachRegion(int32_t, int32_t, KSceneRegion*) override {}
    void DetachRegion(int32_t, int32_t) override {}
    KModelProxy* FindObjectModel(int32_t, int32_t, int32_t) override { return nullptr; }
    void SetPerspective(int32_t) override {}
    void GetObjectLight(int32_t, int32_t, KHostObjectLight*) override {}
    void PaintObject(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    void PaintMapIcons(KMapIconRecord*, int32_t) override {}
    int32_t QueryMiniMap(int32_t) override { return 0; }
    void PassMiniMapValue(int32_t) override {}
    void Unused13() override {}
    void NotifyModelMove(KModelProxy*) override {}
    void OnDeviceRestored() override {}

protected:
    ~QuietPlaceHost() = default;
};

}  // namespace test_support
