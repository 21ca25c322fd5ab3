#include <cmath>
#include <limits>

#include "lumiva/PrimitiveRecords.h"
#include "effects/BeamFixture.h"
#include "effects/KLightning.h"
#include "effects/KLightningCache.h"
#include "shell/KDrawShell.h"
#include "win32/Control.h"

namespace beam_test {
namespace {

class Lightning : public BeamTest {
protected:
    // Writes the definition (and its texture) as fx\<name> and loads it
    // through the shell.
    KLightning* Load(const beamini::Lightning& file, const std::string& name = "bolt.ini") {
        WriteLightning("fx\\" + name, file);
        return m_shell->LoadLightning(("fx\\" + name).c_str());
    }
    // Draws the definition as DrawPrimitives type 14 does.
    void DrawAsPrimitive(KLightning* lightning) {
        KPrimEffect record{};
        record.effect = lightning;
        m_shell->DrawPrimitives(1, &record, PRIM_LIGHTNING, 0, 0, -1, -1.0f);
    }
    static void ExpectVertex(const KSceneVertex& v, float x, float y, float z, float u, float tv) {
        EXPECT_FLOAT_EQ(v.x, x);
        EXPECT_FLOAT_EQ(v.y, y);
        EXPECT_FLOAT_EQ(v.z, z);
        EXPECT_FLOAT_EQ(v.u, u);
        EXPECT_EQ(v.v, tv);
        EXPECT_EQ(v.colour, 0xFFFFFFFFu);
    }
};

// A band along x from (0, 0, 50) of length 95 in steps of 20.
beamini::Lightning Band() {
    beamini::Lightning file;
    file.version = 1;
    file.width = 10.0f;
    file.height = 20.0f;
    file.segLength = 20.0f;
    file.randomA = 3;
    file.randomB = 2;
    file.randomC = 4;
    file.distanceLimit = 0.0f;
    file.radius = 30.0f;
    file.segementNumber = 8;
    file.circleWidth = 6.0f;
    file.circleOffset = 5;
    return file;
}

TEST_F(Lightning, EachRefusalGivesNullAndCachesNothing) {
    const char* keys[] = {"Version",        "Width",        "Height",       "SegLength",    "LiveTime",
                          "RandomA",        "RandomB",      "RandomC",      "DistanceLimit", "Radius",
                          "SegementNumber", "CircleWidth",  "CircleOffset", "LineLiveTime", "CircleLiveTime",
                          "X1",             "X2",           "Y1",           "Y2",           "Z1",
                          "Z2",             "OverLimitDistance", "Reduce",  "TextureName"};
    std::vector<std::pair<std::string, beamini::Lightning>> cases;
    for (const char* key : keys) {
        beamini::Lightning file;
        file.edits.omit = {key};
        cases.emplace_back(std::string("missing ") + key, file);
    }
    auto add = [&](const std::string& what, auto change, beamini::Lightning file = beamini::Lightning{}) {
        change(file);
        cases.emplace_back(what, file);
    };
    add("malformed Width", [](beamini::Lightning& f) { f.edits.replace["Width"] = "wide"; });
    add("empty TextureName", [](beamini::Lightning& f) { f.textureName = ""; });
    add("RandomA 0", [](beamini::Lightning& f) { f.randomA = 0; });
    add("RandomB 0", [](beamini::Lightning& f) { f.randomB = 0; });
    add("RandomC 0", [](beamini::Lightning& f) { f.randomC = 0; });
    add("bolt X1 + X2 0", [](beamini::Lightning& f) { f.x1 = 0, f.x2 = 0; });
    add("bolt Y1 + Y2 0", [](beamini::Lightning& f) { f.y1 = 5, f.y2 = -5; });
    add("bolt Z1 + Z2 0", [](beamini::Lightning& f) { f.z1 = -3, f.z2 = 3; });
    add("band SegLength 0", [](beamini::Lightning& f) { f.segLength = 0; }, Band());
    add("band SegLength negative", [](beamini::Lightning& f) { f.segLength = -20; }, Band());
    add("ring CircleOffset 0", [](beamini::Lightning& f) { f.distanceLimit = 1, f.circleOffset = 0; }, Band());
    add("ring SegementNumber 0", [](beamini::Lightning& f) { f.distanceLimit = 1, f.segementNumber = 0; }, Band());
    add("ring SegementNumber 361", [](beamini::Lightning& f) { f.distanceLimit = 1, f.segementNumber = 361; }, Band());
    int serial = 0;
    for (const auto& [what, file] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Load(file, "refused" + std::to_string(serial++) + ".ini"), nullptr);
        EXPECT_EQ(LightningCache().CachedCount(), 0u);
        EXPECT_EQ(LightningCache().LiveCount(), 0u);
    }
    // The texture named but not there.
    beamini::Lightning lonely;
    lonely.textureName = "fx\\none.bmp";
    WriteModuleFile("fx\\lonely.ini", beamini::WriteLightning(lonely));
    EXPECT_EQ(m_shell->LoadLightning("fx\\lonely.ini"), nullptr);
    EXPECT_EQ(m_shell->LoadLightning("fx\\absent.ini"), nullptr);
    EXPECT_EQ(LightningCache().CachedCount(), 0u);
}

TEST_F(Lightning, ValuesTheGenerationCanUseLoad) {
    struct Case {
        const char* what;
        beamini::Lightning file;
    };
    beamini::Lightning wide;  // sums that overflow 32 bits
    wide.x1 = wide.x2 = std::numeric_limits<int>::max();
    wide.y1 = 0, wide.y2 = 1;
    beamini::Lightning band = Band();
    band.segementNumber = 0;  // no ring asked for: not used
    beamini::Lightning ring = Band();
    ring.distanceLimit = 500, ring.segementNumber = 360, ring.circleOffset = 1;
    for (const Case& c : {Case{"wide bolt ranges", wide}, Case{"band without ring", band}, Case{"ring 360", ring}}) {
        SCOPED_TRACE(c.what);
        KLightning* lightning = Load(c.file, std::string(c.what) + ".ini");
        ASSERT_NE(lightning, nullptr);
        lightning->SetStart(0, 0, 50);
        lightning->SetEnd(95, 0, 50);
        lightning->Render();
        EXPECT_LE(lightning->vertexCount, kLightningMaxVertices);
        EXPECT_GE(lightning->vertexCount, 4);
    }
}

// Negative range sums and a negative CircleOffset are ranges like the
// others: the C remainder of the draw, then the offset.
TEST_F(Lightning, NegativeRangesFollowTheRemainderArithmetic) {
    beamini::Lightning file;
    file.width = 10.0f;
    file.overLimitDistance = 200;
    file.x1 = -3, file.x2 = 1;  // 15 % -2 + 3 = 4, flipped by the odd fourth draw
    file.y1 = 5, file.y2 = -7;  // 12 % -2 - 5 = -5
    file.z1 = -1, file.z2 = -1; // 10 % -2 + 1 = 1
    KLightning* lightning = Load(file);
    ASSERT_NE(lightning, nullptr);
    lightning->SetStart(-30, 0, 50);
    lightning->SetEnd(30, 0, 50);
    lumiva::win32::InstallScriptedRandom({15, 12, 10, 1, 2, 20, 20, 20});
    lightning->Render();
    ASSERT_EQ(lightning->vertexCount, 6);
    ExpectVertex(lightning->Vertices()[2], -30 - 4, 5 - 5, 50 + 1, 0.25f, 0);

    beamini::Lightning ring = Band();
    ring.distanceLimit = 96.0f;
    ring.circleOffset = -5;  // every draw 0: a = 0 % -10 + 5 = 5
    lightning = Load(ring, "ring.ini");
    ASSERT_NE(lightning, nullptr);
    lightning->SetStart(0, 0, 50);
    lightning->SetEnd(95, 0, 50);
    lumiva::win32::InstallScriptedRandom({0});
    lightning->Render();
    ASSERT_EQ(lightning->ringFlag, 1);
    ExpectVertex(lightning->Vertices()[12], 95 + 35, 0, 55, 0, 0);
    ExpectVertex(lightning->Vertices()[13], 95 + 35, 0, 50 + 6 + 5, 0, 1);
}

TEST_F(Lightning, NamesAreCaseSensitiveAndShared) {
    WriteLightning("fx\\bolt.ini", beamini::Lightning{});
    KLightning* first = m_shell->LoadLightning("fx\\bolt.ini");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_shell->LoadLightning("fx\\bolt.ini"), first);
    KLightning* upper = m_shell->LoadLightning("FX\\BOLT.INI");
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(upper, first);
    EXPECT_EQ(LightningCache().CachedCount(), 2u);
    EXPECT_EQ(first->Name(), "fx\\bolt.ini");
}

