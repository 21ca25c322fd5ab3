// The model's trails: the weapon trail's settings file, ageing, spreading,
// drawing and cap, and the cool trail's samples, fade and pixels. The
// manual clock drives both.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include <string>
#include <vector>

#include "BindEffectIniWriter.h"
#include "MeshFileWriter.h"
#include "ModelManagerFixture.h"
#include "effects/KBindEffectSet.h"
#include "scene/KMesh.h"
#include "shell/ClientSettings.h"
#include "win32/Control.h"

namespace model_test::model_trail_test {
namespace {

constexpr const char* kTrailFile = "\\settings\\trail.ini";
constexpr const char* kSection = "TEST_TYPE";

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    return *D3DXMatrixTranslation(&m, x, y, z);
}

class ModelTrailTest : public ModelManagerTest {
protected:
    void SetUp() override {
        ModelManagerTest::SetUp();
        WriteBladeMesh("\\model\\blade.mesh", {"BL1", "BL2"});
        WriteModuleFile("\\portrait\\common\\trail.dds", FlatDds(0xFFFFFFFF));
        settings.colour1 = {200, 1, 2, 3};
        settings.colour2 = {100, 4, 5, 6};
        model = NewModel();
        ASSERT_EQ(model->SetMesh("\\model\\blade.mesh", 0), 0);
        D3DXMatrixIdentity(&model->worldMatrix);
        model->mesh->dummies[0].worldMatrix = Translation(0, 0, 0);
        model->mesh->dummies[1].worldMatrix = Translation(0, 10, 0);
        BeginDraw();
    }
    void TearDown() override {
        EndDraw();
        lumiva::d3d9::EnableRecording(false);
        g_CoolSettings = KCoolSettings{};
        ModelManagerTest::TearDown();
    }
    void WriteBladeMesh(const std::string& path, const std::vector<std::string>& dummies) {
        meshfile::File file;
        file.blocks.push_back(meshfile::SkinnedBlock(meshfile::GridBlock(1, 1), 1, uint32_t(dummies.size())));
        for (size_t i = 0; i < dummies.size(); ++i) file.blocks[0].dummies[i].name = dummies[i];
        WriteModuleFile(path, meshfile::Write(file));
    }
    int LoadSettings() {
        WriteModuleFile(kTrailFile, Bytes(bindini::WriteTrailSettings(settings)));
        return model->LoadTrailSettings(kTrailFile, kSection);
    }
    // One trail update `ms` from the last.
    void Step(uint64_t ms) {
        lumiva::win32::AdvanceClock(ms);
        model->UpdateTrail();
    }
    static std::vector<lumiva::d3d9::RecordedCall> Draws() {
        return lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP");
    }
    static void Record() {
        lumiva::d3d9::ClearRecording();
        lumiva::d3d9::EnableRecording(true);
    }

