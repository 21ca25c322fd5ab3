// Painting against a host that acts from inside its callbacks: objects
// moved out of the window, removed or added from PaintObject, the map
// loaded again or a paint asked for while the objects are painted, and the
// ground marked dirty again while it is being composed.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "PlacePaintFixture.h"
#include "d3d9/Control.h"
#include "place/ScenePlaceHost.h"
#include "support/QuietPlaceHost.h"
#include "textures/ImageCache.h"
#include "textures/PictureServices.h"

namespace place_test {
namespace {

constexpr int32_t kHostDrawn = 2;  // painted in pass 2

// Keeps the host's objects by id and runs a script step when one of them
// is painted.
class ActingHost final : public test_support::QuietPlaceHost {
public:
    void PaintObject(int32_t, int32_t id, int32_t, int32_t, int32_t, int32_t, int32_t pass) override {
        painted.push_back(id);
        if (pass != kHostDrawn) return;
        auto found = onPaint.find(id);
        if (found == onPaint.end()) return;
        auto action = std::move(found->second);
        onPaint.erase(found);
        action();
    }

    std::map<int32_t, KSceneObject*> objects;
    std::map<int32_t, std::function<void()>> onPaint;
    std::vector<int32_t> painted;
};

class PaintReentryTest : public PlacePaintTest {
protected:
    void SetUp() override {
        PlacePaintTest::SetUp();
        SetScenePlaceHost(&acting);
    }
    void TearDown() override {
        for (auto& [id, object] : acting.objects) Place().RemoveObject(0, 0, &object);
        picture_services::Reset();
        PlacePaintTest::TearDown();
    }
    // Objects 1, 2, 3 down the centre region, painted in that order.
    void AddThree() {
        for (int32_t id = 1; id <= 3; ++id) {
            acting.objects[id] = Place().AddObject(3, id, kCentreX + 256, kCentreY + 300 + 100 * id, 0, kHostDrawn);
            ASSERT_NE(acting.objects[id], nullptr);
        }
    }
    void Update(int32_t id, int32_t x, int32_t y) {
        Place().UpdateObject(3, id, x, y, 0, &acting.objects[id], kHostDrawn, 0);
    }

    ActingHost acting;
};

TEST_F(PaintReentryTest, ObjectsMovedAwayOrRemovedWhilePaintedAreSkippedAndFreedAfter) {
    Open();
    AddThree();
    // Object 1 leaves the window (and is freed), object 2 removes object 3.
    acting.onPaint[1] = [this] { Update(1, kCentreX + 3 * 512, kCentreY); };
    acting.onPaint[2] = [this] { Place().RemoveObject(0, 0, &acting.objects[3]); };
    PaintFrames();
    EXPECT_EQ(acting.painted, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(acting.objects[1], nullptr);
    EXPECT_EQ(acting.objects[3], nullptr);
    ASSERT_NE(acting.objects[2], nullptr);
    acting.painted.clear();
    PaintFrames();
    EXPECT_EQ(acting.painted, (std::vector<int32_t>{2}));
}

// Moving the painted object within the window, and adding one, keep the
// pass going; the new object is painted from the next frame on.
TEST_F(PaintReentryTest, ObjectsMovedOrAddedWhilePaintedPaintFromTheNextFrame) {
    Open();
    AddThree();
    acting.onPaint[1] = [this] {
        Update(1, kCentreX + 300, kCentreY + 800);
        acting.objects[4] = Place().AddObject(3, 4, kCentreX + 256, kCentreY + 350, 0, kHostDrawn);
    };
    PaintFrames();
    EXPECT_EQ(acting.painted, (std::vector<int32_t>{1, 2, 3}));
    acting.painted.clear();
    PaintFrames();
    EXPECT_EQ(acting.painted, (std::vector<int32_t>{4, 2, 3, 1}));
}

// The tree the pass walks goes with the map: the pass ends there. A paint
// asked for from PaintObject paints nothing; a focus jump resets the tree.
TEST_F(PaintReentryTest, AMapChangeOrFocusJumpFromPaintObjectEndsThePass) {
    Open();
    AddThree();
    acting.onPaint[1] = [this] {
        Place().Paint();
        Place().SetFocus(kCentreX + 256 + 8 * 512, kCentreY, 0);
    };
    PaintFrames();
    EXPECT_EQ(acting.painted, (std::vector<int32_t>{1}));

    Place().SetFocus(kCentreX + 256, kCentreY + 512, 0);
    Place().MarkLoadedForTests(49);
    Place().RebuildActiveWindow();
    Merge();
    acting.painted.clear();
    acting.onPaint[2] = [this] {
        for (auto& [id, object] : acting.objects) Place().RemoveObject(0, 0, &object);
        ASSERT_TRUE(Place().LoadMap(7, 0, 0));
    };
    PaintFrames();
    EXPECT_EQ(acting.painted, (std::vector<int32_t>{1, 2}));
    EXPECT_TRUE(Place().HasMap());
}

// The loader needs the objects lock that painting holds: a frame the host
// runs from PaintObject goes on without waiting for regions.
TEST_F(PaintReentryTest, AFrameRunFromPaintObjectDoesNotWaitForRegions) {
    Open();
    AddThree();
    Place().SetFocus(kCentreX + 256 + 5 * 512, kCentreY + 512, 0);  // far: the next frames wait
    Place().SetFocus(kCentreX + 256, kCentreY + 512, 0);
    Place().MarkLoadedForTests(49);
    Place().RebuildActiveWindow();
    Merge();
    ASSERT_TRUE(Place().WaitingForRegions());
    acting.onPaint[1] = [this] { Place().UpdateFrame(); };
    PaintFrames();
    EXPECT_TRUE(acting.onPaint.empty());
    EXPECT_TRUE(Place().WaitingForRegions());  // not waited out
}

// A region that asks for the ground again while the ground pictures are
// composed (here the image cache, short of memory, purging) is composed
// on the next paint: the flag is taken before composing, not cleared after.
TEST_F(PaintReentryTest, GroundDirtiedWhileComposedIsComposedOnTheNextPaint) {
    WriteSprite("\\spr\\tile.spr", 32, 32, std::vector<uint32_t>(32 * 32, 0xFF404040));
    RegionFileFields fields;
    fields.ground = GroundSectionFields{};
    GroundTileFields tile;
    tile.name = "\\spr\\tile.spr";
    fields.ground->tiles = {tile};
    WriteRegion(kCentreRegionX, kCentreRegionY, fields);
    Open();
    PaintFrames();
    ASSERT_FALSE(Place().GroundDirty());
    int purges = 0;
    picture_services::SetPurgeIdle([&] {
        ++purges;
        Place().InvalidateGround();
    });
    Place().InvalidateGround();
    g_pImageCache->PurgeAll();  // the tile is loaded, and fails, anew
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 1);
    PaintFrames();
    ASSERT_GT(purges, 0);
    EXPECT_TRUE(Place().GroundDirty());
    picture_services::SetPurgeIdle({});
    PaintFrames();
    EXPECT_FALSE(Place().GroundDirty());
}

}  // namespace
}  // namespace place_test
