// The demo's side of the scene place: one player, the walking figure, whose
// model the place may ask for, light and paint; regions counted as the
// place's loader reports them.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>

#include "lumiva/IScenePlaceHost.h"

class IKDrawShell;

class DemoPlaceHost final : public IScenePlaceHost {
public:
    // Kind 6 is the player's; the place gives it the map's player light.
    static constexpr int32_t kPlayerKind = 6;
    static constexpr int32_t kPlayerId = 1;
    // Painted by the place's pass 2, in order with the walls.
    static constexpr int32_t kPlayerFlags = 2;

    explicit DemoPlaceHost(IKDrawShell* shell) : m_shell(shell) {}
    void SetPlayer(KModelProxy* model) { m_player = model; }
    // Regions whose obstacle grids the loader has read since the start.
    int RegionsAttached() const { return m_attached.load(); }
    // True when the loader has read every one of these region ids and the
    // place has not given it back since.
    bool HoldsRegions(const std::set<int32_t>& ids) const;
    // Times the place painted the player through PaintObject.
    int PlayerPaints() const { return m_playerPaints; }

    void Unused0() override {}
    bool IsPlayerObject(int32_t kind, int32_t id) override { return kind == kPlayerKind && id == kPlayerId; }
    KModelProxy* GetLinkedModel(int32_t kind, int32_t id) override { return PlayerModel(kind, id); }
    int32_t FindRegionId(int32_t zero, uint32_t regionKey) override;
    void AttachRegion(int32_t zero, int32_t id, KSceneRegion* region) override;
    void DetachRegion(int32_t zero, int32_t id) override;
    KModelProxy* FindObjectModel(int32_t kind, int32_t id, int32_t) override { return PlayerModel(kind, id); }
    void SetPerspective(int32_t) override {}
    void GetObjectLight(int32_t kind, int32_t id, KHostObjectLight* light) override;
    void PaintObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t, int32_t, int32_t pass) override;
    void PaintMapIcons(KMapIconRecord*, int32_t) override {}
    int32_t QueryMiniMap(int32_t) override { return 0; }
    void PassMiniMapValue(int32_t) override {}
    void Unused13() override {}
    void NotifyModelMove(KModelProxy*) override {}
    void OnDeviceRestored() override {}

private:
    KModelProxy* PlayerModel(int32_t kind, int32_t id) const { return IsOurs(kind, id) ? m_player : nullptr; }
    bool IsOurs(int32_t kind, int32_t id) const { return kind == kPlayerKind && id == kPlayerId; }

    IKDrawShell* m_shell;
    KModelProxy* m_player = nullptr;
    std::atomic<int> m_attached{0};
    mutable std::mutex m_heldLock;  // the loader thread attaches
    std::set<int32_t> m_held;
    int m_playerPaints = 0;
};