    bindini::TrailSettings settings;
    KModel* model = nullptr;
};

TEST_F(ModelTrailTest, SettingsReadEveryKeyOrStopAtTheFirstMissing) {
    settings.colour1 = {0x1C8, 0x101, 2, 3};  // colours keep their low byte
    settings.spreadFactor = 0.5f;
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_TRUE(model->IsTrailLoaded());
    EXPECT_EQ(model->trailLiveTime, 300u);
    EXPECT_EQ(model->trailMaxVertices, 64u);
    EXPECT_EQ(std::vector<BYTE>(model->trailColour1, model->trailColour1 + 4), (std::vector<BYTE>{3, 2, 1, 0xC8}));
    EXPECT_EQ(std::vector<BYTE>(model->trailColour2, model->trailColour2 + 4), (std::vector<BYTE>{6, 5, 4, 100}));
    EXPECT_EQ(model->trailSpread, 0.5f);
    EXPECT_NE(model->trailTexture, nullptr);

    struct Case {
        const char* omitted;
        DWORD liveTime;  // what the model then holds
        BYTE colour1Green;
    };
    const Case cases[] = {
        {"LiveTime", 0, 0},           {"MaxQueueElemNum", 700, 0}, {"DiffuseColor1Alpha", 700, 0},
        {"DiffuseColor1Green", 700, 0}, {"DiffuseColor2Blue", 700, 9}, {"SpreadFactor", 700, 9},
        {"TextureName", 700, 9},
    };
    for (const Case& c : cases) {
        KModel* fresh = NewModel();
        bindini::TrailSettings partial = settings;
        partial.liveTime = 700;
        partial.colour1.green = 9;
        partial.edits.omit = {c.omitted};
        WriteModuleFile(kTrailFile, Bytes(bindini::WriteTrailSettings(partial)));
        EXPECT_EQ(fresh->LoadTrailSettings(kTrailFile, kSection), 0) << c.omitted;
        EXPECT_FALSE(fresh->IsTrailLoaded()) << c.omitted;
        EXPECT_EQ(fresh->trailLiveTime, c.liveTime) << c.omitted;
        EXPECT_EQ(fresh->trailColour1[1], c.colour1Green) << c.omitted;
        EXPECT_EQ(LogLinesNaming(kTrailFile),
                  std::vector<std::string>{std::string("[Model]") + kTrailFile + ": trail key " + c.omitted +
                                           " missing"});
    }
}

TEST_F(ModelTrailTest, UnusableTexturesAndFilesAreRefused) {
    // The texture manager opens the file when the trail first draws; a name
    // without a folder has no path at all.
    for (const char* texture : {"", "trail.dds"}) {
        KModel* fresh = NewModel();
        settings.textureName = texture;
        WriteModuleFile(kTrailFile, Bytes(bindini::WriteTrailSettings(settings)));
        EXPECT_EQ(fresh->LoadTrailSettings(kTrailFile, kSection), 0) << texture;
        EXPECT_FALSE(fresh->IsTrailLoaded()) << texture;
    }
    EXPECT_EQ(model->LoadTrailSettings("\\settings\\none.ini", kSection), 0);
    EXPECT_EQ(model->LoadTrailSettings(kTrailFile, "OTHER"), 0);
    EXPECT_EQ(model->LoadTrailSettings(nullptr, kSection), 0);
}

// Live time 300: 150 ms old with starting alpha 200 the pair shows 100; at
// 301 ms it is gone.
TEST_F(ModelTrailTest, PairsFadeOverTheirLiveTimeAndThenGo) {
    ASSERT_EQ(LoadSettings(), 1);
    model->SetTrailEnabled(1);
    model->UpdateTrail();
    ASSERT_EQ(model->trailVertices.size(), 2u);
    EXPECT_EQ(model->trailVertices[0].startAlpha, 200);
    EXPECT_EQ(model->trailVertices[1].startAlpha, 100);
    EXPECT_EQ(model->trailVertices[1].y, 10.0f);
    model->SetTrailEnabled(0);
    Step(150);
    ASSERT_EQ(model->trailVertices.size(), 2u);
    EXPECT_EQ(model->trailVertices[0].colour[3], 100);
    EXPECT_EQ(model->trailVertices[1].colour[3], 50);
    Step(150);
    EXPECT_EQ(model->trailVertices.size(), 2u);
    Step(1);
    EXPECT_TRUE(model->trailVertices.empty());
}

// A live time near the top of the 32-bit range still fades linearly.
TEST_F(ModelTrailTest, LongLiveTimesFadeWithoutWrapping) {
    settings.liveTime = int(4000000000u);
    settings.colour1.alpha = 255;
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(model->trailLiveTime, 4000000000u);
    model->SetTrailEnabled(1);
    model->UpdateTrail();
    model->SetTrailEnabled(0);
    Step(1000000000);
    EXPECT_EQ(model->trailVertices[0].colour[3], 191);  // 3e9 x 255 / 4e9
}

TEST_F(ModelTrailTest, DrawsFromTheSecondPairOnceThreePairsAreHeld) {
    settings.spreadFactor = 2.0f;
    ASSERT_EQ(LoadSettings(), 1);
    model->SetTrailEnabled(1);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    Record();
    model->UpdateTrail();
    Step(10);
    EXPECT_EQ(model->trailVertices.size(), 4u);
    EXPECT_TRUE(Draws().empty());
    Step(10);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_TRIANGLESTRIP));
    EXPECT_EQ(draws[0].args[1], 2u);
    EXPECT_EQ(draws[0].args[3], 32u);
    const auto& at = *draws[0].state;
    EXPECT_EQ(at.RenderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(at.RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(at.RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(at.RenderState(D3DRS_ZWRITEENABLE), 0u);
    EXPECT_EQ(at.RenderState(D3DRS_LIGHTING), 0u);
    EXPECT_EQ(at.StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(at.StageState(0, D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(at.SamplerState(0, D3DSAMP_MINFILTER), DWORD(D3DTEXF_LINEAR));
    // Given back.
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ZERO));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0x12345678u);
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    DWORD filter = 0;
    device->GetSamplerState(0, D3DSAMP_MAGFILTER, &filter);
    EXPECT_EQ(filter, DWORD(D3DTEXF_POINT));

    // Every frame with three pairs or more pushes the BL1 edge outward
    // (away from BL2) by the spread factor; u runs along the trail.
    Step(10);
    const auto& v = model->trailVertices;
    ASSERT_EQ(v.size(), 8u);
    const float expectedY[8] = {-4, 10, -4, 10, -4, 10, -2, 10};
    const float expectedU[8] = {0, 0, 1 / 3.0f, 1 / 3.0f, 2 / 3.0f, 2 / 3.0f, 1, 1};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(v[i].y, expectedY[i]) << i;
        EXPECT_FLOAT_EQ(v[i].u, expectedU[i]) << i;
        EXPECT_EQ(v[i].v, float(i % 2)) << i;
    }
}

// Past the most vertices, the pair just added goes again after the draw.
TEST_F(ModelTrailTest, AFullTrailDropsTheNewestPair) {
    settings.maxQueueElemNum = 6;
    ASSERT_EQ(LoadSettings(), 1);
    model->SetTrailEnabled(1);
    const DWORD first = timeGetTime();
    model->UpdateTrail();
    Step(10);
    Step(10);
    Record();
    Step(10);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].args[1], 4u);
    ASSERT_EQ(model->trailVertices.size(), 6u);
    EXPECT_EQ(model->trailVertices[0].creationTime, first);
    EXPECT_EQ(model->trailVertices[5].creationTime, first + 20);
}

