// The shell's effect node and effect instance slots: what they make, the
// sets they share through the cache, the live-node count, nodes released
// as another node's attachment, and nodes drawn through node records.
#include <gtest/gtest.h>

#include "lumiva/PrimitiveRecords.h"
#include "effects/EffectNodeFixture.h"
#include "effects/K3DEffectSetCache.h"
#include "shell/ShellGlobals.h"

namespace effect_node_test {
namespace {

class EffectNodeSlotsTest : public EffectNodeTest {
protected:
    void SetUp() override {
        EffectNodeTest::SetUp();
        WriteEffect("fx/a.a3e", OneElement(2, 4, 4));
    }
    IK3DEffectNode* Create(const char* name = "fx\\a.a3e") { return m_shell->CreateEffectNode(name, 77); }
    static K3DEffectSet* SetOf(IK3DEffectNode* node) {
        return dynamic_cast<K3DEffectNode*>(SceneNodeOfEffect(node))->Set();
    }
};

TEST_F(EffectNodeSlotsTest, NodesOnOneFileShareItsSetUntilTheLastIsReleased) {
    IK3DEffectNode* first = Create();
    IK3DEffectNode* second = Create();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    K3DEffectSet* set = SetOf(first);
    EXPECT_EQ(SetOf(second), set);
    EXPECT_EQ(set->UserCount(), 2);
    EXPECT_EQ(EffectSetCache().Size(), 1u);
    EXPECT_EQ(g_LiveEffectNodes, 2);
    m_shell->ReleaseEffectNode(first);
    EXPECT_EQ(set->UserCount(), 1);
    EXPECT_EQ(EffectSetCache().Size(), 1u);
    EXPECT_EQ(g_LiveEffectNodes, 1);
    m_shell->ReleaseEffectNode(second);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    EXPECT_EQ(g_LiveEffectNodes, 0);
}

TEST_F(EffectNodeSlotsTest, NamesThatGiveNoSetGiveNoNode) {
    for (const char* name : {static_cast<const char*>(nullptr), "", "fx\\missing.a3e", "FX\\A.A3E "}) {
        EXPECT_EQ(Create(name), nullptr) << (name ? name : "null");
    }
    EXPECT_EQ(g_LiveEffectNodes, 0);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    m_shell->ReleaseEffectNode(nullptr);
    EXPECT_EQ(g_LiveEffectNodes, 0);
}

TEST_F(EffectNodeSlotsTest, ANodeHeldAsAnAttachmentIsReleasedWhenReplacedOrWithItsHolder) {
    IK3DEffectNode* holder = Create();
    IK3DEffectNode* first = Create();
    IK3DEffectNode* second = Create();
    K3DEffectSet* set = SetOf(holder);
    K3DSceneNode* holderNode = SceneNodeOfEffect(holder);
    holderNode->SetEffectNode(first);
    EXPECT_EQ(holderNode->GetEffectNode(), first);
    holderNode->SetEffectNode(second);
    EXPECT_EQ(g_LiveEffectNodes, 2) << "the first went back through the shell";
    EXPECT_EQ(set->UserCount(), 2);
    m_shell->ReleaseEffectNode(holder);
    EXPECT_EQ(g_LiveEffectNodes, 0);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
}

TEST_F(EffectNodeSlotsTest, AnAttachedEffectIsPlacedAndDrawnByItsHoldersWalk) {
    IK3DEffectNode* holder = Create();
    IK3DEffectNode* attached = Create();
    K3DSceneNode* holderNode = SceneNodeOfEffect(holder);
    holder->SetPosition(3, 4, 5, 0);
    holderNode->SetEffectNode(attached);
    Record();
    EXPECT_TRUE(holderNode->UpdateTree(0));
    EXPECT_EQ(Draws().size(), 2u) << "the holder, then its attachment";
    float x = 0, y = 0, z = 0;
    SceneNodeOfEffect(attached)->GetPosition(&x, &y, &z, 0, 1);
    EXPECT_EQ(D3DXVECTOR3(x, y, z), D3DXVECTOR3(3, 4, 5));
    m_shell->ReleaseEffectNode(holder);
    EXPECT_EQ(g_LiveEffectNodes, 0);
}

TEST_F(EffectNodeSlotsTest, AnEnabledNodeLeavesTheHostsListWhenReleased) {
    static std::vector<IK3DSceneNode*> registered;
    registered.clear();
    g_SetRegisterNodeFn([](IK3DSceneNode* node) {
        registered.push_back(node);
        return true;
    });
    g_SetUnregisterNodeFn([](IK3DSceneNode* node) {
        std::erase(registered, node);
        return true;
    });
    IK3DEffectNode* node = Create();
    node->SetEnabled(1);
    EXPECT_EQ(registered.size(), 1u);
    m_shell->ReleaseEffectNode(node);
    EXPECT_TRUE(registered.empty());
    g_SetRegisterNodeFn(nullptr);
    g_SetUnregisterNodeFn(nullptr);
}

TEST_F(EffectNodeSlotsTest, NodeRecordsDrawTheirNodesWithCullingOff) {
    IK3DEffectNode* node = Create();
    KPrimNode records[2] = {};
    records[1].node = node;
    Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    Record();
    m_shell->DrawPrimitives(2, records, PRIM_EFFECT_NODES, 1, 0, -1, -1.0f);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].state->RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    // Once over, the record draws nothing.
    lumiva::win32::AdvanceClock(1001);
    Record();
    m_shell->DrawPrimitives(2, records, PRIM_EFFECT_NODES, 1, 0, -1, -1.0f);
    EXPECT_TRUE(Draws().empty());
    m_shell->ReleaseEffectNode(node);
}

TEST_F(EffectNodeSlotsTest, InstancesHoldTheSetBesideNodes) {
    K3DEffectInstance* instance = m_shell->CreateEffectInstance("fx\\a.a3e");
    IK3DEffectNode* node = Create();
    ASSERT_TRUE(instance && node);
    K3DEffectSet* set = instance->GetEffectSet();
    EXPECT_EQ(SetOf(node), set);
    EXPECT_EQ(instance->GetEvaluator(), static_cast<I3DEffectEvaluator*>(set));
    EXPECT_EQ(set->UserCount(), 2);
    m_shell->ReleaseEffectInstance(instance);
    EXPECT_EQ(set->UserCount(), 1);
    m_shell->ReleaseEffectNode(node);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    EXPECT_EQ(m_shell->CreateEffectInstance("fx\\missing.a3e"), nullptr);
    m_shell->ReleaseEffectInstance(nullptr);
}

TEST_F(EffectNodeSlotsTest, AnInstanceWithoutANameGetsAnEmptySetOfItsOwn) {
    K3DEffectInstance* first = m_shell->CreateEffectInstance(nullptr);
    K3DEffectInstance* second = m_shell->CreateEffectInstance("");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->GetEffectSet(), second->GetEffectSet());
    EXPECT_EQ(first->GetEffectSet()->ElementCount(), 0);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    // An editor fills it and draws it; the set goes with the instance.
    first->GetEffectSet()->AddElement(nullptr, nullptr, 2);
    Record();
    first->Render(0, kEffectRenderTextured);
    EXPECT_EQ(Draws().size(), 1u);
    EXPECT_EQ(first->PickByRay(0, 0, 1, 1, 0, 2, 2), -1);
    m_shell->ReleaseEffectInstance(first);
    m_shell->ReleaseEffectInstance(second);
}

}  // namespace
}  // namespace effect_node_test
