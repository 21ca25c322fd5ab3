// AttachChild, AttachTo, DetachChild and Detach: what each links, what each
// refuses (leaving both nodes as they were), and that deleting a linked
// node leaves nothing pointing at it.
#include <memory>
#include <ostream>
#include <string>

#include "SceneNodeFixture.h"

namespace scene_test {
namespace {

// Everything the link operations may change on a node.
struct LinkState {
    K3DSceneNode::NodeSet plain;
    K3DSceneNode* parent;
    WORD flags;
    K3DSceneNode::NodeSet all;
    K3DSceneNode* owner;
    bool registered;
    bool operator==(const LinkState&) const = default;
};

std::string NameOf(const K3DSceneNode* node) {
    if (!node) return "-";
    const auto* test = dynamic_cast<const TestNode*>(node);
    return test ? test->Name() : "?";
}

std::string NamesOf(const K3DSceneNode::NodeSet& set) {
    std::string names = "{";
    for (const K3DSceneNode* node : set) names += NameOf(node);
    return names + "}";
}

void PrintTo(const LinkState& s, std::ostream* out) {
    *out << "plain " << NamesOf(s.plain) << " parent " << NameOf(s.parent) << " flags " << s.flags << " all "
         << NamesOf(s.all) << " owner " << NameOf(s.owner) << (s.registered ? " registered" : "");
}

LinkState StateOf(const K3DSceneNode& n) {
    return {n.PlainChildren(), n.Parent(), n.LinkFlags(), n.AllChildren(), n.Owner(), n.IsRegistered()};
}

class NodeLinks : public SceneNodeTest {
public:
    NodeLinks() {
        for (const char* name : {"a", "b", "c", "n", "x"}) {
            nodes.push_back(std::make_unique<TestNode>(&journal, name));
            nodes.back()->SetEnabled(1);
        }
    }
    std::vector<LinkState> States() const {
        std::vector<LinkState> states;
        for (const auto& node : nodes) states.push_back(StateOf(*node));
        return states;
    }
    TestNode& a() { return *nodes[0]; }
    TestNode& b() { return *nodes[1]; }
    TestNode& c() { return *nodes[2]; }
    TestNode& n() { return *nodes[3]; }
    TestNode& x() { return *nodes[4]; }

