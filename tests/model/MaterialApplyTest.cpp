// Applying and restoring material records: the material, blend and depth
// states, each option type with its saved values, the texture stages, the
// overlay picture, and what the stages draw.
#include <gtest/gtest.h>

#include <cmath>

#include "MaterialFileWriter.h"
#include "ModelFixture.h"
#include "SprWriter.h"
#include "scene/KMaterial.h"
#include "textures/ImageCache.h"
#include "textures/KSprImage.h"
#include "textures/TextureManager.h"
#include "win32/Control.h"

namespace model_test::material_apply_test {
namespace {

constexpr const char* kMaterialPath = "\\model\\hero\\hero.mtl";
constexpr const char* kSkinPath = "\\model\\hero\\texture\\skin.dds";
constexpr const char* kOverlayPath = "\\model\\glow.spr";

mtlfile::Record TexturedRecord() {
    mtlfile::Record record;
    mtlfile::Stage stage;
    stage.textureName = "art\\skin.dds";
    record.stages.push_back(stage);
    return record;
}

class MaterialApplyTest : public ModelTest {
protected:
    void Load(std::vector<mtlfile::Record> records) {
        mtlfile::File file;
        file.records = std::move(records);
        WriteModuleFile(kSkinPath, FlatDds(0xFFFF0000));
        WriteModuleFile(kMaterialPath, mtlfile::Write(file));
        material.SetDevice(device);
        ASSERT_EQ(material.Load(kMaterialPath), 0);
    }
    void StartRecording() {
        lumiva::d3d9::ClearRecording();
        lumiva::d3d9::EnableRecording(true);
    }
    IDirect3DBaseTexture9* StageTexture(DWORD stage) {
        IDirect3DBaseTexture9* texture = nullptr;
        device->GetTexture(stage, &texture);
        if (texture) texture->Release();  // still bound: the pointer stays good
        return texture;
    }

    KMaterial material;
};

TEST_F(MaterialApplyTest, IndexPastTheRecordsTouchesNothing) {
    Load({mtlfile::Record{}});
    StartRecording();
    EXPECT_EQ(material.Apply(0xFFFFFFFF, 1, 1.0f, 0), 0);
    EXPECT_EQ(material.Restore(1), 0);
    EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty());
}

TEST_F(MaterialApplyTest, RecordNotToBeDrawnIsRefused) {
    mtlfile::Record hidden;
    hidden.flags = kMaterialNotDrawn;
    Load({hidden});
    StartRecording();
    EXPECT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), E_FAIL);
    EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty());
}

TEST_F(MaterialApplyTest, MaterialTakesAlphaAndTheModelColourAsAmbient) {
    mtlfile::Record record;
    record.diffuse[0] = 0.25f;
    record.ambient[1] = 0.9f;
    record.power = 3.0f;
    Load({record});
    ASSERT_EQ(material.Apply(0xFF336699, 0, 0.5f, 0), 0);
    D3DMATERIAL9 set{};
    device->GetMaterial(&set);
    EXPECT_EQ(set.Diffuse.r, 0.25f);
    EXPECT_EQ(set.Power, 3.0f);
    EXPECT_EQ(set.Ambient.r, float(0x33) * 0.00392f);
    EXPECT_EQ(set.Ambient.g, float(0x66) * 0.00392f);
    EXPECT_EQ(set.Ambient.b, float(0x99) * 0.00392f);
    EXPECT_EQ(set.Diffuse.a, 0.5f);
    EXPECT_EQ(set.Ambient.a, 0.5f);
    EXPECT_EQ(set.Specular.a, 0.5f);
    EXPECT_EQ(set.Emissive.a, 1.0f);
}

TEST_F(MaterialApplyTest, BlendDepthAndAlphaTestStates) {
    Load({mtlfile::Record{}});
    struct Case {
        float alpha;
        BYTE depthWrite;
        DWORD additive;
        DWORD zWrite;
        DWORD destination;
    };
    const Case cases[] = {
        {1.0f, 0, 0, TRUE, D3DBLEND_INVSRCALPHA},
        {0.5f, 0, 0, FALSE, D3DBLEND_INVSRCALPHA},
        {0.5f, 1, 0, TRUE, D3DBLEND_INVSRCALPHA},
        {1.0f, 0, 1, TRUE, D3DBLEND_ONE},
    };
    for (const Case& c : cases) {
        g_AdditiveBlend = c.additive;
        device->SetRenderState(D3DRS_ZWRITEENABLE, !c.zWrite);
        ASSERT_EQ(material.Apply(0xFFFFFFFF, 0, c.alpha, c.depthWrite), 0);
        EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), c.zWrite) << c.alpha << " " << int(c.depthWrite);
        EXPECT_EQ(RenderState(D3DRS_DESTBLEND), c.destination) << c.additive;
        EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
        EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
        EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(TRUE));
        EXPECT_EQ(RenderState(D3DRS_ZFUNC), DWORD(D3DCMP_LESS));
        EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
        EXPECT_EQ(RenderState(D3DRS_ALPHAREF), 10u);
        EXPECT_EQ(RenderState(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATEREQUAL));
        material.Restore(0);
    }
}

