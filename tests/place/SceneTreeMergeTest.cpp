#include <gtest/gtest.h>
#include <pthread.h>

#include <string>
#include <vector>

#include "SceneTreeFixture.h"
#include "place/SceneLight.h"

namespace scene_tree_merge_test {
namespace {

using place_test::TreeScene;
using Names = std::vector<std::string>;

constexpr KIntPoint P(int32_t x, int32_t y) { return KIntPoint{x, y}; }

// Three walls in three nodes, a covering wall with items behind and in
// front, a region point and host objects in every leaf.
class BuiltTree {
public:
    TreeScene scene;
    std::vector<KTreePoint*> lines, segments, points;
    std::vector<KSceneObject*> objects;

    BuiltTree() {
        lines = {scene.Line("W0", P(0, 0), P(100, 0), 1.0f), scene.Line("W0b", P(150, 0), P(200, 0), 1.0f),
                 scene.Line("W1", P(0, -100), P(100, -100), 2.0f), scene.Line("W2", P(0, 100), P(100, 100), 3.0f)};
        segments = {scene.Wall("S", P(0, 110), P(100, 190))};
        points = {scene.Point("P1", P(30, 60))};
        for (const auto& [name, at] : {std::pair{"O1", P(50, -150)}, {"O2", P(50, -50)}, {"O3", P(50, 50)},
                                       {"O4", P(80, 150)}, {"O6", P(20, 180)}, {"O7", P(50, 400)}}) {
            objects.push_back(scene.Object(name, at));
        }
        Merge();
    }