    std::vector<std::unique_ptr<TestNode>> nodes;
};

TEST_F(NodeLinks, RefusalsLeaveEveryNodeAsItWas) {
    const struct Case {
        const char* what;
        std::function<void(NodeLinks&)> arrange;
        std::function<bool(NodeLinks&)> link;
    } cases[] = {
        {"child null", [](NodeLinks&) {}, [](NodeLinks& t) { return t.n().AttachChild(nullptr, nullptr, nullptr); }},
        {"child has an owner", [](NodeLinks& t) { t.x().AttachChild(&t.c(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().AttachChild(&t.c(), nullptr, nullptr); }},
        {"same child twice", [](NodeLinks& t) { t.n().AttachChild(&t.c(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().AttachChild(&t.c(), nullptr, nullptr); }},
        {"bone-bound child on a bone", [](NodeLinks& t) { t.x().AttachChild(&t.c(), "hand", nullptr); },
         [](NodeLinks& t) { return t.n().AttachChild(&t.c(), "hand", nullptr); }},
        {"plain-bound child plainly", [](NodeLinks& t) { t.x().AttachTo(&t.c(), nullptr); },
         [](NodeLinks& t) { return t.n().AttachChild(&t.c(), nullptr, nullptr); }},
        // It already follows x; a bone link would leave it in x's plain set.
        {"child with a parent on a bone", [](NodeLinks& t) { t.x().AttachTo(&t.c(), nullptr); },
         [](NodeLinks& t) { return t.n().AttachChild(&t.c(), "hand", nullptr); }},
        {"child owns the node", [](NodeLinks& t) { t.c().AttachChild(&t.n(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().AttachChild(&t.c(), nullptr, nullptr); }},
        {"child is the node's owner by AttachTo", [](NodeLinks& t) { t.n().AttachTo(&t.c(), nullptr); },
         [](NodeLinks& t) { return t.n().AttachChild(&t.c(), nullptr, nullptr); }},
        {"child is the node itself", [](NodeLinks&) {},
         [](NodeLinks& t) { return t.n().AttachChild(&t.n(), nullptr, nullptr); }},
        {"a owns b, b owns c: c cannot own a",
         [](NodeLinks& t) {
             t.a().AttachChild(&t.b(), nullptr, nullptr);
             t.b().AttachChild(&t.c(), nullptr, nullptr);
         },
         [](NodeLinks& t) { return t.c().AttachChild(&t.a(), nullptr, nullptr); }},
        {"AttachTo null", [](NodeLinks&) {}, [](NodeLinks& t) { return t.n().AttachTo(nullptr, nullptr); }},
        {"AttachTo a node with a parent", [](NodeLinks& t) { t.x().AttachChild(&t.c(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().AttachTo(&t.c(), nullptr); }},
        {"AttachTo by a node with an owner", [](NodeLinks& t) { t.x().AttachChild(&t.n(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().AttachTo(&t.c(), nullptr); }},
        {"AttachTo on a bone by a bone-bound node", [](NodeLinks& t) { t.x().AttachChild(&t.n(), "hand", nullptr); },
         [](NodeLinks& t) { return t.n().AttachTo(&t.c(), "hand"); }},
        {"AttachTo its own child", [](NodeLinks& t) { t.n().AttachChild(&t.c(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().AttachTo(&t.c(), nullptr); }},
        {"AttachTo itself", [](NodeLinks&) {}, [](NodeLinks& t) { return t.n().AttachTo(&t.n(), nullptr); }},
        {"AttachTo itself on a bone", [](NodeLinks&) {}, [](NodeLinks& t) { return t.n().AttachTo(&t.n(), "hand"); }},
        {"a owns b, b owns c: a cannot ride on c",
         [](NodeLinks& t) {
             t.b().AttachTo(&t.a(), nullptr);
             t.c().AttachTo(&t.b(), nullptr);
         },
         [](NodeLinks& t) { return t.a().AttachTo(&t.c(), nullptr); }},
    };
    for (const Case& c : cases) {
        NodeLinks& t = *this;
        for (auto& node : nodes) node->Detach();
        c.arrange(t);
        const std::vector<LinkState> before = States();
        journal.clear();
        EXPECT_FALSE(c.link(t)) << c.what;
        EXPECT_EQ(States(), before) << c.what;
        EXPECT_TRUE(journal.empty()) << c.what;
    }
}

TEST_F(NodeLinks, PlainChildFollowsAndIsDriven) {
    ASSERT_TRUE(n().AttachChild(&c(), nullptr, nullptr));
    EXPECT_EQ(c().Parent(), &n());
    EXPECT_EQ(c().Owner(), &n());
    EXPECT_EQ(c().LinkFlags(), kNodePlainBound);
    EXPECT_EQ(n().PlainChildren(), K3DSceneNode::NodeSet{&c()});
    EXPECT_EQ(n().AllChildren(), K3DSceneNode::NodeSet{&c()});
    EXPECT_TRUE(journal.empty());
}

TEST_F(NodeLinks, BoneChildIsBoundAndUnbound) {
    InstallCountingHost();
    ASSERT_TRUE(n().AttachChild(&c(), "hand", "grip"));
    EXPECT_EQ(journal, Journal{"c BindTo n hand grip"});
    EXPECT_EQ(c().LinkFlags(), kNodeBoneBound);
    EXPECT_TRUE(n().PlainChildren().empty());
    EXPECT_EQ(n().AllChildren(), K3DSceneNode::NodeSet{&c()});
    EXPECT_EQ(Registrations(), (std::vector<Registration>{{'-', &c()}}));

    journal.clear();
    Registrations().clear();
    ASSERT_TRUE(n().DetachChild(&c()));
    EXPECT_EQ(journal, Journal{"c Unbind n"});
    EXPECT_EQ(StateOf(c()), (LinkState{{}, nullptr, 0, {}, nullptr, true}));
    EXPECT_TRUE(n().AllChildren().empty());
    EXPECT_EQ(Registrations(), (std::vector<Registration>{{'+', &c()}}));
}

// p follows n's position and drives n's update.
TEST_F(NodeLinks, AttachToMakesTheOtherNodeFollowAndDrive) {
    TestNode& p = x();
    ASSERT_TRUE(n().AttachTo(&p, nullptr));
    EXPECT_EQ(p.Parent(), &n());
    EXPECT_EQ(p.LinkFlags(), kNodePlainBound);
    EXPECT_EQ(n().Owner(), &p);
    EXPECT_EQ(n().PlainChildren(), K3DSceneNode::NodeSet{&p});
    EXPECT_EQ(p.AllChildren(), K3DSceneNode::NodeSet{&n()});

    journal.clear();
    EXPECT_TRUE(n().UpdateTree(4));
    EXPECT_EQ(journal, (Journal{"x Update", "n Update"}));
}

TEST_F(NodeLinks, AttachToOnABoneBindsTheNodeItself) {
    TestNode& p = x();
    ASSERT_TRUE(n().AttachTo(&p, "hand"));
    EXPECT_EQ(journal, Journal{"n BindTo x hand null"});
    EXPECT_EQ(n().LinkFlags(), kNodeBoneBound);
    EXPECT_EQ(p.LinkFlags(), kNodePlainBound);
    EXPECT_EQ(p.Parent(), &n());
    EXPECT_TRUE(n().PlainChildren().empty());

    journal.clear();
    ASSERT_TRUE(p.DetachChild(&n()));
    EXPECT_EQ(journal, Journal{"n Unbind x"});
    EXPECT_EQ(StateOf(n()), StateOf(a()));
    EXPECT_EQ(StateOf(p), StateOf(a()));
}

TEST_F(NodeLinks, DetachChildCases) {
    const LinkState loose = StateOf(a());
    const struct Case {
        const char* what;
        std::function<void(NodeLinks&)> arrange;
        std::function<bool(NodeLinks&)> detach;
        bool result;
    } cases[] = {
        {"null detaches everything", [](NodeLinks& t) { t.x().AttachChild(&t.n(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().DetachChild(nullptr); }, true},
        {"from the owner", [](NodeLinks& t) { t.x().AttachChild(&t.n(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().DetachChild(&t.x()); }, true},
        {"a driven node", [](NodeLinks& t) { t.n().AttachChild(&t.x(), nullptr, nullptr); },
         [](NodeLinks& t) { return t.n().DetachChild(&t.x()); }, true},
        {"the node riding on it", [](NodeLinks& t) { t.n().AttachTo(&t.x(), nullptr); },
         [](NodeLinks& t) { return t.x().DetachChild(&t.n()); }, true},
        {"an unrelated node", [](NodeLinks&) {}, [](NodeLinks& t) { return t.n().DetachChild(&t.x()); }, false},
    };
    for (const Case& c : cases) {
        for (auto& node : nodes) node->Detach();
        c.arrange(*this);
        EXPECT_EQ(c.detach(*this), c.result) << c.what;
        EXPECT_EQ(StateOf(n()), loose) << c.what;
        EXPECT_EQ(StateOf(x()), loose) << c.what;
    }
}

TEST_F(NodeLinks, DetachCutsParentOwnerAndChildren) {
    InstallCountingHost();
    ASSERT_TRUE(x().AttachChild(&n(), nullptr, nullptr));
    ASSERT_TRUE(n().AttachChild(&a(), nullptr, nullptr));
    ASSERT_TRUE(n().AttachChild(&b(), "hand", nullptr));
    journal.clear();
    Registrations().clear();
    n().Detach();
    for (const auto& node : nodes) EXPECT_EQ(StateOf(*node), StateOf(x())) << node->Name();
    EXPECT_EQ(journal, Journal{"b Unbind n"});
    // Every enabled node is a root again; x never stopped being one.
    EXPECT_EQ(Registrations().size(), 3u);
    for (const auto& node : nodes) EXPECT_TRUE(node->IsRegistered()) << node->Name();
}

// Links in both directions and a bone-bound child: deleting the middle node
// of a chain leaves no pointer to it behind (ASan sees any use after).
TEST_F(NodeLinks, DeletedNodeLeavesNothingDangling) {
    auto middle = std::make_unique<TestNode>(&journal, "m");
    middle->SetEnabled(1);
    ASSERT_TRUE(a().AttachChild(middle.get(), nullptr, nullptr));
    ASSERT_TRUE(middle->AttachChild(&b(), "hand", nullptr));
    ASSERT_TRUE(middle->AttachChild(&c(), nullptr, nullptr));
    journal.clear();
    middle.reset();
    EXPECT_EQ(journal, Journal{"b Unbind node"});  // the dying node no longer names itself
    for (const auto& node : nodes) EXPECT_EQ(StateOf(*node), StateOf(x())) << node->Name();
    for (const auto& node : nodes) EXPECT_TRUE(node->UpdateTree(1));
}

TEST_F(NodeLinks, DeletedRiderLeavesItsMountFree) {
    auto rider = std::make_unique<TestNode>(&journal, "r");
    ASSERT_TRUE(rider->AttachTo(&a(), nullptr));
    ASSERT_TRUE(a().AttachChild(&b(), nullptr, nullptr));
    rider.reset();
    EXPECT_EQ(a().Parent(), nullptr);
    EXPECT_EQ(a().LinkFlags(), 0);
    EXPECT_EQ(a().AllChildren(), K3DSceneNode::NodeSet{&b()});
    EXPECT_TRUE(a().IsRegistered());
    float x = 1, y = 1, z = 1;
    a().GetPosition(&x, &y, &z, 0, 0);
    EXPECT_EQ(x, 0.0f);
}

// A node whose scene part is not this module's cannot be linked.
TEST_F(NodeLinks, ForeignNodesAreRefused) {
    struct Foreign : IK3DSceneNode {
        void Detach() override {}
        void SetPosition(float, float, float, DWORD) override {}
        bool AttachChild(IK3DSceneNode*, const char*, const char*) override { return false; }
        bool AttachTo(IK3DSceneNode*, const char*) override { return false; }
        bool DetachChild(IK3DSceneNode*) override { return false; }
        void SetEnabled(BYTE) override {}
        BYTE IsEnabled() override { return 0; }
        bool UpdateTree(DWORD) override { return false; }
        void GetPosition(float*, float*, float*, BYTE, int) override {}
        bool BindTo(IK3DSceneNode*, const char*, const char*) override { return false; }
        bool Unbind(IK3DSceneNode*) override { return false; }
        DWORD GetTimeStamp() override { return 0; }
        bool Update() override { return false; }
        void SetMotionMode(BYTE, const BYTE*) override {}
        IK3DEffectNode* GetEffectNode() override { return nullptr; }
        void SetEffectNode(IK3DEffectNode*) override {}
        void SetAttachedModel(KModelProxy*) override {}
    } foreign;
    const std::vector<LinkState> before = States();
    EXPECT_FALSE(n().AttachChild(&foreign, nullptr, nullptr));
    EXPECT_FALSE(n().AttachTo(&foreign, nullptr));
    EXPECT_FALSE(n().DetachChild(&foreign));
    EXPECT_EQ(States(), before);
}

}  // namespace
}  // namespace scene_test