TEST_F(ModelTrailTest, AMeshWithoutBothBladeDummiesNeverTrails) {
    WriteBladeMesh("\\model\\stick.mesh", {"BL1", "grip"});
    KModel* stick = NewModel();
    ASSERT_EQ(stick->SetMesh("\\model\\stick.mesh", 0), 0);
    stick->SetTrailEnabled(1);
    stick->UpdateTrail();
    EXPECT_EQ(stick->trailDummies[0], -2);
    EXPECT_EQ(stick->trailDummies[1], -2);
    EXPECT_TRUE(stick->trailVertices.empty());
    KModel* bare = NewModel();
    bare->SetTrailEnabled(1);
    bare->UpdateTrail();
    EXPECT_TRUE(bare->trailVertices.empty());
}

// The update draws the weapon trail only while its bound-effect set asks.
TEST_F(ModelTrailTest, TheUpdateTrailsWhileTheCurrentSetAsks) {
    ASSERT_EQ(LoadSettings(), 1);
    model->SetTrailEnabled(1);
    model->Update();
    EXPECT_TRUE(model->trailVertices.empty());
    model->ownBindEffects = new KBindEffectSet();
    model->Update();
    EXPECT_TRUE(model->trailVertices.empty());
    model->ownBindEffects->useBladeLight = 1;
    model->Update();
    EXPECT_EQ(model->trailVertices.size(), 2u);
}

