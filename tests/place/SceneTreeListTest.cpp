#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneTreeFixture.h"

namespace scene_tree_list_test {
namespace {

using place_test::TreeScene;
using Names = std::vector<std::string>;

constexpr KIntPoint P(int32_t x, int32_t y) { return KIntPoint{x, y}; }

// Without fragments every item lies below the base line: side 1 of the base node.
const KScenePoint* BaseList(const TreeScene& scene) { return scene.tree.BaseNode().ChildList(1); }

TEST(SceneTreeListTest, HostObjectInAnEmptyLeafIsHeadWithItsNode) {
    TreeScene scene;
    KSceneObject* object = scene.Object("o", P(0, 0));
    scene.tree.InsertObject(object);
    EXPECT_EQ(BaseList(scene), object);
    EXPECT_EQ(object->owner.node, &scene.tree.BaseNode());
    EXPECT_EQ(object->owner.item, nullptr);
    EXPECT_EQ(object->previous, nullptr);

    KSceneObject* later = scene.Object("later", P(5, 40));
    scene.tree.InsertObject(later);
    EXPECT_EQ(later->previous, object);
    scene.tree.RemoveObject(object);
    EXPECT_EQ(BaseList(scene), later);  // the slot goes to the next item
    EXPECT_EQ(later->previous, nullptr);
    EXPECT_EQ(object->next, nullptr);
    EXPECT_EQ(object->owner.node, nullptr);
    scene.tree.RemoveObject(later);
    EXPECT_EQ(BaseList(scene), nullptr);
    scene.tree.RemoveObject(later);  // not in the tree: nothing happens
}

TEST(SceneTreeListTest, DepthOrderByY) {
    TreeScene scene;
    for (const auto& [name, y] : {std::pair{"30", 30}, {"10", 10}, {"20", 20}, {"20 again", 20}, {"-5", -5}}) {
        scene.tree.InsertObject(scene.Object(name, P(0, y)));
    }
    EXPECT_EQ(scene.Chain(BaseList(scene)), (Names{"-5", "10", "20", "20 again", "30"}));
    // Every previous link matches the chain.
    const KScenePoint* before = nullptr;
    for (const KScenePoint* item = BaseList(scene); item; before = item, item = item->next) {
        EXPECT_EQ(item->previous, before) << scene.NameOf(item);
    }
}

TEST(SceneTreeListTest, RemovingFromTheMiddleAndTheEnd) {
    TreeScene scene;
    KSceneObject* a = scene.Object("a", P(0, 1));
    KSceneObject* b = scene.Object("b", P(0, 2));
    KSceneObject* c = scene.Object("c", P(0, 3));
    for (KSceneObject* o : {a, b, c}) scene.tree.InsertObject(o);
    scene.tree.RemoveObject(b);
    EXPECT_EQ(scene.Chain(BaseList(scene)), (Names{"a", "c"}));
    EXPECT_EQ(c->previous, a);
    scene.tree.RemoveObject(c);
    EXPECT_EQ(a->next, nullptr);
    // Moving as the host does: out, then in at the new place.
    scene.tree.InsertObject(b);
    b->SetPosition(0, -10);
    scene.tree.RemoveObject(b);
    scene.tree.InsertObject(b);
    EXPECT_EQ(scene.Chain(BaseList(scene)), (Names{"b", "a"}));
    EXPECT_EQ(a->previous, b);
}

TEST(SceneTreeListTest, InsertingAnObjectTwiceMovesIt) {
    TreeScene scene;
    KSceneObject* a = scene.Object("a", P(0, 1));
    KSceneObject* b = scene.Object("b", P(0, 2));
    scene.tree.InsertObject(a);
    scene.tree.InsertObject(b);
    a->SetPosition(0, 5);
    scene.tree.InsertObject(a);
    EXPECT_EQ(scene.Chain(BaseList(scene)), (Names{"b", "a"}));
}

TEST(SceneTreeListTest, PointItemsBeforePicturesByBothEnds) {
    TreeScene scene;
    // A sorted picture from y 100 to y 200: a point sorts before it only
    // when above both ends; an unsorted point item by its position alone.
    scene.tree.InsertSegmentItem(scene.Line("picture", P(0, 100), P(50, 200), 1.0f, 0, 0x200));
    scene.tree.InsertObject(scene.Point("stone", P(500, 150)));
    scene.tree.InsertObject(scene.Object("o150", P(600, 150)));
    scene.tree.InsertObject(scene.Object("o90", P(600, 90)));
    scene.tree.InsertObject(scene.Object("o120", P(600, 120)));
    EXPECT_EQ(scene.Chain(BaseList(scene)), (Names{"o90", "picture", "o120", "stone", "o150"}));
}

// A covering wall from (0, 0) to (200, 100) in the leaf list.
struct CoverCase {
    const char* what;
    KIntPoint at;
    const char* list;  // "behind", "front" or "list"
};

TEST(SceneTreeListTest, CoveringWallsTakeObjectsBehindOrInFront) {
    const CoverCase cases[] = {
        {"above the wall, within its y", P(150, 40), "behind"},
        {"below the wall", P(50, 60), "front"},
        {"below, within the 128 reach", P(100, 228), "front"},
        {"below, past the reach", P(100, 229), "list"},
        {"above, past the wall's y span", P(190, -1), "list"},
        {"below, 3 up is reached", P(-12, -2), "front"},  // side 2 of the line (0,0)-(200,100)
        {"open at 13 across", P(-13, 40), "list"},
        {"12 across is in", P(-12, 40), "front"},
        {"open at 13 across on the right", P(213, 100), "list"},
    };
    for (const CoverCase& c : cases) {
        TreeScene scene;
        KTreePoint* wall = scene.Wall("wall", P(0, 0), P(200, 100));
        scene.tree.InsertSegmentItem(wall);
        scene.tree.InsertObject(scene.Object("o", c.at));
        const std::string where = wall->behind ? "behind" : wall->front ? "front" : "list";
        EXPECT_EQ(where, c.list) << c.what;
        if (where != "list") {
            const KScenePoint* object = wall->behind ? wall->behind : wall->front;
            EXPECT_EQ(object->owner.item, wall) << c.what;
            EXPECT_EQ(object->owner.node, nullptr) << c.what;
        }
    }
}

TEST(SceneTreeListTest, OnlyCoveringWallsCover) {
    TreeScene scene;
    KTreePoint* wall = scene.Line("kind 2", P(0, 0), P(200, 100), 1.0f, 0, 0x200);
    scene.tree.InsertSegmentItem(wall);
    scene.tree.InsertObject(scene.Object("o", P(150, 40)));
    EXPECT_EQ(wall->behind, nullptr);
    // By depth: 40 is not above both of its ends (0 and 100).
    EXPECT_EQ(scene.Chain(BaseList(scene)), (Names{"kind 2", "o"}));
}

TEST(SceneTreeListTest, FirstWallWithTheObjectAboveWinsElseTheLast) {
    struct Case {
        const char* what;
        KIntPoint firstFrom, firstTo, secondFrom, secondTo;
        const char* winner;
        const char* list;
    } cases[] = {
        // The object at (100, 50); a wall above it covers it only within its y span.
        {"below the first, above the second", P(0, 20), P(200, 21), P(0, 40), P(200, 140), "second", "behind"},
        {"above both: the first", P(0, 30), P(200, 130), P(0, 40), P(200, 140), "first", "behind"},
        {"below both: the last", P(0, 20), P(200, 21), P(0, 30), P(200, 31), "second", "front"},
    };
    for (const Case& c : cases) {
        TreeScene scene;
        KTreePoint* first = scene.Wall("first", c.firstFrom, c.firstTo);
        KTreePoint* second = scene.Wall("second", c.secondFrom, c.secondTo);
        scene.tree.InsertSegmentItem(first);
        scene.tree.InsertSegmentItem(second);
        ASSERT_EQ(scene.Chain(BaseList(scene)), (Names{"first", "second"})) << c.what;
        scene.tree.InsertObject(scene.Object("o", P(100, 50)));
        const KTreePoint* winner = std::string(c.winner) == "first" ? first : second;
        const KScenePoint* list = std::string(c.list) == "behind" ? winner->behind : winner->front;
        EXPECT_EQ(scene.Chain(list), (Names{"o"})) << c.what;
    }
}

TEST(SceneTreeListTest, SegmentsSortIntoTheBoxesThatHoldThem) {
    TreeScene scene;
    KTreePoint* outer = scene.Line("outer", P(0, 0), P(100, 50), 1.0f);
    scene.tree.InsertSegmentItem(outer);
    // Both ends within 7 across and inside the y span; the farther end
    // (the start, 10 below the line) decides: side 2, in front.
    scene.tree.InsertSegmentItem(scene.Line("inside", P(-7, 10), P(107, 50), 2.0f));
    // 8 across is out: sorted by its smaller y, 5, which is not above both
    // of outer's ends, so after it.
    scene.tree.InsertSegmentItem(scene.Line("wide", P(-8, 10), P(50, 5), 3.0f));
    // Above outer's line, the end farther off decides: side 0, behind.
    scene.tree.InsertSegmentItem(scene.Line("above", P(10, 1), P(90, 30), 4.0f));
    // Smaller y below both of outer's ends: before it.
    scene.tree.InsertSegmentItem(scene.Line("high", P(300, -20), P(400, 60), 5.0f));
    EXPECT_EQ(scene.Chain(BaseList(scene)), (Names{"high", "outer", "wide"}));
    EXPECT_EQ(scene.Chain(outer->front), (Names{"inside"}));
    EXPECT_EQ(scene.Chain(outer->behind), (Names{"above"}));
}

TEST(SceneTreeListTest, ObjectsDescendThroughNodesBySide) {
    TreeScene scene;
    scene.tree.InsertRegionFragment(scene.Line("root", P(0, 0), P(100, 0), 1.0f));
    KSceneObject* above = scene.Object("above", P(50, -40));
    KSceneObject* on = scene.Object("on the line", P(50, 0));
    KSceneObject* below = scene.Object("below", P(50, 40));
    for (KSceneObject* o : {above, on, below}) scene.tree.InsertObject(o);
    const KTreeNode* root = scene.tree.Root();
    EXPECT_EQ(scene.Chain(root->ChildList(0)), (Names{"above"}));
    EXPECT_EQ(scene.Chain(root->ChildList(1)), (Names{"on the line", "below"}));
    EXPECT_EQ(above->owner.node, root);
    scene.tree.RemoveObject(above);
    EXPECT_EQ(root->ChildList(0), nullptr);
}

TEST(SceneTreeListTest, ItemsEnterWithClearedLinks) {
    TreeScene scene;
    KTreePoint* reused = scene.Point("reused", P(0, 50));
    KTreePoint* stale = scene.Point("stale", P(0, 90));
    reused->next = stale;  // left from an earlier merge
    reused->front = stale;
    reused->piece.owned = 1;
    scene.tree.InsertObject(reused);
    EXPECT_EQ(scene.Chain(BaseList(scene)), (Names{"reused"}));
    EXPECT_EQ(reused->front, nullptr);
    EXPECT_EQ(reused->piece.owned, 0);  // the tree frees only what it cut itself
}

}  // namespace
}  // namespace scene_tree_list_test