    // As the region merge does it, after ResetForMerge.
    void Merge() {
        for (KTreePoint* line : lines) scene.tree.InsertRegionFragment(line);
        for (KTreePoint* segment : segments) scene.tree.InsertSegmentItem(segment);
        for (KTreePoint* point : points) scene.tree.InsertObject(point);
        if (scene.tree.PendingHead()) {
            const int32_t window[4] = {-592, -1104, 1104, 2128};
            scene.tree.ReinsertPendingObjects(window);
        } else {
            for (KSceneObject* object : objects) scene.tree.InsertObject(object);
        }
    }
};

const Names kWalk = {"O1", "W1", "O2", "W0", "W0b", "O3", "P1", "W2", "O4", "S", "O6", "O7"};

TEST(SceneTreeWalkTest, ItemsInPaintOrder) {
    BuiltTree built;
    EXPECT_EQ(built.scene.Walk(), kWalk);
    EXPECT_EQ(built.scene.LeafWalk(), (Names{"O1", "O2", "O3", "P1", "O4", "S", "O6", "O7"}));

    struct Visitor {
        const TreeScene* scene;
        Names names;
        void NodeFragment(KScenePoint* item) { names.push_back("node " + scene->NameOf(item)); }
        void ListItem(KScenePoint* item) { names.push_back(scene->NameOf(item)); }
    } visitor{&built.scene, {}};
    built.scene.tree.WalkPaintOrder(visitor);
    EXPECT_EQ(visitor.names, (Names{"O1", "node W1", "O2", "node W0", "node W0b", "O3", "P1", "node W2", "O4", "S",
                                    "O6", "O7"}));
    built.scene.tree.WalkItems(nullptr, nullptr);  // no callback: nothing to do
}

TEST(SceneTreeMergeTest, ResetCollectsHostObjectsAndReinsertionPutsThemBack) {
    BuiltTree built;
    KSceneObjectTree& tree = built.scene.tree;
    tree.ResetForMerge();
    EXPECT_EQ(tree.Root(), nullptr);
    EXPECT_TRUE(built.scene.Walk().empty());
    // Collected child 0 before child 1, each list item before its behind
    // and front lists, each pushed at the front.
    EXPECT_EQ(built.scene.Pending(), (Names{"O7", "O6", "O4", "O3", "O2", "O1"}));
    for (const KScenePoint* item = tree.PendingHead(); item; item = item->next) {
        EXPECT_EQ(item->previous->next, item);
        EXPECT_EQ(item->owner.node, nullptr);
    }
    const KTreePoint* s = built.segments[0];
    EXPECT_EQ(s->behind, nullptr);
    EXPECT_EQ(s->front, nullptr);
    EXPECT_EQ(s->next, nullptr);

    built.Merge();
    EXPECT_EQ(tree.PendingHead(), nullptr);
    EXPECT_EQ(built.scene.Walk(), kWalk);
}

TEST(SceneTreeMergeTest, RemovingAPendingObjectTakesItOffThePendingList) {
    BuiltTree built;
    built.scene.tree.ResetForMerge();
    built.scene.tree.RemoveObject(built.objects[3]);  // O4, in the middle
    built.scene.tree.RemoveObject(built.objects[5]);  // O7, first
    EXPECT_EQ(built.scene.Pending(), (Names{"O6", "O3", "O2", "O1"}));
    built.Merge();
    EXPECT_EQ(built.scene.Walk(), (Names{"O1", "W1", "O2", "W0", "W0b", "O3", "P1", "W2", "S", "O6"}));
}

TEST(SceneTreeMergeTest, CutPartsAreFreedAndItemsLeftWithoutLinks) {
    TreeScene scene;
    scene.tree.InsertRegionFragment(scene.Line("splitter", P(0, 0), P(200, 0), 1.0f));
    scene.tree.InsertRegionFragment(scene.Line("crossing", P(50, -100), P(150, 100), 2.0f));
    KSceneObject* object = scene.Object("o", P(120, 30));
    scene.tree.InsertObject(object);
    ASSERT_EQ(scene.Walk(), (Names{"crossing", "splitter", "o", "crossing'"}));
    scene.tree.ResetForMerge();  // the cut part goes with its node (the leak check sees it)
    EXPECT_EQ(scene.Pending(), (Names{"o"}));
    scene.tree.Clear();
    EXPECT_EQ(scene.tree.PendingHead(), nullptr);
    EXPECT_EQ(object->previous, nullptr);
    EXPECT_EQ(object->next, nullptr);
}

TEST(SceneTreeMergeTest, RemoveAfterClearIsHarmless) {
    BuiltTree built;
    built.scene.tree.Clear();
    EXPECT_TRUE(built.scene.Walk().empty());
    EXPECT_EQ(built.scene.tree.PendingHead(), nullptr);
    for (KSceneObject* object : built.objects) {
        EXPECT_EQ(object->owner.node, nullptr);
        EXPECT_EQ(object->owner.item, nullptr);
        EXPECT_EQ(object->previous, nullptr);
        built.scene.tree.RemoveObject(object);  // its old node is gone
    }
    built.Merge();
    EXPECT_EQ(built.scene.Walk(), kWalk);
}

class CountedLight : public KSceneLight {
public:
    explicit CountedLight(KSceneObject* o) {
        owner = o;
        ++live;
    }
    ~CountedLight() override { --live; }
    static inline int live = 0;
};

TEST(SceneTreeMergeTest, LightsOfObjectsOutliveMergesMapLightsDoNot) {
    CountedLight::live = 0;
    {
        BuiltTree built;
        KSceneObjectTree& tree = built.scene.tree;
        KSceneObject* o1 = built.objects[0];
        tree.AddLight(new CountedLight(nullptr));
        tree.AddLight(new CountedLight(o1));
        tree.AddLight(new CountedLight(built.objects[1]));
        tree.AddLight(new CountedLight(nullptr));
        tree.AddLight(nullptr);
        tree.ResetForMerge();
        EXPECT_EQ(CountedLight::live, 2);
        built.Merge();  // reinsertion keeps the light an object has
        ASSERT_EQ(tree.Lights().size(), 2u);
        EXPECT_EQ(tree.Lights()[0]->owner, o1);
        tree.RemoveObject(o1);
        EXPECT_EQ(CountedLight::live, 1);
        EXPECT_EQ(tree.Lights()[0]->owner, built.objects[1]);
        tree.AddLight(new CountedLight(nullptr));
        tree.Clear();
        EXPECT_EQ(CountedLight::live, 0);
        tree.AddLight(new CountedLight(nullptr));
    }
    EXPECT_EQ(CountedLight::live, 0);  // the tree's destructor clears
}

TEST(SceneTreeMergeTest, BaseLine) {
    struct Case {
        int32_t x1, x2, y;
        KIntPoint a, b;
    } cases[] = {
        {-1024, 1024, -2048, P(-1024, -2048), P(1024, -2048)},
        {1024, -1024, 5, P(-1024, 5), P(1024, 5)},
        {300, 300, 7, P(300, 7), P(2348, 7)},
        {2147483000, 2147483000, 0, P(2147483000, 0), P(2147483647, 0)},
    };
    for (const Case& c : cases) {
        KSceneObjectTree tree;
        tree.SetBaseLine(c.x1, c.x2, c.y);
        EXPECT_EQ(tree.BaseNode().splitterA, c.a) << c.x1;
        EXPECT_EQ(tree.BaseNode().splitterB, c.b) << c.x1;
    }
    TreeScene scene;
    scene.tree.SetBaseLine(0, 0, 0);  // from (0, 0) to (2048, 0)
    scene.tree.InsertObject(scene.Object("above", P(500, -10)));
    scene.tree.InsertObject(scene.Object("below", P(500, 10)));
    EXPECT_EQ(scene.Chain(scene.tree.BaseNode().ChildList(0)), (Names{"above"}));
    EXPECT_EQ(scene.Chain(scene.tree.BaseNode().ChildList(1)), (Names{"below"}));
    scene.tree.SetGridOrigin(-512, -1024);
    EXPECT_EQ(scene.tree.GridOriginX(), -512);
    EXPECT_EQ(scene.tree.GridOriginY(), -1024);
}

// A chain of nodes thousands deep and a list as long, worked on a thread
// with a small stack: nothing recurses over the tree's depth.
struct DeepTreeRun {
    static constexpr int kDepth = 4000;
    Names walkEnds;
    size_t walked = 0;
    size_t pending = 0;
    size_t rewalked = 0;