TEST_F(MaterialApplyTest, EveryRecordCullsClockwiseWhileApplied) {
    mtlfile::Record doubleSided;
    doubleSided.options = {mtlfile::CullOption(D3DCULL_NONE)};
    Load({mtlfile::Record{}, doubleSided});
    for (DWORD index : {0u, 1u}) {
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        ASSERT_EQ(material.Apply(0xFFFFFFFF, index, 1.0f, 0), 0);
        EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CW)) << index;
        EXPECT_EQ(std::get<KCullOption>(material.records[index].options.back().data).savedCullMode,
                  index == 0 ? DWORD(D3DCULL_CCW) : DWORD(D3DCULL_NONE));
        material.Restore(index);
        EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW)) << index;
    }
    material.SetValueAll(D3DCULL_NONE);
    for (const KMaterialOption& option : material.records[1].options) {
        const auto& cull = std::get<KCullOption>(option.data);
        EXPECT_EQ(cull.cullMode, DWORD(D3DCULL_NONE));
        EXPECT_EQ(cull.savedCullMode, DWORD(D3DCULL_NONE));
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    material.Apply(0xFFFFFFFF, 0, 1.0f, 0);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
}

TEST_F(MaterialApplyTest, BlendOptionSavesAndPutsBackBothFactors) {
    KMaterialOption option{kOptionBlend, KBlendOption{D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR, 0, 0}};
    material.SetDevice(device);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    material.ApplyOption(0, option);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_DESTCOLOR));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_SRCCOLOR));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    const auto& saved = std::get<KBlendOption>(option.data);
    EXPECT_EQ(saved.savedSource, DWORD(D3DBLEND_ONE));
    EXPECT_EQ(saved.savedDestination, DWORD(D3DBLEND_ZERO));
    material.RestoreOption(0, option);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ZERO));
}

TEST_F(MaterialApplyTest, StageStatesOptionWorksOnItsStageAndTheFactor) {
    KStageStatesOption states{D3DTOP_ADD, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG2,
                              D3DTA_CURRENT, D3DTA_TFACTOR, 0x11223344, {}};
    KMaterialOption option{kOptionStageStates, states};
    material.SetDevice(device);
    const D3DTEXTURESTAGESTATETYPE types[6] = {D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_COLORARG2,
                                               D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2};
    DWORD before[7];
    for (int i = 0; i < 6; ++i) before[i] = StageState(2, types[i]);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFABCDEF);
    before[6] = 0xFFABCDEF;

    material.ApplyOption(2, option);
    const DWORD wanted[6] = {D3DTOP_ADD, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG2, D3DTA_CURRENT, D3DTA_TFACTOR};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(StageState(2, types[i]), wanted[i]) << i;
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0x11223344u);
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));  // other stages untouched
    for (int i = 0; i < 7; ++i) EXPECT_EQ(option.StageStates()->saved[i], before[i]) << i;

    material.RestoreOption(2, option);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(StageState(2, types[i]), before[i]) << i;
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0xFFABCDEFu);
}

// A record option and a stage option that both change stage 0 and the
// texture factor: Restore undoes them last applied first, so the device is
// back where it was before Apply (undoing the record's first would leave
// the stage option's saved values, the record's own, behind).
TEST_F(MaterialApplyTest, RestoreUndoesTheOptionsLastAppliedFirst) {
    mtlfile::Record record = TexturedRecord();
    record.options = {mtlfile::StageStatesOption(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
                                                 D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF111111)};
    record.stages[0].options = {mtlfile::StageStatesOption(D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTA_TFACTOR,
                                                           D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TFACTOR,
                                                           0xFF222222)};
    Load({record});
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF000000);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    ASSERT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0xFF222222u);
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SUBTRACT));
    material.Restore(0);
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0xFF000000u);
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_CURRENT));
}

