// The host's objects in the place: adding, updating and removing them, the
// models that follow their moves, and the view rectangle.
#include <gtest/gtest.h>

#include "PlacePaintFixture.h"
#include "lumiva/IK3DSceneNode.h"
#include "place/HostObjectHooks.h"
#include "place/ObjectPaint.h"
#include "place/PlaceClocks.h"
#include "place/SceneLight.h"
#include "scene/KModelProxy.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace place_test {
namespace {

// Objects around the centre region (0, 0) of a place without a map.
class HostObjectTest : public PlacePaintTest {
protected:
    std::vector<KScenePoint*> TreeItems() {
        std::vector<KScenePoint*> items;
        Place().ObjectTree().WalkItems(&items, [](void* c, KScenePoint* item) {
            static_cast<std::vector<KScenePoint*>*>(c)->push_back(item);
        });
        return items;
    }
    KIntPoint NodePosition(KModelProxy* model) {
        float x = 0, y = 0, z = 0;
        ModelProxyNode(model)->GetPosition(&x, &y, &z, 0, 1);
        return KIntPoint{int32_t(x), int32_t(y)};
    }
};

TEST_F(HostObjectTest, AddObjectNeedsFlagsAndTheCentre) {
    EXPECT_EQ(Place().AddObject(1, 1, 100, 100, 0, 0), nullptr);
    EXPECT_EQ(Place().AddObject(1, 1, 2 * 512 + 10, 100, 0, 2), nullptr);   // two regions right
    EXPECT_EQ(Place().AddObject(1, 1, 100, -3 * 1024 + 10, 0, 2), nullptr);  // indices truncate toward zero: -2
    EXPECT_TRUE(TreeItems().empty());
    KSceneObject* object = Place().AddObject(4, 9, 300, 700, 12, 2 | 8);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->wordA, 4u);
    EXPECT_EQ(object->host.id, 9);
    EXPECT_EQ(object->host.flags, 10u);
    EXPECT_EQ(object->z, 12.0f);
    EXPECT_EQ(object->Position(), (KIntPoint{300, 706}));  // the foot is 6 units lower
    EXPECT_EQ(TreeItems(), std::vector<KScenePoint*>{object});
    Place().RemoveObject(0, 0, &object);
    EXPECT_EQ(object, nullptr);
    EXPECT_TRUE(TreeItems().empty());
}

TEST_F(HostObjectTest, UpdateObjectMovesRefreshesOrFrees) {
    host.light = KHostObjectLight{0, 0, 0, 0xFFFFFFFF, 64};
    KSceneObject* object = nullptr;
    // No object yet: added.
    EXPECT_EQ(Place().UpdateObject(2, 5, 100, 200, 0, &object, 2 | 8, 0), object);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(host.lightCalls, 1);
    // Unchanged position: kind, id, z and flags change, the tree is left alone.
    KSceneObject* same = object;
    EXPECT_EQ(Place().UpdateObject(3, 6, 100, 200, 5, &object, 2 | 8 | 4, 0), same);
    EXPECT_EQ(object, same);
    EXPECT_EQ(host.lightCalls, 1);  // not reinserted
    EXPECT_EQ(object->wordA, 3u);
    EXPECT_EQ(object->host.id, 6);
    EXPECT_EQ(object->host.flags, 14u);
    EXPECT_EQ(object->z, 5.0f);
    // Moved: out of the tree and back at the new place, one light still.
    EXPECT_EQ(Place().UpdateObject(3, 6, 150, 260, 5, &object, 2 | 8, 0), same);
    EXPECT_EQ(host.lightCalls, 2);
    EXPECT_EQ(object->Position(), (KIntPoint{150, 266}));
    EXPECT_EQ(Place().ObjectTree().Lights().size(), 1u);
    EXPECT_EQ(TreeItems(), std::vector<KScenePoint*>{object});
    // Two regions away: freed, the pointer cleared, its light gone.
    EXPECT_EQ(Place().UpdateObject(3, 6, 3 * 512, 260, 5, &object, 2, 0), nullptr);
    EXPECT_EQ(object, nullptr);
    EXPECT_TRUE(TreeItems().empty());
    EXPECT_TRUE(Place().ObjectTree().Lights().empty());
    // Flags 0 frees too.
    Place().UpdateObject(1, 1, 10, 10, 0, &object, 2, 0);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(Place().UpdateObject(1, 1, 10, 10, 0, &object, 0, 0), nullptr);
    EXPECT_EQ(object, nullptr);
    // Null pointers do nothing.
    EXPECT_EQ(Place().UpdateObject(1, 1, 10, 10, 0, nullptr, 2, 0), nullptr);
    Place().RemoveObject(0, 0, nullptr);
    Place().RemoveObject(0, 0, &object);
    EXPECT_TRUE(TreeItems().empty());
}