    static void* Run(void* self) {
        static_cast<DeepTreeRun*>(self)->Work();
        return nullptr;
    }

    void Work() {
        TreeScene scene;
        std::vector<KTreePoint*> walls;
        for (int i = 0; i < kDepth; ++i) {
            walls.push_back(scene.Line("w" + std::to_string(i), P(0, i * 10), P(100, i * 10), float(i)));
            scene.tree.InsertRegionFragment(walls.back());
        }
        for (int i = 0; i < kDepth; ++i) scene.tree.InsertObject(scene.Object("o" + std::to_string(i), P(50, kDepth * 10 + i)));
        const Names walk = scene.Walk();
        walked = walk.size();
        walkEnds = {walk.front(), walk[kDepth - 1], walk[kDepth], walk.back()};
        scene.tree.ResetForMerge();
        pending = scene.Pending().size();
        for (KTreePoint* wall : walls) scene.tree.InsertRegionFragment(wall);
        const int32_t window[4] = {};
        scene.tree.ReinsertPendingObjects(window);
        rewalked = scene.Walk().size();
        scene.tree.Clear();
    }
};

TEST(SceneTreeDepthThreadTest, DeepTreesNeedNoDeepStack) {
    DeepTreeRun run;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 128 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, &DeepTreeRun::Run, &run), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(run.walked, size_t(2 * DeepTreeRun::kDepth));
    EXPECT_EQ(run.walkEnds, (Names{"w0", "w3999", "o0", "o3999"}));
    EXPECT_EQ(run.pending, size_t(DeepTreeRun::kDepth));
    EXPECT_EQ(run.rewalked, size_t(2 * DeepTreeRun::kDepth));
}

}  // namespace
}  // namespace scene_tree_merge_test
