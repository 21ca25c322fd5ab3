#include "lumiva/PrimitiveRecords.h"
#include "effects/BeamFixture.h"
#include "effects/KLightning.h"
#include "effects/KLightningCache.h"
#include "effects/KLightningSet.h"
#include "shell/KDrawShell.h"
#include "win32/Control.h"

namespace beam_test {
namespace {

class LightningSet : public BeamTest {
protected:
    void SetUp() override {
        BeamTest::SetUp();
        WriteLightning("fx\\a.ini", beamini::Lightning{});
        beamini::Lightning band;
        band.version = 1;
        WriteLightning("fx\\b.ini", band);
    }
    KLightningSet* Create(const beamini::LightningSet& file, const std::string& name = "set.ini") {
        WriteModuleFile("fx\\" + name, beamini::WriteLightningSet(file));
        return m_shell->CreateLightningSet(("fx\\" + name).c_str());
    }
    void DrawAsPrimitive(KLightningSet* set) {
        KPrimEffect record{};
        record.effect = set;
        m_shell->DrawPrimitives(1, &record, PRIM_LIGHTNING_SETS, 0, 0, -1, -1.0f);
    }
    static size_t DrawCount() { return Calls("DrawPrimitiveUP").size(); }
};

TEST_F(LightningSet, OneFileTwiceDrawsTwicePerDraw) {
    beamini::LightningSet file;
    file.files = {"fx\\a.ini", "fx\\a.ini"};
    KLightningSet* set = Create(file);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->Definitions().size(), 2u);
    EXPECT_EQ(set->Definitions()[0], set->Definitions()[1]);
    set->SetEnd(20, 0, 50);
    BeginDraw();
    Record();
    DrawAsPrimitive(set);
    const auto draws = Calls("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_CURRENT));
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_ALPHAARG2), DWORD(D3DTA_CURRENT));
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    // Released once per fetch: the definition goes with the set.
    m_shell->ReleaseLightningSet(set);
    EXPECT_EQ(LightningCache().LiveCount(), 0u);
    EXPECT_EQ(LightningCache().CachedCount(), 0u);
}

TEST_F(LightningSet, PointsAndResetReachEveryDefinitionInOrder) {
    beamini::LightningSet file;
    file.files = {"fx\\a.ini", "fx\\b.ini"};
    KLightningSet* set = Create(file);
    ASSERT_NE(set, nullptr);
    set->SetStart(1, 2, 3);
    set->SetEnd(4, 5, 6);
    for (KLightning* lightning : set->Definitions()) {
        EXPECT_EQ(lightning->start[2], 3.0f);
        EXPECT_EQ(lightning->end[0], 4.0f);
    }
    // Life 1000 ms: drawn, then spent, then restarted by Reset.
    BeginDraw();
    Record();
    set->Draw();
    EXPECT_EQ(DrawCount(), 2u);
    lumiva::win32::AdvanceClock(1001);
    Record();
    set->Draw();
    EXPECT_EQ(DrawCount(), 0u);
    set->Reset();
    for (KLightning* lightning : set->Definitions()) EXPECT_EQ(lightning->startTime, 0u);
    Record();
    set->Draw();
    EXPECT_EQ(DrawCount(), 2u);
    m_shell->ReleaseLightningSet(set);
}

TEST_F(LightningSet, AMissingDefinitionFailsTheSetAndKeepsTheOthersCached) {
    beamini::LightningSet file;
    file.count = 3;
    file.files = {"fx\\a.ini", "fx\\b.ini"};
    EXPECT_EQ(Create(file), nullptr);
    EXPECT_EQ(LightningCache().CachedCount(), 2u);
    EXPECT_EQ(LightningCache().LiveCount(), 2u);
    EXPECT_EQ(LightningCache().Find("fx\\a.ini")->users, 0);

    file.files.push_back("fx\\nothing.ini");  // named but not loadable
    EXPECT_EQ(Create(file, "bad.ini"), nullptr);
    EXPECT_EQ(LightningCache().CachedCount(), 2u);

    beamini::LightningSet noCount;
    noCount.files = {"fx\\a.ini"};
    noCount.edits.omit = {"LightningNum"};
    EXPECT_EQ(Create(noCount, "nocount.ini"), nullptr);
    EXPECT_EQ(m_shell->CreateLightningSet("fx\\absent.ini"), nullptr);
}