TEST_F(HostObjectTest, ModelsFollowMovesOverTheirDurations) {
    host.model = m_shell->CreateModel(nullptr);
    host.linked = m_shell->CreateModel(nullptr);
    KModelProxy* linkedModel = host.linked;
    ASSERT_NE(host.model, nullptr);
    g_FrameTime = 10000;
    // A new object that is not the player lands at once; nobody is told.
    KSceneObject* npc = Place().AddObject(2, 1, 100, 200, 0, 2);
    ASSERT_NE(npc, nullptr);
    EXPECT_EQ(NodePosition(host.model), (KIntPoint{100, 206}));
    EXPECT_EQ(npc->Position(), (KIntPoint{100, 206}));  // read from the model
    EXPECT_TRUE(host.moves.empty());
    // The player walks there over 80 ms, and the linked model is told.
    host.player = 7;
    KSceneObject* player = Place().AddObject(6, 7, 300, 400, 0, 2);
    EXPECT_EQ(host.moves, std::vector<KModelProxy*>{host.linked});
    EXPECT_EQ(NodePosition(host.model), (KIntPoint{100, 206}));
    g_FrameTime += 40;
    EXPECT_EQ(NodePosition(host.model), (KIntPoint{200, 306}));
    g_FrameTime += 40;
    EXPECT_EQ(NodePosition(host.model), (KIntPoint{300, 406}));
    // UpdateObject moves over its move time; without a linked model the
    // object's own model is told.
    host.linked = nullptr;
    Place().UpdateObject(6, 7, 500, 406, 0, &player, 2, 200);
    EXPECT_EQ(host.moves.back(), host.model);
    g_FrameTime += 100;
    EXPECT_EQ(NodePosition(host.model), (KIntPoint{400, 409}));
    g_FrameTime += 100;
    EXPECT_EQ(NodePosition(host.model), (KIntPoint{500, 412}));
    // Already there: the model is not asked to move again.
    const DWORD stamp = ModelProxyNode(host.model)->GetTimeStamp();
    npc->MoveTo(500, 412, 300);
    EXPECT_EQ(ModelProxyNode(host.model)->GetTimeStamp(), stamp);
    Place().RemoveObject(0, 0, &npc);
    Place().RemoveObject(0, 0, &player);
    m_shell->ReleaseModel(host.model);
    m_shell->ReleaseModel(linkedModel);
    host.model = nullptr;
    // Without a model the stored position moves.
    KSceneObject* plain = Place().AddObject(2, 2, 10, 20, 0, 2);
    plain->MoveTo(30, 40, -1);
    EXPECT_EQ(plain->Position(), (KIntPoint{30, 40}));
    Place().RemoveObject(0, 0, &plain);
}

TEST_F(HostObjectTest, ViewRectangleAndScreenPoints) {
    Place().SetViewSize(800, 600);
    const int32_t* view = Place().ViewRect();
    EXPECT_EQ(view[2] - view[0], 1080);
    EXPECT_EQ(view[3] - view[1], 1680);
    // A focus moves the corner to the focus less the half sizes (540,
    // 780); the size stays.
    WriteEastMap();
    ASSERT_TRUE(InitAndLoad());
    Place().SetFocus(5000, 9000, 0);
    EXPECT_EQ(view[0], 5000 - 540);
    EXPECT_EQ(view[1], 9000 - 780);
    EXPECT_EQ(view[2] - view[0], 1080);
    EXPECT_EQ(view[3] - view[1], 1680);
    int32_t y = 300;
    Place().ScaleToWorldY(0, &y);
    EXPECT_EQ(y, 600);
    y = INT32_MAX;
    Place().ScaleToWorldY(0, &y);
    EXPECT_EQ(y, INT32_MAX);
    // Without a shell: from the view's corner, 2 units a pixel down, lifted
    // by 887 / 1024 of the height.
    KDrawShell* shell = g_pDrawShell;
    g_pDrawShell = nullptr;
    int32_t x = 10;
    y = 20;
    Place().ScreenToWorld(&x, &y, 100);
    g_pDrawShell = shell;
    EXPECT_EQ(x, view[0] + 140 + 10);
    EXPECT_EQ(y, view[1] + 2 * (20 + (100 * 887) / 1024) + 180);
    Place().SetObjectPaintPoint(12, 34);
    EXPECT_EQ(PlacePaintPoint(), (KIntPoint{12, 34}));
}