TEST_F(MaterialApplyTest, TexCoordOptionSavesTheIndex) {
    KMaterialOption option{kOptionTexCoord, KTexCoordOption{2, 0}};
    material.SetDevice(device);
    device->SetTextureStageState(3, D3DTSS_TEXCOORDINDEX, 1);
    material.ApplyOption(3, option);
    EXPECT_EQ(StageState(3, D3DTSS_TEXCOORDINDEX), 2u);
    EXPECT_EQ(std::get<KTexCoordOption>(option.data).savedIndex, 1u);
    material.RestoreOption(3, option);
    EXPECT_EQ(StageState(3, D3DTSS_TEXCOORDINDEX), 1u);
}

// Scale, then yaw-pitch-roll, then the translation written into row four;
// only the first four stages have a texture matrix.
TEST_F(MaterialApplyTest, TexTransformOptionSetsFlagsAndMatrix) {
    KTexTransformOption transform{{2, 3, 1}, {0.5f, 0.25f, 0.125f}, {0.1f, 0.2f, 0.3f}, {}};
    KMaterialOption option{kOptionTexTransform, transform};
    material.SetDevice(device);
    lumiva::d3d9::EnableRecording(true);
    for (DWORD stage : {1u, 5u}) {
        lumiva::d3d9::ClearRecording();
        material.ApplyOption(stage, option);
        EXPECT_EQ(StageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS), DWORD(D3DTTFF_COUNT2));
        const auto transforms = lumiva::d3d9::RecordedCallsNamed("SetTransform");
        if (stage == 5) {
            EXPECT_TRUE(transforms.empty());
        } else {
            D3DXMATRIX scaling, rotation, expected, set;
            D3DXMatrixScaling(&scaling, 2, 3, 1);
            D3DXMatrixRotationYawPitchRoll(&rotation, 0.5f, 0.25f, 0.125f);
            expected = scaling * rotation;
            expected._41 = 0.1f, expected._42 = 0.2f, expected._43 = 0.3f;
            device->GetTransform(D3DTS_TEXTURE1, &set);
            EXPECT_EQ(set, expected);
            ASSERT_EQ(transforms.size(), 1u);
            EXPECT_EQ(transforms[0].args[0], uint64_t(D3DTS_TEXTURE1));
        }
        material.RestoreOption(stage, option);
        EXPECT_EQ(StageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS), DWORD(D3DTTFF_DISABLE));
    }
}

TEST_F(MaterialApplyTest, TexturedStageThenTheFirstEmptyStageIsDisabled) {
    Load({TexturedRecord()});
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF000000);
    ASSERT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
    EXPECT_EQ(StageState(0, D3DTSS_TEXCOORDINDEX), 0u);
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE2X));
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TFACTOR));
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), kDefaultTextureFactor);
    DWORD filter = 0;
    device->GetSamplerState(0, D3DSAMP_MAGFILTER, &filter);
    EXPECT_EQ(filter, DWORD(D3DTEXF_LINEAR));
    device->GetSamplerState(0, D3DSAMP_MIPFILTER, &filter);
    EXPECT_EQ(filter, DWORD(D3DTEXF_NONE));
    EXPECT_EQ(StageTexture(0), material.records[0].stageTextures[0]->texture);
    EXPECT_EQ(StageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(StageState(1, D3DTSS_ALPHAOP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(StageTexture(1), nullptr);

    // The stage's option gives its states and the factor back.
    material.Restore(0);
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0xFF000000u);
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_CURRENT));
}

TEST_F(MaterialApplyTest, WithoutTexturesStageZeroIsDisabled) {
    Load({mtlfile::Record{}});
    StartRecording();
    ASSERT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(CallsNamed({"SetTexture"}), (std::vector<std::string>{"SetTexture 0 0"}));
}

// Doubled against the mid-grey factor, a texture draws as it is.
TEST_F(MaterialApplyTest, DefaultStageOptionKeepsTheTextureColour) {
    Load({TexturedRecord()});
    BeginDraw(0xFF0000FF);
    ASSERT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // as the mesh draws
    DrawScreenQuad();
    EndDraw();
    const D3DCOLOR pixel = Pixel(8, 8);
    EXPECT_NEAR(int(pixel >> 16), 0xFF, 1);
    EXPECT_EQ(pixel & 0xFFFF, 0u);
}

