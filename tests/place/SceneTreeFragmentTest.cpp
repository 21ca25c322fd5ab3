#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneTreeFixture.h"

namespace scene_tree_fragment_test {
namespace {

using place_test::TreeScene;
using Names = std::vector<std::string>;

constexpr KIntPoint P(int32_t x, int32_t y) { return KIntPoint{x, y}; }

Names Fragments(const TreeScene& scene, const KTreeNode* node) {
    Names names;
    for (int32_t i = 0; node && i < node->FragmentCount(); ++i) names.push_back(scene.NameOf(node->FragmentAt(i)));
    return names;
}

TEST(SceneTreeFragmentTest, EqualKeysJoinOneNodeAndWidenItsSplitter) {
    TreeScene scene;
    scene.tree.InsertRegionFragment(scene.Line("w1", P(0, 100), P(100, 100), 1.0f, 5.0f));
    // Far below and across the splitter: joined on the key alone.
    scene.tree.InsertRegionFragment(scene.Line("w2", P(500, 900), P(600, 910), 1.0f, 5.0f));
    scene.tree.InsertRegionFragment(scene.Line("w3", P(-50, -700), P(-10, 90), 1.0f, 5.0f));
    scene.tree.InsertRegionFragment(scene.Line("other key", P(40, -700), P(60, -600), 1.0f, 6.0f));
    const KTreeNode* root = scene.tree.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Fragments(scene, root), (Names{"w1", "w2", "w3"}));
    EXPECT_EQ(root->splitterA, P(-50, -700));
    EXPECT_EQ(root->splitterB, P(600, 910));
    EXPECT_EQ(Fragments(scene, root->ChildNode(0)), (Names{"other key"}));
    EXPECT_EQ(root->ChildNode(0)->parent, root);
    EXPECT_EQ(root->childMask, 1u);
}

TEST(SceneTreeFragmentTest, NaNKeysNeverJoin) {
    TreeScene scene;
    const float nan = __builtin_nanf("");
    scene.tree.InsertRegionFragment(scene.Line("w1", P(0, 0), P(100, 0), nan));
    scene.tree.InsertRegionFragment(scene.Line("w2", P(0, 50), P(100, 50), nan));
    EXPECT_EQ(Fragments(scene, scene.tree.Root()), (Names{"w1"}));
    EXPECT_EQ(Fragments(scene, scene.tree.Root()->ChildNode(1)), (Names{"w2"}));
}

TEST(SceneTreeFragmentTest, CrossingFragmentIsCutIntoAnOwnedFarPart) {
    TreeScene scene;
    scene.tree.InsertRegionFragment(scene.Line("splitter", P(0, 0), P(200, 0), 1.0f));
    KTreePoint* crossing = scene.Line("crossing", P(50, -100), P(150, 100), 2.0f, 3.0f);
    crossing->wordA = 1234;
    crossing->piece.cacheHint = 77;
    scene.tree.InsertRegionFragment(crossing);

    const KTreeNode* root = scene.tree.Root();
    ASSERT_EQ(root->childMask, 3u);
    // The near part keeps the fragment, ending at the crossing (100, 0).
    ASSERT_EQ(root->ChildNode(0)->firstFragment, crossing);
    EXPECT_EQ(crossing->EndPoint(), P(100, 0));
    EXPECT_EQ(crossing->piece.split, 1);
    EXPECT_EQ(crossing->piece.owned, 0);

    const KScenePoint* farPart = root->ChildNode(1)->firstFragment;
    ASSERT_NE(farPart, crossing);
    EXPECT_EQ(scene.NameOf(farPart), "crossing'");
    EXPECT_EQ(const_cast<KScenePoint*>(farPart)->Position(), P(100, 0));
    EXPECT_EQ(farPart->EndPoint(), P(150, 100));
    EXPECT_EQ(farPart->key.a, 2.0f);
    EXPECT_EQ(farPart->key.b, 3.0f);
    EXPECT_EQ(farPart->record, crossing->record);
    EXPECT_EQ(farPart->wordA, 1234u);
    EXPECT_EQ(farPart->piece.cacheHint, 77);
    EXPECT_EQ(farPart->piece.owned, 1);
    EXPECT_EQ(farPart->piece.split, 1);
    EXPECT_EQ(farPart->next, nullptr);
    // The child nodes take their splitters from the parts.
    EXPECT_EQ(root->ChildNode(1)->splitterA, P(100, 0));
    EXPECT_EQ(root->ChildNode(1)->splitterB, P(150, 100));
}

TEST(SceneTreeFragmentTest, PartsGoToTheSideTheirStartLiesOn) {
    TreeScene scene;
    scene.tree.InsertRegionFragment(scene.Line("splitter", P(0, 0), P(200, 0), 1.0f));
    // Starting below: the near part goes to side 1, the far part above.
    scene.tree.InsertRegionFragment(scene.Line("up", P(20, 100), P(120, -100), 2.0f));
    const KTreeNode* root = scene.tree.Root();
    EXPECT_EQ(Fragments(scene, root->ChildNode(1)), (Names{"up"}));
    EXPECT_EQ(Fragments(scene, root->ChildNode(0)), (Names{"up'"}));
    EXPECT_EQ(root->ChildNode(1)->firstFragment->EndPoint(), P(70, 0));
}

TEST(SceneTreeFragmentTest, CrossingWithoutWidthStaysWhole) {
    TreeScene scene;
    scene.tree.InsertRegionFragment(scene.Line("splitter", P(0, 0), P(200, 0), 1.0f));
    // A vertical fragment is cut at its own end x: nothing to cut off, so
    // it goes whole to the side of its start.
    KTreePoint* vertical = scene.Line("vertical", P(30, -50), P(30, 50), 2.0f);
    scene.tree.InsertRegionFragment(vertical);
    // Cut at (30, 0): the near part has no width left and is not drawn; the
    // far part is.
    scene.tree.InsertRegionFragment(scene.Line("steep", P(130, -50), P(131, 50), 3.0f));

    const KTreeNode* root = scene.tree.Root();
    EXPECT_EQ(Fragments(scene, root->ChildNode(0)), (Names{"vertical"}));
    EXPECT_EQ(vertical->EndPoint(), P(30, 50));
    EXPECT_EQ(vertical->piece.split, 0);
    EXPECT_EQ(Fragments(scene, root->ChildNode(1)), (Names{"steep'"}));
    EXPECT_EQ(scene.Walk(), (Names{"vertical", "splitter", "steep'"}));
}

TEST(SceneTreeFragmentTest, FragmentsDescendToTheirLeafNode) {
    TreeScene scene;
    scene.tree.InsertRegionFragment(scene.Line("root", P(0, 0), P(100, 0), 1.0f));
    scene.tree.InsertRegionFragment(scene.Line("above", P(0, -100), P(100, -100), 2.0f));
    scene.tree.InsertRegionFragment(scene.Line("below", P(0, 100), P(100, 100), 3.0f));
    scene.tree.InsertRegionFragment(scene.Line("far above", P(0, -200), P(100, -200), 4.0f));
    scene.tree.InsertRegionFragment(scene.Line("between", P(0, -50), P(100, -50), 5.0f));
    scene.tree.InsertRegionFragment(scene.Line("on above's line", P(300, -100), P(400, -100), 6.0f));
    EXPECT_EQ(scene.Walk(),
              (Names{"far above", "above", "on above's line", "between", "root", "below"}));
    const KTreeNode* above = scene.tree.Root()->ChildNode(0);
    EXPECT_EQ(above->splitterB, P(400, -100));  // a collinear fragment widens the splitter too
}

TEST(SceneTreeFragmentTest, ManyFragmentsOnOneLineGrowTheArray) {
    TreeScene scene;
    for (int i = 0; i < 20; ++i) {
        scene.tree.InsertRegionFragment(scene.Line("w" + std::to_string(i), P(i * 10, 0), P(i * 10 + 5, 0), 1.0f));
    }
    const KTreeNode* root = scene.tree.Root();
    EXPECT_EQ(root->FragmentCount(), 20);
    EXPECT_EQ(root->fragmentCapacity, 24);
    EXPECT_EQ(scene.NameOf(root->FragmentAt(19)), "w19");
    EXPECT_EQ(root->splitterB, P(195, 0));
}

}  // namespace
}  // namespace scene_tree_fragment_test