// --- Record steps ---

KRegionObjectRecord AnimatedRecord(const char* name, uint16_t interval, uint16_t count, uint16_t frame) {
    KRegionObjectRecord r{};
    std::snprintf(r.name, sizeof r.name, "%s", name);
    r.frameInterval = interval;
    r.frameCount = count;
    r.frame = frame;
    return r;
}

TEST_F(HostObjectTest, AnimationStepsOnThePlaceClock) {
    WriteSprite("\\spr\\one.spr", 4, 4, std::vector<uint32_t>(16, 0xFFFFFFFF), 1, 50);
    WriteSprite("\\spr\\four.spr", 4, 4, std::vector<uint32_t>(16, 0xFFFFFFFF), 4, 5);
    RefreshPlaceClock();
    const uint32_t now = PlaceClock();
    // Interval 1 with one frame: still.
    KRegionObjectRecord one = AnimatedRecord("\\spr\\one.spr", 1, 0, 0);
    StepAnimation(one);
    EXPECT_EQ(one.frameInterval, 0);
    // Interval 1 with four frames: the picture's count, at least 20 ms.
    KRegionObjectRecord four = AnimatedRecord("\\spr\\four.spr", 1, 0, 0);
    StepAnimation(four);
    EXPECT_EQ(four.frameCount, 4);
    EXPECT_EQ(four.frameInterval, 20);
    EXPECT_EQ(four.animationStart, now);
    struct Case {
        uint32_t advance;
        uint16_t frame;
        uint32_t start;
    } cases[] = {{19, 0, 0}, {1, 1, 20}, {45, 3, 60}, {20, 0, 85}};
    uint32_t elapsed = 0;
    for (const Case& c : cases) {
        elapsed += c.advance;
        lumiva::win32::AdvanceClock(c.advance);
        RefreshPlaceClock();
        StepAnimation(four);
        EXPECT_EQ(four.frame, c.frame) << elapsed;
        EXPECT_EQ(four.animationStart, now + c.start) << elapsed;
    }
    // A frame at or past the count restarts at 0; a start far ahead of the
    // clock wraps without looping for ever.
    KRegionObjectRecord wild = AnimatedRecord("x", 30, 5, 900);
    wild.animationStart = PlaceClock();
    StepAnimation(wild);
    EXPECT_EQ(wild.frame, 0);
    wild.animationStart = PlaceClock() + 1;
    wild.frame = 2;
    StepAnimation(wild);
    EXPECT_EQ(wild.frame, 0);
    EXPECT_EQ(wild.animationStart, PlaceClock());
}

TEST_F(HostObjectTest, FadeStepsOneUnitAPaint) {
    struct Case {
        uint16_t from;
        int steps;
        uint16_t to;
        bool hidden;
    } cases[] = {
        {0xFF00, 1, 0xFF01, false}, {0xFF00, 255, 0xFFFF, false}, {0xFF00, 256, 0, false},
        {0x00FF, 1, 0x00FE, false}, {0x00FF, 255, 0, true},      {0x8080, 3, 0x8080, false},
        {0x40C0, 2, 0x40BE, false}, {0, 5, 0, false},
    };
    for (const Case& c : cases) {
        KRegionObjectRecord r{};
        r.fade = c.from;
        for (int i = 0; i < c.steps; ++i) StepFade(r);
        EXPECT_EQ(r.fade, c.to) << std::hex << c.from << " " << std::dec << c.steps;
        EXPECT_EQ(RecordFadedOut(r), c.hidden) << std::hex << c.from;
    }
}

}  // namespace
}  // namespace place_test