// The overlay takes the first stage without a texture; the stage after it
// is disabled.
class MaterialOverlayTest : public MaterialApplyTest {
protected:
    void SetUp() override {
        MaterialApplyTest::SetUp();
        const D3DCOLOR colours[3] = {0xFF444444, 0xFF00FF00, 0xFF0000FF};
        std::vector<SprPixels> frames;
        for (D3DCOLOR c : colours) frames.push_back(SprPixels{4, 4, 0, 0, std::vector<uint32_t>(16, c)});
        WriteModuleFile(kOverlayPath, WriteSpr(SprSpriteInfo{4, 4}, frames));
        cache = std::make_unique<KImageCache>(nullptr);
        Load({TexturedRecord()});
        material.overlayName = kOverlayPath;
        material.overlayClock.frameCount = 3;
        material.overlayClock.frameInterval = 100;
        material.overlayClock.lastStepTime = timeGetTime();
    }
    void TearDown() override {
        cache.reset();
        MaterialApplyTest::TearDown();
    }
    IDirect3DTexture9* FrameTexture(int frame) {
        DWORD id = 0;
        int16_t hint = -1;
        auto* sprite = dynamic_cast<KSprImage*>(cache->GetImage(kOverlayPath, &id, &hint, frame, 1, 0, 1, 0, 0));
        return sprite ? sprite->GetTileTexture(frame, 0) : nullptr;
    }

    std::unique_ptr<KImageCache> cache;
};

TEST_F(MaterialOverlayTest, OverlayStageFollowsTheClockAndTheMode) {
    const std::pair<int32_t, DWORD> modes[] = {{2, D3DTSS_TCI_CAMERASPACENORMAL},
                                               {3, D3DTSS_TCI_CAMERASPACEPOSITION},
                                               {4, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR},
                                               {0, 0},
                                               {7, 0}};
    int frame = 0;
    for (const auto& [mode, index] : modes) {
        material.overlayMode = mode;
        lumiva::win32::AdvanceClock(100);
        frame = (frame + 1) % 3;
        ASSERT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
        EXPECT_EQ(material.overlayClock.currentFrame, frame);
        EXPECT_EQ(StageState(1, D3DTSS_TEXCOORDINDEX), index) << mode;
        EXPECT_EQ(StageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE2X));
        EXPECT_EQ(StageState(1, D3DTSS_COLORARG1), DWORD(D3DTA_TEXTURE));
        EXPECT_EQ(StageState(1, D3DTSS_COLORARG2), DWORD(D3DTA_CURRENT));
        EXPECT_EQ(StageState(1, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
        EXPECT_EQ(StageState(1, D3DTSS_ALPHAARG1), DWORD(D3DTA_CURRENT));
        ASSERT_NE(FrameTexture(frame), nullptr);
        EXPECT_EQ(StageTexture(1), FrameTexture(frame)) << mode;
        EXPECT_EQ(StageState(2, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
        EXPECT_EQ(StageTexture(2), nullptr);
    }
    // The clock keeps the picture's cache slots.
    EXPECT_NE(material.overlayClock.pictureId, 0u);
}

TEST_F(MaterialOverlayTest, OverlayModulatesWhatTheStagesBeforeItDrew) {
    material.overlayClock.lastStepTime = timeGetTime();  // frame 0: grey 0x44, which sprites keep in four bits
    BeginDraw();
    ASSERT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // as the mesh draws
    DrawScreenQuad();
    EndDraw();
    // Red 0xFE (texture x mid grey x 2) x 0x44 x 2.
    const D3DCOLOR pixel = Pixel(8, 8);
    EXPECT_NEAR(int(pixel >> 16), 0xFE * 0x44 * 2 / 0xFF, 1);
    EXPECT_EQ(pixel & 0xFFFF, 0u);
}

// The stage without a texture passes what stage 0 drew instead of
// doubling it: the model draws as if it had no overlay.
TEST_F(MaterialOverlayTest, MissingOverlayPictureLeavesTheStageWithoutTexture) {
    material.overlayName = "\\model\\none.spr";
    device->SetTexture(1, FrameTexture(0));
    BeginDraw();
    ASSERT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
    EXPECT_EQ(StageTexture(1), nullptr);
    EXPECT_EQ(StageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE2X));
    EXPECT_EQ(StageState(2, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // as the mesh draws
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF404040u);  // stage 0: red 0xFF x 0x40 x 2
    DrawScreenQuad();
    EndDraw();
    EXPECT_EQ(Pixel(8, 8), 0x800000u);
}

// Twice the clock passes 2^32 after 25 days of uptime.
TEST_F(MaterialApplyTest, TextureTimeWrapsLateInTheClock) {
    Load({TexturedRecord()});
    lumiva::win32::SetClock(3000000000ull);
    EXPECT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
    EXPECT_EQ(StageTexture(0), material.records[0].stageTextures[0]->texture);
}

}  // namespace
}  // namespace model_test::material_apply_test
