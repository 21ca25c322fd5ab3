// The per-frame walk: where it starts, what it visits, what it returns, and
// the update of the effect node and model a node carries.
#include "SceneNodeFixture.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace scene_test {
namespace {

class NodeUpdateWalk : public SceneNodeTest {};

TEST_F(NodeUpdateWalk, NodeWithAParentReturnsFalseAndCallsNothing) {
    TestNode parent(&journal, "p");
    TestNode child(&journal, "c");
    FakeEffectNode effect(&journal, 100);
    ASSERT_TRUE(parent.AttachChild(&child, nullptr, nullptr));
    child.SetEffectNode(&effect);
    journal.clear();
    EXPECT_FALSE(child.UpdateTree(9));
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(child.UpdateArgument(), 0u);
    child.SetEffectNode(nullptr);
}

// Children are visited in address order; a failed Update skips the node's
// subtree and fails its parent, whose other children still run.
TEST_F(NodeUpdateWalk, VisitsInSetOrderAndStoresTheArgument) {
    TestNode root(&journal, "r");
    TestNode kids[3] = {{&journal, "k0"}, {&journal, "k1"}, {&journal, "k2"}};
    TestNode grandchild(&journal, "g");
    for (TestNode& kid : kids) ASSERT_TRUE(root.AttachChild(&kid, nullptr, nullptr));
    ASSERT_TRUE(kids[1].AttachChild(&grandchild, nullptr, nullptr));

    EXPECT_TRUE(root.UpdateTree(3));
    EXPECT_EQ(journal, (Journal{"r Update", "k0 Update", "k1 Update", "g Update", "k2 Update"}));
    for (const K3DSceneNode* node : {&root, &kids[0], &kids[1], &kids[2], &grandchild})
        EXPECT_EQ(node->UpdateArgument(), 3u);

    kids[1].updateResult = false;
    journal.clear();
    EXPECT_FALSE(root.UpdateTree(4));
    EXPECT_EQ(journal, (Journal{"r Update", "k0 Update", "k1 Update", "k2 Update"}));
    EXPECT_EQ(kids[1].UpdateArgument(), 4u);
    EXPECT_EQ(grandchild.UpdateArgument(), 3u);

    root.updateResult = false;
    journal.clear();
    EXPECT_FALSE(root.UpdateTree(5));
    EXPECT_EQ(journal, Journal{"r Update"});
}

// Asked of a driven node without a parent, the walk runs from the top of its
// owners, skipping the parent test on the way up.
TEST_F(NodeUpdateWalk, StartsAtTheTopOfTheOwners) {
    TestNode top(&journal, "t");
    TestNode middle(&journal, "m");
    TestNode rider(&journal, "r");
    ASSERT_TRUE(middle.AttachTo(&top, nullptr));  // top drives middle
    ASSERT_TRUE(rider.AttachTo(&middle, nullptr));  // middle drives rider
    EXPECT_TRUE(rider.UpdateTree(8));
    EXPECT_EQ(journal, (Journal{"t Update", "m Update", "r Update"}));
    EXPECT_EQ(rider.UpdateArgument(), 8u);
}

// An arc move holds the attachments back until it has landed.
TEST_F(NodeUpdateWalk, AttachmentsWaitForTheNextAttachmentTime) {
    lumiva::win32::InstallScriptedRandom({0});
    TestNode node(&journal, "v");
    FakeEffectNode effect(&journal, 300);
    node.SetEffectNode(&effect);
    const BYTE arc[3] = {3, 5, 60};
    node.SetMotionMode(0, arc);
    g_FrameTime = 1000;
    node.SetPosition(0, 0, 0, 600);
    ASSERT_EQ(node.NextAttachmentTime(), 1600u);

    g_FrameTime = 1599;
    journal.clear();
    EXPECT_TRUE(node.UpdateTree(0));
    EXPECT_EQ(journal, Journal{"v Update"});

    g_FrameTime = 1600;
    journal.clear();
    EXPECT_TRUE(node.UpdateTree(0));
    EXPECT_EQ(journal, (Journal{"v Update", "effect SetPosition 0 0 0 0", "effect GetDuration", "effect Update"}));
    node.SetEffectNode(nullptr);
}

// Once the move has ended the effect restarts at the time since the move
// ended, modulo its length.
TEST_F(NodeUpdateWalk, EffectLoopsAfterTheMoveEnd) {
    TestNode node(&journal, "v");
    FakeEffectNode effect(&journal, 300);
    g_FrameTime = 1000;
    node.SetPosition(0, 0, 0, 500);  // a straight move: ends at 1500
    node.SetEffectNode(&effect);
    const struct {
        DWORD frame;
        int offset;  // -1: none set
    } cases[] = {{1799, -1}, {1800, 0}, {2250, 150}, {1500 + 300 * 1000 + 7, 7}};
    for (const auto& c : cases) {
        g_FrameTime = c.frame;
        journal.clear();
        node.UpdateTree(0);
        Journal expected{"v Update", "effect SetPosition 0 0 0 0", "effect GetDuration"};
        if (c.offset >= 0) expected.push_back("effect SetStartOffset " + std::to_string(c.offset));
        expected.push_back("effect Update");
        EXPECT_EQ(journal, expected) << c.frame;
    }
    node.SetEffectNode(nullptr);
}

// A node "v" at (x, y, z) carrying an effect node of the given length and
// a model handle whose calls the seam double notes.
struct Carrier {
    Carrier(Journal* journal, DWORD effectLength, const D3DXVECTOR3& at, KModelProxy* handle)
        : model(journal), effect(journal, effectLength), node(journal, "v", at.x, at.y, at.z) {
        attached_model::SetDoubleForTests(&model);
        node.SetEffectNode(&effect);
        node.SetAttachedModel(handle);
    }
    FakeModelSeam model;
    FakeEffectNode effect;
    TestNode node;
};

TEST_F(NodeUpdateWalk, EffectWithoutLengthIsPlacedOnly) {
    Carrier carrier(&journal, 0, {1, 2, 3}, FakeHandle(0));
    g_FrameTime = 5000;
    EXPECT_TRUE(carrier.node.UpdateTree(0));
    EXPECT_EQ(journal, (Journal{"v Update", "effect SetPosition 1 2 3 0", "effect GetDuration"}));
}

TEST_F(NodeUpdateWalk, AttachedModelStandsAtTheNodeUpright) {
    Carrier carrier(&journal, 300, {10, 20, 30}, FakeHandle(1));
    TestNode& node = carrier.node;
    const FakeModelSeam& model = carrier.model;
    g_FrameTime = 100;
    EXPECT_TRUE(node.UpdateTree(6));
    EXPECT_EQ(journal, (Journal{"v Update", "effect SetPosition 10 20 30 0", "effect GetDuration", "effect Update",
                                "model SetShapeFlag 1", "model SetPosition 10 20 30 0", "model SetScale 8 8 8",
                                "model SetHeading", "model UpdateTree 0"}));
    EXPECT_EQ(model.model, FakeHandle(1));
    EXPECT_EQ(model.heading[0], -4.1415930f);
    EXPECT_EQ(model.heading[1], 3.1415927f);
    EXPECT_EQ(model.heading[2], 0.0f);
    EXPECT_EQ(model.headingDuration, 0u);
    EXPECT_EQ(model.headingShortest, 1);

    // Without an effect node the model still follows.
    node.SetEffectNode(nullptr);
    journal.clear();
    node.UpdateTree(6);
    EXPECT_EQ(journal.size(), 6u);
    EXPECT_EQ(journal[1], "model SetShapeFlag 1");
}

// The attachments follow the children's walk and are skipped when the
// node's own Update fails.
TEST_F(NodeUpdateWalk, AttachmentsRunAfterTheChildrenAndOnlyWhenUpdated) {
    TestNode node(&journal, "v");
    TestNode child(&journal, "c");
    FakeEffectNode effect(&journal, 300);
    ASSERT_TRUE(node.AttachChild(&child, nullptr, nullptr));
    node.SetEffectNode(&effect);
    child.updateResult = false;
    EXPECT_FALSE(node.UpdateTree(0));
    EXPECT_EQ(journal, (Journal{"v Update", "c Update", "effect SetPosition 0 0 0 0", "effect GetDuration",
                                "effect Update"}));
    node.updateResult = false;
    journal.clear();
    node.UpdateTree(0);
    EXPECT_EQ(journal, Journal{"v Update"});
    node.SetEffectNode(nullptr);
}

// Setting the held attachment again keeps it; a node cannot carry itself.
TEST_F(NodeUpdateWalk, AttachmentSetters) {
    TestNode node(&journal, "v");
    FakeEffectNode effect(&journal, 300);
    FakeEffectNode other(&journal, 300);
    node.SetEffectNode(&effect);
    node.SetEffectNode(&effect);
    EXPECT_EQ(node.GetEffectNode(), &effect);
    node.SetEffectNode(&other);
    EXPECT_EQ(node.GetEffectNode(), &other);
    other.SetEffectNode(&other);
    EXPECT_EQ(other.GetEffectNode(), nullptr);
    node.SetAttachedModel(FakeHandle(2));
    node.SetAttachedModel(FakeHandle(2));
    EXPECT_EQ(node.AttachedModel(), FakeHandle(2));
    node.SetAttachedModel(nullptr);
    EXPECT_EQ(node.AttachedModel(), nullptr);
    node.SetEffectNode(nullptr);
    EXPECT_EQ(node.GetEffectNode(), nullptr);
}

}  // namespace
}  // namespace scene_test
