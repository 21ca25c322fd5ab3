// Effect handles a host gives back twice, or hands in after giving them
// back: the shell refuses each one it no longer holds, logs it and reads
// nothing of it; and beam files whose shake is no number.
#include <cmath>

#include "A3eWriter.h"
#include "effects/BeamFixture.h"
#include "effects/KChannelMagic.h"
#include "effects/KLightningSet.h"
#include "effects/KParticleSystem.h"
#include "lumiva/IK3DEffectNode.h"
#include "lumiva/PrimitiveRecords.h"
#include "scene/K3DSceneNode.h"
#include "shell/KDrawShell.h"
#include "win32/Control.h"

namespace beam_test {
namespace {

class ReleasedHandles : public BeamTest {
protected:
    void SetUp() override {
        BeamTest::SetUp();
        WriteModuleFile("fx\\glow.a3e", a3e::WriteA3e(a3e::File{}));
        WriteLightning("fx\\a.ini", beamini::Lightning{});
        beamini::LightningSet set;
        set.files = {"fx\\a.ini"};
        WriteModuleFile("fx\\set.ini", beamini::WriteLightningSet(set));
        TakeLog();
    }
    // One log line naming the slot since the last call.
    void ExpectOneRefusal(const std::string& slot) {
        int lines = 0;
        for (const std::string& line : TakeLog())
            if (line.find(slot) != std::string::npos) ++lines;
        EXPECT_EQ(lines, 1) << slot;
    }
};

// Each second release would have deleted freed memory again.
TEST_F(ReleasedHandles, ASecondReleaseOfEachKindIsRefusedAndLogged) {
    IK3DEffectNode* node = m_shell->CreateEffectNode("fx\\glow.a3e", 0);
    K3DEffectInstance* instance = m_shell->CreateEffectInstance("fx\\glow.a3e");
    KLightningSet* set = m_shell->CreateLightningSet("fx\\set.ini");
    KChannelMagic* beam = m_shell->CreateChannelMagic();
    KParticleSystem* particles = m_shell->CreateParticleSystem(0);
    ASSERT_TRUE(node && instance && set && beam && particles);
    KParticleSystem* secondHolder = particles;

    m_shell->ReleaseEffectNode(node);
    m_shell->ReleaseEffectInstance(instance);
    m_shell->ReleaseLightningSet(set);
    m_shell->ReleaseChannelMagic(beam);
    m_shell->ReleaseParticleSystem(&particles);
    EXPECT_EQ(particles, nullptr);
    EXPECT_TRUE(TakeLog().empty());

    m_shell->ReleaseEffectNode(node);
    ExpectOneRefusal("ReleaseEffectNode");
    m_shell->ReleaseEffectInstance(instance);
    ExpectOneRefusal("ReleaseEffectInstance");
    m_shell->ReleaseLightningSet(set);
    ExpectOneRefusal("ReleaseLightningSet");
    m_shell->ReleaseChannelMagic(beam);
    ExpectOneRefusal("ReleaseChannelMagic");
    m_shell->ReleaseParticleSystem(&secondHolder);
    ExpectOneRefusal("ReleaseParticleSystem");

    // Null stays quietly ignored.
    m_shell->ReleaseEffectNode(nullptr);
    m_shell->ReleaseEffectInstance(nullptr);
    m_shell->ReleaseLightningSet(nullptr);
    m_shell->ReleaseChannelMagic(nullptr);
    m_shell->ReleaseParticleSystem(&particles);
    EXPECT_TRUE(TakeLog().empty());
}

// Records naming released effect nodes and lightning sets draw nothing.
TEST_F(ReleasedHandles, RecordsOfReleasedEffectsDrawNothing) {
    IK3DEffectNode* node = m_shell->CreateEffectNode("fx\\glow.a3e", 0);
    KLightningSet* set = m_shell->CreateLightningSet("fx\\set.ini");
    ASSERT_TRUE(node && set);
    m_shell->ReleaseEffectNode(node);
    m_shell->ReleaseLightningSet(set);
    BeginDraw();
    Record();
    KPrimNode nodeRecord{};
    nodeRecord.node = node;
    m_shell->DrawPrimitives(1, &nodeRecord, PRIM_EFFECT_NODES, 0, 0, -1, -1.0f);
    KPrimEffect setRecord{};
    setRecord.effect = set;
    m_shell->DrawPrimitives(1, &setRecord, PRIM_LIGHTNING_SETS, 0, 0, -1, -1.0f);
    EXPECT_TRUE(Calls("DrawPrimitiveUP").empty());

    // Nor is a released node hung on another as its attachment.
    IK3DEffectNode* holder = m_shell->CreateEffectNode("fx\\glow.a3e", 0);
    ASSERT_NE(holder, nullptr);
    K3DSceneNode* holderNode = SceneNodeOfEffect(holder);
    ASSERT_NE(holderNode, nullptr);
    holderNode->SetEffectNode(node);
    EXPECT_EQ(holderNode->GetEffectNode(), nullptr);
    m_shell->ReleaseEffectNode(holder);
}

// A shake the file gives as no number or infinite is not kept; a huge one
// saturates instead of overflowing the jitter's range.
TEST_F(ReleasedHandles, BeamShakeFromTheFileStaysANumber) {
    for (const char* shake : {"nan", "inf", "-inf", "2147483647", "1e30"}) {
        WriteModuleFile("fx\\shake.ini",
                        std::string("[ChannelMagic]\nSegment=4\nRefreshTime=1\nWidth=8\nShake=") + shake + "\n");
        KChannelMagic* beam = m_shell->CreateChannelMagic();
        beam->Load("fx\\shake.ini");
        EXPECT_TRUE(std::isfinite(beam->shake)) << shake;
        beam->SetEndPoints(0, 0, 10, 100, 0, 10);
        lumiva::win32::AdvanceClock(1000);
        BeginDraw();
        beam->Render();
        ASSERT_FALSE(beam->Strip().empty()) << shake;
        for (const KSceneVertex& v : beam->Strip()) EXPECT_TRUE(std::isfinite(v.z)) << shake;
        m_shell->ReleaseChannelMagic(beam);
    }
}

}  // namespace
}  // namespace beam_test