TEST_F(Lightning, EveryConstructionReseedsFromTheClock) {
    { KLightning a; }
    EXPECT_EQ(lumiva::win32::LastRandomSeed(), 100000u);
    lumiva::win32::AdvanceClock(1234);
    { KLightning b; }
    EXPECT_EQ(lumiva::win32::LastRandomSeed(), 101234u);
}

TEST_F(Lightning, ABoltArrivingAtPairTwoHasSixVerticesAndFourTriangles) {
    beamini::Lightning file;
    file.width = 10.0f;
    file.overLimitDistance = 200;
    KLightning* lightning = Load(file);
    ASSERT_NE(lightning, nullptr);
    lightning->SetStart(-30, 0, 50);
    lightning->SetEnd(30, 0, 50);  // side (0, -1, 0)
    // Offset (15 % 20 - 10, 12 % 20 - 10, 10 % 20 - 10) = (5, 2, 0), x flipped
    // by the odd fourth draw; the partner's widths 10, 15, 10.
    lumiva::win32::InstallScriptedRandom({15, 12, 10, 1, 2, 20, 25, 20});
    BeginDraw();
    Record();
    DrawAsPrimitive(lightning);
    ASSERT_EQ(lightning->vertexCount, 6);
    const KSceneVertex* v = lightning->Vertices();
    ExpectVertex(v[0], -30, 5, 50, 0, 0);
    ExpectVertex(v[1], -30, -5, 50, 0, 1);
    ExpectVertex(v[2], -35, 7, 50, 0.25f, 0);
    ExpectVertex(v[3], -35, -8, 50, 0.25f, 1);
    ExpectVertex(v[4], 30, 5, 50, 0.5f, 0);
    ExpectVertex(v[5], 30, -5, 50, 0.5f, 1);
    const auto draws = Calls("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_TRIANGLESTRIP));
    EXPECT_EQ(draws[0].args[1], 4u);
    EXPECT_EQ(draws[0].args[3], 24u);
    EXPECT_EQ(draws[0].state->fvf, 0x142u);
    EXPECT_EQ(draws[0].state->textures[0], lightning->texture);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_ZWRITEENABLE), DWORD(FALSE));
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_DIFFUSE));
    // White texture, white vertices: the strip shows white over black.
    EXPECT_EQ(PixelAt(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(PixelAt(0, 20) & 0xFFFFFF, 0u);
}

TEST_F(Lightning, ABoltThatNeverArrivesStopsAtOneHundredVertices) {
    beamini::Lightning file;
    file.overLimitDistance = 0;  // nothing is nearer than 0
    file.reduce = 0.5f;
    KLightning* lightning = Load(file);
    ASSERT_NE(lightning, nullptr);
    lightning->SetEnd(1000, 0, 0);
    BeginDraw();
    Record();
    DrawAsPrimitive(lightning);
    EXPECT_EQ(lightning->vertexCount, 100);
    EXPECT_FLOAT_EQ(lightning->Vertices()[98].u, 12.25f);
    ASSERT_EQ(Calls("DrawPrimitiveUP").size(), 1u);
    EXPECT_EQ(Calls("DrawPrimitiveUP")[0].args[1], 98u);
}

TEST_F(Lightning, ABandArchesOverItsStepsAndARingClosesRoundTheEnd) {
    beamini::Lightning file = Band();
    KLightning* lightning = Load(file);
    ASSERT_NE(lightning, nullptr);
    lightning->SetStart(0, 0, 50);
    lightning->SetEnd(95, 0, 50);
    // Every draw 0: sideways -RandomC, no vertical jitter, second vertex
    // jittered by -RandomB on each axis.
    lumiva::win32::InstallScriptedRandom({0});
    lightning->Render();
    EXPECT_EQ(lightning->vertexCount, 12);
    EXPECT_EQ(lightning->firstStripCount, 12);
    EXPECT_EQ(lightning->ringFlag, 0);
    const KSceneVertex* v = lightning->Vertices();
    ExpectVertex(v[0], 0, 0.5f, 50, 0, 0);
    ExpectVertex(v[1], 0, -5, 50, 0, 1);
    const float arch[4] = {0.8f, 1.0f, 0.8f, 0.6f};
    for (int i = 1; i <= 4; ++i) {
        SCOPED_TRACE(i);
        const float x = 95.0f * float(i) / 5.0f, y = 4.0f, z = 50 + 95 * 0.0f + arch[i - 1] * 20.0f;
        ExpectVertex(v[2 * i], x, y, z, float(i) / 2.0f, 0);
        ExpectVertex(v[2 * i + 1], x - 2, y - 10 - 2, z - 2, float(i) / 2.0f, 1);
    }
    ExpectVertex(v[10], 95, 0.5f, 50, 3.0f, 0);
    ExpectVertex(v[11], 95, -4.5f, 50, 3.0f, 1);

    // Nearer than DistanceLimit: a ring of SegementNumber 8 follows.
    file.distanceLimit = 96.0f;
    lightning = Load(file, "ring.ini");
    ASSERT_NE(lightning, nullptr);
    lightning->SetStart(0, 0, 50);
    lightning->SetEnd(95, 0, 50);
    BeginDraw();
    Record();
    DrawAsPrimitive(lightning);
    EXPECT_EQ(lightning->firstStripCount, 12);
    EXPECT_EQ(lightning->vertexCount, 30);
    EXPECT_EQ(lightning->ringFlag, 1);
    v = lightning->Vertices();
    // a = -CircleOffset, phase 0: the first ring step at angle 0.
    ExpectVertex(v[12], 95 + 25, 0, 45, 0, 0);
    ExpectVertex(v[13], 95 + 25, 0, 50 + 6 - 5, 0, 1);
    EXPECT_NEAR(v[14].x, 95 + 25 * std::cos(6.283184 / 8), 1e-4);
    EXPECT_FLOAT_EQ(v[14].u, 1.0f / 3.0f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(v[28 + i].x, v[12 + i].x);
        EXPECT_EQ(v[28 + i].z, v[12 + i].z);
        EXPECT_EQ(v[28 + i].v, v[12 + i].v);
        EXPECT_FLOAT_EQ(v[28 + i].u, 1.6f);
    }
    const auto draws = Calls("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].args[1], 10u);
    EXPECT_EQ(draws[1].args[1], 16u);
    EXPECT_EQ(draws[1].args[2], draws[0].args[2] + 12 * 24);
}

TEST_F(Lightning, LongBandsAndLargeRingsStayInsideTheArray) {
    beamini::Lightning file = Band();
    file.segLength = 1.0f;
    file.distanceLimit = 1e9f;
    KLightning* lightning = Load(file);
    ASSERT_NE(lightning, nullptr);
    lightning->SetEnd(10000, 0, 0);
    lightning->Render();
    EXPECT_EQ(lightning->vertexCount, 100);  // 48 steps
    EXPECT_EQ(lightning->ringFlag, 0);       // no room for a ring

    file = Band();
    file.distanceLimit = 1e9f;
    file.segementNumber = 44;  // 12 + 90 vertices do not fit
    lightning = Load(file, "big-ring.ini");
    ASSERT_NE(lightning, nullptr);
    lightning->SetEnd(95, 0, 0);
    lightning->Render();
    EXPECT_EQ(lightning->vertexCount, 12);
    EXPECT_EQ(lightning->ringFlag, 0);
    file.segementNumber = 43;  // 12 + 88: exactly full
    lightning = Load(file, "full-ring.ini");
    lightning->SetEnd(95, 0, 0);
    lightning->Render();
    EXPECT_EQ(lightning->vertexCount, 100);
    EXPECT_EQ(lightning->ringFlag, 1);

    // Spans that are not numbers take no steps.
    lightning->SetEnd(std::numeric_limits<float>::quiet_NaN(), 0, 0);
    lightning->lastGeneration = 0;
    lightning->Render();
    EXPECT_LE(lightning->vertexCount, 100);
}

TEST_F(Lightning, ItRegeneratesEveryLiveTimeUntilItsLineLiveTimeEnds) {
    beamini::Lightning file;
    file.liveTime = 100;
    file.lineLiveTime = 1000;
    file.overLimitDistance = 0;
    KLightning* lightning = Load(file);
    ASSERT_NE(lightning, nullptr);
    lightning->SetEnd(500, 0, 0);
    BeginDraw();
    std::vector<int> generated;
    int drawn = 0;
    for (int frame = 0; frame < 80; ++frame) {
        const DWORD before = lightning->lastGeneration;
        Record();
        DrawAsPrimitive(lightning);
        if (lightning->lastGeneration != before) generated.push_back(frame);
        drawn += int(Calls("DrawPrimitiveUP").size());
        lumiva::win32::AdvanceClock(16);
    }
    // More than 100 ms after the last: every 7th frame; 1000 ms of life
    // ends after frame 62 (992 ms).
    EXPECT_EQ(generated, (std::vector<int>{0, 7, 14, 21, 28, 35, 42, 49, 56}));
    EXPECT_EQ(drawn, 63);
}

TEST_F(Lightning, UnloadDropsTheNameAndTheDefinitionWithItsLastUser) {
    WriteLightning("fx\\bolt.ini", beamini::Lightning{});
    KLightning* first = m_shell->LoadLightning("fx\\bolt.ini");
    ASSERT_NE(first, nullptr);
    m_shell->UnloadLightning("fx\\bolt.ini");
    EXPECT_EQ(LightningCache().CachedCount(), 0u);
    EXPECT_EQ(LightningCache().LiveCount(), 0u);
    m_shell->UnloadLightning("fx\\bolt.ini");  // absent: nothing
    m_shell->UnloadLightning(nullptr);

    // Two casters of one spell load and unload it in turn: the name stays
    // cached until the last unload, which frees the definition.
    for (int round = 0; round < 3; ++round) {
        KLightning* shared = m_shell->LoadLightning("fx\\bolt.ini");
        ASSERT_NE(shared, nullptr);
        EXPECT_EQ(m_shell->LoadLightning("fx\\bolt.ini"), shared);
        m_shell->UnloadLightning("fx\\bolt.ini");
        EXPECT_EQ(LightningCache().Find("fx\\bolt.ini"), shared) << round;
        EXPECT_EQ(LightningCache().LiveCount(), 1u) << round;
        m_shell->UnloadLightning("fx\\bolt.ini");
        EXPECT_EQ(LightningCache().CachedCount(), 0u) << round;
        EXPECT_EQ(LightningCache().LiveCount(), 0u) << round;
    }
}

TEST_F(Lightning, ReleaseLeavesANewerDefinitionOfTheNameAlone) {
    WriteLightning("fx\\bolt.ini", beamini::Lightning{});
    // Two holders that are not the host: the first release uncaches the name.
    KLightning* old = LightningCache().GetOrLoadLightning("fx\\bolt.ini");
    ASSERT_EQ(LightningCache().GetOrLoadLightning("fx\\bolt.ini"), old);
    LightningCache().ReleaseLightning(old);
    EXPECT_EQ(LightningCache().CachedCount(), 0u);
    EXPECT_EQ(LightningCache().LiveCount(), 1u);
    KLightning* fresh = m_shell->LoadLightning("fx\\bolt.ini");
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, old);
    EXPECT_EQ(LightningCache().LiveCount(), 2u);
    old->Render();
    LightningCache().ReleaseLightning(old);
    EXPECT_EQ(LightningCache().Find("fx\\bolt.ini"), fresh);
    EXPECT_EQ(LightningCache().LiveCount(), 1u);
    m_shell->UnloadLightning("fx\\bolt.ini");
    EXPECT_EQ(LightningCache().LiveCount(), 0u);
}

TEST_F(Lightning, TheShellsReleaseFreesDefinitionsTheHostNeverUnloaded) {
    WriteLightning("fx\\bolt.ini", beamini::Lightning{});
    ASSERT_NE(m_shell->LoadLightning("fx\\bolt.ini"), nullptr);
    const UINT resources = lumiva::d3d9::LiveResourceCount();
    ASSERT_GT(resources, 0u);
    ReleaseShell();
    EXPECT_EQ(LightningCache().LiveCount(), 0u);
    EXPECT_EQ(LightningCache().CachedCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
}

}  // namespace
}  // namespace beam_test
