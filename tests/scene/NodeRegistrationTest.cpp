// A node is a registered root exactly while it is enabled and has no
// parent; the host hears of every change and of nothing else.
#include "SceneNodeFixture.h"

namespace scene_test {
namespace {

class NodeRegistration : public SceneNodeTest {};

TEST_F(NodeRegistration, LifecycleCallsTheHostOnEveryChangeOnly) {
    InstallCountingHost();
    TestNode parent(&journal, "p");
    TestNode node(&journal, "n");
    parent.SetEnabled(1);
    Registrations().clear();

    const struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<Registration> calls;
        bool registered;
    } steps[] = {
        {"new node", [] {}, {}, false},
        {"enable", [&] { node.SetEnabled(1); }, {{'+', &node}}, true},
        {"enable again", [&] { node.SetEnabled(1); }, {}, true},
        {"plain link", [&] { parent.AttachChild(&node, nullptr, nullptr); }, {{'-', &node}}, false},
        {"enable with a parent", [&] { node.SetEnabled(1); }, {}, false},
        {"unlink", [&] { parent.DetachChild(&node); }, {{'+', &node}}, true},
        {"bone link", [&] { parent.AttachChild(&node, "hand", nullptr); }, {{'-', &node}}, false},
        {"unlink from the child's side", [&] { node.DetachChild(&parent); }, {{'+', &node}}, true},
        {"disable", [&] { node.SetEnabled(0); }, {{'-', &node}}, false},
        {"disable again", [&] { node.SetEnabled(0); }, {}, false},
        {"link while disabled", [&] { parent.AttachChild(&node, nullptr, nullptr); }, {}, false},
        {"unlink while disabled", [&] { parent.DetachChild(&node); }, {}, false},
        {"any non-zero byte enables", [&] { node.SetEnabled(7); }, {{'+', &node}}, true},
    };
    for (const Step& step : steps) {
        Registrations().clear();
        step.act();
        EXPECT_EQ(Registrations(), step.calls) << step.what;
        EXPECT_EQ(node.IsRegistered(), step.registered) << step.what;
        EXPECT_TRUE(parent.IsRegistered()) << step.what;
    }
}

// AttachTo gives the other node a parent; the node itself stays a root.
TEST_F(NodeRegistration, AttachToUnregistersTheOtherNode) {
    InstallCountingHost();
    TestNode rider(&journal, "n");
    TestNode mount(&journal, "p");
    rider.SetEnabled(1);
    mount.SetEnabled(1);
    Registrations().clear();
    ASSERT_TRUE(rider.AttachTo(&mount, nullptr));
    EXPECT_EQ(Registrations(), (std::vector<Registration>{{'-', &mount}}));
    EXPECT_TRUE(rider.IsRegistered());
    Registrations().clear();
    ASSERT_TRUE(rider.DetachChild(&mount));
    EXPECT_EQ(Registrations(), (std::vector<Registration>{{'+', &mount}}));
}

TEST_F(NodeRegistration, WithoutCallbacksOnlyTheByteChanges) {
    TestNode node(&journal, "n");
    node.SetEnabled(1);
    EXPECT_TRUE(node.IsRegistered());
    EXPECT_EQ(node.IsEnabled(), 1);
    // Callbacks set later hear only of later changes.
    InstallCountingHost();
    node.SetEnabled(1);
    EXPECT_TRUE(Registrations().empty());
    node.SetEnabled(0);
    EXPECT_EQ(Registrations(), (std::vector<Registration>{{'-', &node}}));
}

// The host receives the scene-node face of an effect node, the pointer it
// holds nodes by.
TEST_F(NodeRegistration, EffectNodesRegisterByTheirSceneNode) {
    InstallCountingHost();
    FakeEffectNode effect(&journal, 100);
    IK3DEffectNode* handle = &effect;
    handle->SetEnabled(1);
    IK3DSceneNode* node = &effect;
    EXPECT_EQ(Registrations(), (std::vector<Registration>{{'+', node}}));
    EXPECT_EQ(SceneNodeOfEffect(handle), static_cast<K3DSceneNode*>(&effect));
}

// Deleting a registered root takes it off the host's list; a node losing
// its parent that way becomes a root.
TEST_F(NodeRegistration, DeletingNodesKeepsTheHostListRight) {
    InstallCountingHost();
    auto* parent = new TestNode(&journal, "p");
    TestNode child(&journal, "c");
    parent->SetEnabled(1);
    child.SetEnabled(1);
    ASSERT_TRUE(parent->AttachChild(&child, nullptr, nullptr));
    Registrations().clear();
    IK3DSceneNode* gone = parent;
    delete parent;
    EXPECT_EQ(Registrations(), (std::vector<Registration>{{'-', gone}, {'+', &child}}));
    EXPECT_TRUE(child.IsRegistered());

    auto* disabledRoot = new TestNode(&journal, "d");
    Registrations().clear();
    delete disabledRoot;
    EXPECT_TRUE(Registrations().empty());
}

}  // namespace
}  // namespace scene_test
