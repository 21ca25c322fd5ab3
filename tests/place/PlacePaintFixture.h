// A loaded map with its 3 x 3 active regions read from region files the map
// writers made, put into the object tree the way the region merge does it,
// and a host that notes what the place asks it to paint.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MapWriter.h"
#include "ScenePlaceFixture.h"
#include "support/QuietPlaceHost.h"

namespace place_test {

constexpr int32_t kCentreRegionX = 10;
constexpr int32_t kCentreRegionY = 10;
constexpr int32_t kCentreX = kCentreRegionX * 512;   // the centre region's origin
constexpr int32_t kCentreY = kCentreRegionY * 1024;

// Notes PaintObject calls with the device call count at the time, so they
// can be ordered against the device's recorded calls.
class PaintHost final : public test_support::QuietPlaceHost {
public:
    struct Painted {
        int32_t kind, id, x, y, pass;
        size_t deviceCalls;
    };
    std::vector<Painted> painted;
    int32_t player = -1;
    KModelProxy* model = nullptr;
    KModelProxy* linked = nullptr;
    std::vector<KModelProxy*> moves;
    KHostObjectLight light{};
    int lightCalls = 0;

    void PaintObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t, int32_t, int32_t pass) override;
    bool IsPlayerObject(int32_t kind, int32_t id) override { return kind == 6 && id == player; }
    KModelProxy* FindObjectModel(int32_t, int32_t, int32_t) override { return model; }
    KModelProxy* GetLinkedModel(int32_t, int32_t) override { return linked; }
    void NotifyModelMove(KModelProxy* m) override { moves.push_back(m); }
    void GetObjectLight(int32_t, int32_t, KHostObjectLight* out) override {
        ++lightCalls;
        *out = light;
    }
};

class PlacePaintTest : public ScenePlaceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A region file of the map at these region indices.
    void WriteRegion(int32_t rx, int32_t ry, const RegionFileFields& fields);
    // Loads the map (settings as given), sets a 800 x 600 view, focuses the
    // centre region, reads the nine regions and merges them.
    void Open(const WorSettings& settings = {});
    // The merge: tree points of every active region, flat objects by y and
    // depth, the map lights, the host objects back in.
    void Merge();
    KSceneRegion* Active(int dx, int dy);
    // Frames as the host draws them (the shell's BeginFrame, Paint), with
    // recording on; the back buffer after the last.
    lumiva::d3d9::Image PaintFrames(int frames = 1, D3DCOLOR clear = 0xFF000000);
    // The pixels of a render-target picture of the shell.
    lumiva::d3d9::Image PicturePixels(const char* name);

    // Host path of a module path ("\spr\a.spr" -> "spr/a.spr").
    static std::string HostPath(const std::string& modulePath);
    void WriteSprite(const std::string& modulePath, uint16_t width, uint16_t height,
                     const std::vector<uint32_t>& pixels, int frames = 1, uint16_t interval = 1);

    PaintHost host;
};

// A four-corner wall record standing on the base line (x, y)-(x + w, y).
RegionObjectFields WallFields(const std::string& name, int32_t x, int32_t y, int16_t width, int16_t height);
// A still point picture from (x, y) with the picture's size.
RegionObjectFields PointFields(const std::string& name, int32_t x, int32_t y, int16_t width, int16_t height);

}  // namespace place_test