TEST_F(LightningSet, ANonPositiveCountLoadsAnEmptySetThatDrawsNothing) {
    for (int count : {0, -4}) {
        beamini::LightningSet file;
        file.count = count;
        KLightningSet* set = Create(file);
        ASSERT_NE(set, nullptr);
        EXPECT_TRUE(set->Definitions().empty());
        set->SetStart(1, 1, 1);
        set->Reset();
        BeginDraw();
        Record();
        DrawAsPrimitive(set);
        EXPECT_EQ(DrawCount(), 0u);
        m_shell->ReleaseLightningSet(set);
    }
    m_shell->ReleaseLightningSet(nullptr);
}

TEST_F(LightningSet, TwoSetsShareADefinitionThatOutlivesTheFirst) {
    beamini::LightningSet file;
    file.files = {"fx\\a.ini"};
    KLightningSet* first = Create(file);
    KLightningSet* second = Create(file, "other.ini");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(first->Definitions()[0], second->Definitions()[0]);
    first->SetEnd(30, 0, 50);
    EXPECT_EQ(second->Definitions()[0]->end[0], 30.0f);  // moving one moves both

    m_shell->ReleaseLightningSet(first);
    EXPECT_EQ(LightningCache().CachedCount(), 0u);  // the name goes with a holder
    EXPECT_EQ(LightningCache().LiveCount(), 1u);
    BeginDraw();
    Record();
    DrawAsPrimitive(second);
    EXPECT_EQ(DrawCount(), 1u);
    m_shell->ReleaseLightningSet(second);
    EXPECT_EQ(LightningCache().LiveCount(), 0u);
}

TEST_F(LightningSet, TheHostsUnloadFindsADefinitionASetsReleaseUncached) {
    beamini::LightningSet file;
    file.files = {"fx\\a.ini"};
    KLightningSet* set = Create(file);
    ASSERT_NE(set, nullptr);
    KLightning* hosts = m_shell->LoadLightning("fx\\a.ini");
    ASSERT_EQ(hosts, set->Definitions()[0]);
    m_shell->ReleaseLightningSet(set);
    EXPECT_EQ(LightningCache().CachedCount(), 0u);  // the name goes with a holder
    EXPECT_EQ(LightningCache().LiveCount(), 1u);
    m_shell->UnloadLightning("fx\\a.ini");
    EXPECT_EQ(LightningCache().LiveCount(), 0u);
}

TEST_F(LightningSet, DestroyAllFreesEveryLiveDefinition) {
    beamini::LightningSet file;
    file.files = {"fx\\a.ini", "fx\\b.ini"};
    KLightningSet* set = Create(file);
    ASSERT_NE(set, nullptr);
    // The host never loaded it: unloading only uncaches, the set keeps it.
    m_shell->UnloadLightning("fx\\a.ini");
    EXPECT_EQ(LightningCache().CachedCount(), 1u);
    EXPECT_EQ(LightningCache().LiveCount(), 2u);
    BeginDraw();
    Record();
    set->Draw();
    EXPECT_EQ(DrawCount(), 2u);
    LightningCache().DestroyAllLightning();
    EXPECT_EQ(LightningCache().LiveCount(), 0u);
    EXPECT_EQ(LightningCache().CachedCount(), 0u);
    // A set let go afterwards finds its definitions gone and leaves them be.
    m_shell->ReleaseLightningSet(set);
}

}  // namespace
}  // namespace beam_test