class CoolTrailTest : public ModelTrailTest {
protected:
    void SetUp() override {
        ModelTrailTest::SetUp();
        g_CoolSettings.interval = 100;
        g_CoolSettings.limitNum = 3;
        g_CoolSettings.width = 1;
        g_CoolSettings.height = 4;
        model->SetCoolTrail(1);
    }
    // The model at (x, y, -2) sampled `ms` after the last sample.
    void SampleAt(float x, float y, uint64_t ms = 101) {
        lumiva::win32::AdvanceClock(ms);
        model->SetPosition(x, y, -2.0f, 0);
        model->SortAndDraw(0.0f);
    }
    // Seen along +y: z up, 16 x 16 units on the target.
    void LookAlongY() {
        D3DXMATRIX world, view, projection;
        const D3DXVECTOR3 eye(0, -50, 0), at(0, 0, 0), up(0, 0, 1);
        device->SetTransform(D3DTS_WORLD, D3DXMatrixIdentity(&world));
        device->SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH(&view, &eye, &at, &up));
        device->SetTransform(D3DTS_PROJECTION, D3DXMatrixOrthoLH(&projection, 16, 16, 0, 200));
    }
};

// A model walking up the screen (y falling) keeps its newest samples.
TEST_F(CoolTrailTest, SamplesStayInTimeOrderAndTheOldestGoes) {
    SampleAt(0, 40);
    SampleAt(1, 30);
    SampleAt(1.5f, 35, 50);  // within the interval: not sampled
    SampleAt(2, 20);
    SampleAt(3, 10);
    const auto& s = model->coolTrailSamples;
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0], D3DXVECTOR3(1, 30, -2));
    EXPECT_EQ(s[1], D3DXVECTOR3(2, 20, -2));
    EXPECT_EQ(s[2], D3DXVECTOR3(3, 10, -2));
    model->SetCoolTrail(0);
    SampleAt(4, 0);
    EXPECT_EQ(s.size(), 3u);
}

// Facing between 180 and 360 degrees the first sorted sample is drawn
// transparent; otherwise it is not drawn at all.
TEST_F(CoolTrailTest, TheFadeFollowsTheHeading) {
    SampleAt(0, 30);
    SampleAt(0, 20);
    Record();
    SampleAt(0, 10);
    EXPECT_EQ(Draws().size(), 2u);  // a = 630: fades (3 - i) / 3, the first above 0.9
    model->SetHeading(0, 0, 6.2831855f, 0, 0);  // a = 270
    Record();
    model->SortAndDraw(0.0f);
    EXPECT_EQ(Draws().size(), 3u);
}

TEST_F(CoolTrailTest, StatesAreGivenBackButTheCullMode) {
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    const D3DXMATRIX world = Translation(1, 2, 3);
    device->SetTransform(D3DTS_WORLD, &world);
    Record();
    SampleAt(0, 10);
    SampleAt(0, 20);
    ASSERT_EQ(Draws().size(), 1u);
    const auto& at = *Draws()[0].state;
    EXPECT_EQ(at.RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(at.RenderState(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
    EXPECT_EQ(at.StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TFACTOR));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ZERO));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG2));
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
    D3DXMATRIX after;
    device->GetTransform(D3DTS_WORLD, &after);
    EXPECT_EQ(after, world);
}

// Four samples walking up the screen with three kept: the quad of the
// oldest (x = -6) is gone; the others fade from the lowest y.
TEST_F(CoolTrailTest, QuadsShowOnASmallTargetWithoutTheOldest) {
    model->SetHeading(0, 0, 6.2831855f, 0, 0);  // fades i / 3 in y order
    SampleAt(-6, 40);
    SampleAt(-2, 30);
    SampleAt(2, 20);
    LookAlongY();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    SampleAt(6, 10);
    // Target column of world x: 16 units over 16 pixels, centred; seen
    // along +y with z up, x grows to the left.
    auto column = [](float x) { return UINT(8.0f - x); };
    const UINT row = 7;  // z from -2 to 2 covers rows 6 to 9
    EXPECT_EQ(Pixel(column(-6.0f), row), 0u);
    EXPECT_EQ(Pixel(column(6.0f), row), 0u);  // first in y order: alpha 0
    EXPECT_EQ(Pixel(column(2.0f), row), 0x555555u);
    EXPECT_EQ(Pixel(column(-2.0f), row), 0xAAAAAAu);
    EXPECT_EQ(Pixel(column(-2.0f), 1), 0u);  // above the quads
}

}  // namespace
}  // namespace model_test::model_trail_test
