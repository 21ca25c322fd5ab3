// The model object: slot order and defaults, resources by name, playing and
// pausing, binding to dummies, recolouring and the overlay picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ModelManagerFixture.h"
#include "SprWriter.h"
#include "scene/KAnimation.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "scene/NodeRegistration.h"
#include "support/VirtualSlot.h"
#include "textures/ImageCache.h"
#include "win32/Control.h"

namespace model_test::model_object_test {
namespace {

constexpr const char* kMesh = "\\model\\hero.mesh";
constexpr const char* kMaterial = "\\model\\hero.mtl";
constexpr const char* kAnimation = "\\model\\hero.anim";

class ModelObjectTest : public ModelManagerTest {
protected:
    void SetUp() override {
        ModelManagerTest::SetUp();
        WriteMesh(kMesh);
        WriteMaterial(kMaterial);
        // Track bones: one the mesh has, one it lacks, another it has.
        WriteAnimation(kAnimation, {"idle", "walk"}, {"bone2", "ghost", "bone0"});
    }
    KModel* MeshModel() {
        KModel* model = NewModel();
        EXPECT_EQ(model->SetMesh(kMesh, 0), 0);
        return model;
    }
};

TEST_F(ModelObjectTest, OperationsInSlotOrder) {
    using test_support::SlotOf;
    EXPECT_EQ(SlotOf(&KModel::BindTo), 11);
    EXPECT_EQ(SlotOf(&KModel::Unbind), 12);
    EXPECT_EQ(SlotOf(&KModel::Update), 14);
    const long slots[] = {
        SlotOf(&KModel::Reserved1),          SlotOf(&KModel::SetMesh),
        SlotOf(&KModel::InitMesh),           SlotOf(&KModel::SetMaterial),
        SlotOf(&KModel::Reserved2),          SlotOf(&KModel::InitMaterial),
        SlotOf(&KModel::Reserved3),          SlotOf(&KModel::SetAnimation),
        SlotOf(&KModel::AddAnimation),       SlotOf(&KModel::Reserved4),
        SlotOf(&KModel::PlayAnimation),      SlotOf(&KModel::Reserved5),
        SlotOf(&KModel::SetPaused),          SlotOf(&KModel::GetAnimationState),
        SlotOf(&KModel::GetAnimationLength), SlotOf(&KModel::SetScale),
        SlotOf(&KModel::SetScaleFactor),     SlotOf(&KModel::SetMeshFlag),
        SlotOf(&KModel::SetMeshParams),      SlotOf(&KModel::SetShadowTextureName),
        SlotOf(&KModel::GetScale),           SlotOf(&KModel::Reserved6),
        SlotOf(&KModel::SetComputeTransform), SlotOf(&KModel::UpdateBindEffects),
        SlotOf(&KModel::SetAlpha),           SlotOf(&KModel::SetDepthWrite),
        SlotOf(&KModel::SetGlobalFlag),      SlotOf(&KModel::LoadBindEffectFile),
        SlotOf(&KModel::LoadEffectList),     SlotOf(&KModel::RemoveBindEffect),
        SlotOf(&KModel::AddBindEffect),      SlotOf(&KModel::SetBindEffectSocket),
        SlotOf(&KModel::SetMaterialValue),
    };
    // The table's first entry (order 1) is the destructor's pair: order n
    // from 19 on sits in entry n.
    for (size_t i = 0; i < std::size(slots); ++i) EXPECT_EQ(slots[i], long(19 + i)) << i;
}

TEST_F(ModelObjectTest, NewModelDefaults) {
    g_AdditiveBlend = 1;
    KModel model;
    EXPECT_EQ(g_AdditiveBlend, 0u);
    EXPECT_EQ(model.device, nullptr);
    EXPECT_EQ(model.computeTransform, 1);
    EXPECT_EQ(model.currentTrack, -1);
    EXPECT_EQ(model.animationMode, 1);
    EXPECT_EQ(model.speed, 4.0f);
    EXPECT_EQ(model.startTime, float(kClockStartMs));
    EXPECT_EQ(model.alpha, 1.0f);
    EXPECT_EQ(*model.GetScale(), D3DXVECTOR3(1, 1, 1));
    EXPECT_EQ(model.scaleFactor, D3DXVECTOR3(1, 1, 1));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(model.worldMatrix, identity);
    EXPECT_EQ(model.externalWorld, identity);
    for (int32_t entry : model.trackBones) ASSERT_EQ(entry, -1);
    EXPECT_EQ(model.trailDummies[0], -1);
    EXPECT_EQ(model.trailDummies[1], -1);
    EXPECT_EQ(model.bindEffectsOn, 1);
    EXPECT_EQ(model.shapeTimeDivisor, 1000);
    const int32_t params[] = {1, 64, 128, 0, 0};
    EXPECT_EQ(std::memcmp(model.shapeParams, params, sizeof params), 0);
    EXPECT_EQ(model.SetDevice(nullptr), 1);
    EXPECT_EQ(model.SetDevice(device), 0);
    EXPECT_EQ(model.device, device);
}

TEST_F(ModelObjectTest, ReservedSlotsChangeNothing) {
    KModel* model = MeshModel();
    EXPECT_EQ(model->Reserved1(1, 2), 0);
    EXPECT_EQ(model->Reserved2(1, 2, 3, 4), 0);
    EXPECT_EQ(model->Reserved3(1, 2), 0);
    EXPECT_EQ(model->Reserved4(1, 2, 3, 4), 0);
    EXPECT_EQ(model->Reserved5(1, 2, 3), 0);
    EXPECT_EQ(model->Reserved6(1), 0);
    EXPECT_TRUE(model->Update());
}

TEST_F(ModelObjectTest, SetByNameResults) {
    KModel bare;  // no device, no record
    EXPECT_EQ(bare.SetMesh(kMesh, 0), 1);
    EXPECT_EQ(bare.SetMaterial(kMaterial, 0), 1);
    EXPECT_EQ(bare.InitMaterial(kMaterial), 1);

    KModel* model = NewModel();
    EXPECT_EQ(model->SetMesh("\\model\\missing.mesh", 0), E_FAIL);
    // A material that cannot be loaded leaves the model without one.
    EXPECT_EQ(model->SetMaterial("\\model\\missing.mtl", 0), 1);
    EXPECT_EQ(model->SetAnimation("\\model\\missing.anim", 0), E_FAIL);
    EXPECT_EQ(model->AddAnimation("\\model\\missing.anim", 0), E_FAIL);
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{0, 0, 0, 1}));

    EXPECT_EQ(model->SetMesh(kMesh, 0), 0);
    EXPECT_EQ(model->SetMaterial(kMaterial, 0), 0);
    EXPECT_EQ(model->material->texturesPrepared, 1);
    EXPECT_EQ(model->SetAnimation(kAnimation, 0), 0);
    EXPECT_EQ(model->InitMaterial(kMaterial), 0);
    // The names held, in other letters: nothing is loaded again.
    RemoveModuleFile(kMesh);
    RemoveModuleFile(kMaterial);
    RemoveModuleFile(kAnimation);
    EXPECT_EQ(model->SetMesh("\\MODEL\\Hero.Mesh", 0), 0);
    EXPECT_EQ(model->SetMaterial("\\MODEL\\HERO.MTL", 0), 0);
    EXPECT_EQ(model->AddAnimation("\\Model\\Hero.Anim", 0), 0);
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{1, 1, 1, 1}));
    EXPECT_EQ(model->meshRecord->referenceCount, 1);
    EXPECT_EQ(model->GetTrackCount(), 2u);
    EXPECT_TRUE(model->HasMesh());
}

TEST_F(ModelObjectTest, PlayAnimationReachesPlainChildrenAndFillsTheTable) {
    KModel* parent = MeshModel();
    KModel* child = MeshModel();
    ASSERT_TRUE(parent->AttachChild(child, nullptr, nullptr));
    lumiva::win32::AdvanceClock(250);
    EXPECT_EQ(parent->PlayAnimation(2, kAnimation, 1.5f), 0);
    for (KModel* model : {parent, child}) {
        EXPECT_NE(model->animation, nullptr);
        EXPECT_EQ(model->currentTrack, 0);
        EXPECT_EQ(model->animationMode, 2);
        EXPECT_EQ(model->speed, 1.5f);
        EXPECT_EQ(model->startTime, float(kClockStartMs + 250));
        EXPECT_EQ(model->trackBones[0], 2);
        EXPECT_EQ(model->trackBones[1], -1);
        EXPECT_EQ(model->trackBones[2], 0);
        EXPECT_EQ(model->trackBones[3], -1);
    }
    EXPECT_EQ(AnimationRecord(kAnimation)->referenceCount, 2);
    parent->DetachChild(child);
}

TEST_F(ModelObjectTest, PlayingAFileWithoutTracksKeepsTheState) {
    WriteAnimation("\\model\\empty.anim", {});
    KModel* model = MeshModel();
    model->pauseStamp = 7;
    EXPECT_EQ(model->PlayAnimation(3, "\\model\\empty.anim", 9.0f), 0);
    EXPECT_NE(model->animation, nullptr);
    EXPECT_EQ(model->currentTrack, -1);
    EXPECT_EQ(model->animationMode, 1);
    EXPECT_EQ(model->speed, 4.0f);
    EXPECT_EQ(model->startTime, float(kClockStartMs));
    EXPECT_EQ(model->pauseStamp, 7u);
    EXPECT_EQ(model->GetAnimationLength(), 0.0f);
    EXPECT_EQ(model->GetAnimationProgress(nullptr), 0.0f);
}

TEST_F(ModelObjectTest, PausingFreezesTheClock) {
    KModel model;
    lumiva::win32::AdvanceClock(100);
    model.SetPaused(1);
    lumiva::win32::AdvanceClock(200);
    model.SetPaused(1);  // the first stamp stays
    EXPECT_EQ(model.pauseStamp, kClockStartMs + 100);
    lumiva::win32::AdvanceClock(300);
    model.SetPaused(0);
    EXPECT_EQ(model.pausedTotal, 500u);
    EXPECT_EQ(model.paused, 0);
    model.SetPaused(0);
    EXPECT_EQ(model.pausedTotal, 500u);
}

TEST_F(ModelObjectTest, AnimationFlagOnePausesTheModelAndItsPlainChildren) {
    KModel* parent = MeshModel();
    KModel* child = MeshModel();
    ASSERT_TRUE(parent->AttachChild(child, nullptr, nullptr));
    parent->SetAnimationFlag(1);  // no animation yet: nothing
    EXPECT_EQ(parent->paused, 0);
    ASSERT_EQ(parent->SetAnimation(kAnimation, 0), 0);
    EXPECT_EQ(parent->GetAnimationFlag(), 0);
    parent->SetAnimationFlag(1);
    EXPECT_EQ(parent->GetAnimationFlag(), 1);
    EXPECT_EQ(parent->paused, 1);
    EXPECT_EQ(child->paused, 1);
    parent->DetachChild(child);
}

TEST_F(ModelObjectTest, ProgressStateAndLength) {
    WriteAnimation("\\model\\second.anim", {"swing"}, {"bone0"}, 10);  // 1000 ms
    KModel* model = MeshModel();
    ASSERT_EQ(model->PlayAnimation(1, "\\model\\second.anim", 1.0f), 0);
    EXPECT_EQ(model->GetAnimationLength(), 1000.0f);
    lumiva::win32::AdvanceClock(1500);
    EXPECT_FLOAT_EQ(model->GetAnimationProgress(nullptr), 0.5f);
    EXPECT_FLOAT_EQ(model->GetAnimationProgress("swing"), 0.5f);
    EXPECT_EQ(model->GetAnimationProgress("absent"), 0.0f);

    int mode = 0;
    float speed = 0;
    char name[32] = "unchanged";
    EXPECT_EQ(model->GetAnimationState(&mode, name, &speed), 0);
    EXPECT_EQ(mode, 1);
    EXPECT_STREQ(name, "swing");
    EXPECT_EQ(speed, 1.0f);
    model->currentTrack = 5;
    std::strcpy(name, "unchanged");
    EXPECT_EQ(model->GetAnimationState(&mode, name, &speed), 5);
    EXPECT_STREQ(name, "unchanged");
    EXPECT_EQ(model->GetAnimationState(&mode, nullptr, &speed), 5);

    model->SetAnimationPosition(0.25f);
    EXPECT_EQ(model->startTime, float(kClockStartMs + 1500 - 250));
}

TEST_F(ModelObjectTest, FindBoneIsExact) {
    KModel bare;
    EXPECT_EQ(bare.FindBone("dummy0"), -1);
    KModel* model = MeshModel();
    EXPECT_EQ(model->FindBone("dummy0"), 0);
    EXPECT_EQ(model->FindBone("dummy1"), 1);
    EXPECT_EQ(model->FindBone("Dummy1"), -1);
    EXPECT_EQ(model->FindBone("dummy"), -1);
    EXPECT_EQ(model->FindBone("bone0"), -1);  // a bone, not a dummy
    EXPECT_EQ(model->FindBone(""), -1);
    EXPECT_EQ(model->FindBone(nullptr), -1);
}

TEST_F(ModelObjectTest, BindingPassesToPlainChildrenAndTheParent) {
    KModel other, top, middle, bottom;
    ASSERT_TRUE(top.AttachChild(&middle, nullptr, nullptr));
    ASSERT_TRUE(middle.AttachChild(&bottom, nullptr, nullptr));
    EXPECT_TRUE(middle.BindTo(&middle, "hand", nullptr));
    EXPECT_EQ(middle.bound, 0);

    EXPECT_TRUE(middle.BindTo(&other, "hand", "grip"));
    for (KModel* model : {&top, &middle, &bottom}) {
        EXPECT_EQ(model->bound, 1);
        EXPECT_EQ(model->boundNode, &other);
        ASSERT_NE(model->dummyName, nullptr);
        EXPECT_STREQ(model->dummyName, "hand");
        ASSERT_NE(model->secondDummyName, nullptr);
        EXPECT_STREQ(model->secondDummyName, "grip");
    }
    // The name bound already, on any node: kept as it is.
    KModel elsewhere;
    EXPECT_TRUE(bottom.BindTo(&elsewhere, "hand", nullptr));
    EXPECT_EQ(bottom.boundNode, &other);

    EXPECT_TRUE(middle.Unbind(&elsewhere));  // not its node: nothing
    EXPECT_EQ(middle.bound, 1);
    EXPECT_TRUE(middle.Unbind(&other));
    for (KModel* model : {&top, &middle, &bottom}) {
        EXPECT_EQ(model->bound, 0);
        EXPECT_EQ(model->boundNode, nullptr);
        EXPECT_EQ(model->dummyName, nullptr);
        EXPECT_EQ(model->secondDummyName, nullptr);
    }

    EXPECT_TRUE(bottom.BindTo(&other, "foot", nullptr));
    EXPECT_EQ(top.bound, 1);
    EXPECT_EQ(top.secondDummyName, nullptr);
    EXPECT_TRUE(middle.UnbindAll());
    EXPECT_EQ(top.bound + middle.bound + bottom.bound, 0);
    EXPECT_TRUE(middle.UnbindAll());

    EXPECT_FALSE(bottom.BindTo(nullptr, "knee", nullptr));
    EXPECT_EQ(bottom.bound, 0);
}

// Longer names used to run past the 30-character buffers.
TEST_F(ModelObjectTest, DummyNamesAreCutToTheirBuffer) {
    KModel other, model;
    const std::string longName(40, 'd');
    EXPECT_TRUE(model.BindTo(&other, longName.c_str(), longName.c_str()));
    EXPECT_EQ(std::string(model.dummyName), std::string(29, 'd'));
    EXPECT_EQ(std::string(model.secondDummyName), std::string(29, 'd'));
}

// A bone-bound child unbinds through the model's own Unbind when either
// end goes.
TEST_F(ModelObjectTest, DeletingABoundModelUnbindsIt) {
    auto* rider = new KModel;
    KModel horse;
    ASSERT_TRUE(horse.AttachChild(rider, "saddle", nullptr));
    EXPECT_EQ(rider->bound, 1);
    auto* carried = new KModel;
    ASSERT_TRUE(rider->AttachChild(carried, "hand", nullptr));
    // An enabled rider losing its parent as it goes is never registered.
    rider->SetEnabled(1);
    static std::vector<IK3DSceneNode*> registered;
    registered.clear();
    SetRegisterNodeFn([](IK3DSceneNode* node) {
        registered.push_back(node);
        return true;
    });
    const IK3DSceneNode* riderNode = rider;
    delete rider;
    SetRegisterNodeFn(nullptr);
    EXPECT_TRUE(std::find(registered.begin(), registered.end(), riderNode) == registered.end());
    EXPECT_EQ(carried->bound, 0);
    EXPECT_EQ(carried->Parent(), nullptr);
    EXPECT_TRUE(horse.AllChildren().empty());
    delete carried;
}

TEST_F(ModelObjectTest, MeshValuesReachTheShadowQuadAndColour) {
    KModel bare;
    bare.SetMeshFlag(1);
    bare.SetMeshParams(1, 2, 3, 4, 5);
    bare.SetShadowTextureName("shadow.png");
    bare.SetMeshColor(0xFF00FF00);
    D3DXVECTOR3 low(9, 9, 9), high(9, 9, 9);
    bare.GetBounds(&low, &high);
    EXPECT_EQ(low, D3DXVECTOR3(9, 9, 9));

    KModel* model = MeshModel();
    model->SetMeshFlag(1);
    model->SetMeshParams(1, 2, 3, 4, 5);
    model->SetShadowTextureName("shadow.png");
    model->SetMeshColor(0xFF00FF00);
    const KShadowQuad& quad = model->mesh->shadowQuad;
    EXPECT_EQ(quad.shadowFlag, 1);
    EXPECT_EQ(quad.centreX, 1.0f);
    EXPECT_EQ(quad.centreZ, 2.0f);
    EXPECT_EQ(quad.halfWidth, 3.0f);
    EXPECT_EQ(quad.halfDepth, 4.0f);
    EXPECT_EQ(quad.alpha, 5);
    EXPECT_EQ(quad.textureName, "shadow.png");
    EXPECT_EQ(model->mesh->colour, 0xFF00FF00u);
    model->GetBounds(&low, &high);
    EXPECT_EQ(low, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(high, D3DXVECTOR3(2, 0, 2));

    const float s[3] = {2, 3, 4};
    model->SetScale(s);
    model->SetScaleFactor(s);
    EXPECT_EQ(*model->GetScale(), D3DXVECTOR3(2, 3, 4));
    EXPECT_EQ(model->scaleFactor, D3DXVECTOR3(2, 3, 4));
    model->SetComputeTransform(0);
    EXPECT_EQ(model->computeTransform, 0);
    EXPECT_EQ(model->SetAlpha(0.5f), 0);
    EXPECT_EQ(model->alpha, 0.5f);
    EXPECT_EQ(model->SetDepthWrite(), 0);
    EXPECT_EQ(model->depthWrite, 1);
    EXPECT_EQ(model->SetGlobalFlag(3), 0);
    EXPECT_EQ(g_AdditiveBlend, 3u);
    model->worldPosition = D3DXVECTOR3(5, 6, 7);
    float x = 0, y = 0, z = 0;
    model->GetBindValues(&x, &y, &z);
    EXPECT_EQ(D3DXVECTOR3(x, y, z), D3DXVECTOR3(5, 6, 7));
}

struct RecolorCase {
    const char* name;
    D3DCOLOR meshColour;
    int offset;
    float alpha;
    D3DCOLOR factor;
};

class ModelRecolorTest : public ModelObjectTest, public ::testing::WithParamInterface<RecolorCase> {};

TEST_P(ModelRecolorTest, FactorFollowsColourOffsetAndAlpha) {
    const RecolorCase& c = GetParam();
    KModel* model = MeshModel();
    ASSERT_EQ(model->SetMaterial(kMaterial, 0), 0);
    model->SetMeshColor(c.meshColour);
    model->SetAlpha(c.alpha);
    model->RecolorMaterials(c.offset);
    KStageStatesOption* states = model->material->records[0].stageOptions[0][0].StageStates();
    ASSERT_NE(states, nullptr);
    EXPECT_EQ(states->textureFactor, c.factor);
    EXPECT_EQ(states->colorOp, DWORD(D3DTOP_MODULATE2X));
    EXPECT_EQ(states->colorArg1, DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(states->colorArg2, DWORD(D3DTA_TFACTOR));
    EXPECT_EQ(states->alphaArg1, DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(states->alphaArg2, DWORD(D3DTA_TFACTOR));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelRecolorTest,
    ::testing::Values(RecolorCase{"white", 0xFFFFFFFF, 0, 1.0f, 0xFF7F7F7F},
                      RecolorCase{"white_offset_wraps", 0xFFFFFFFF, 200, 1.0f, 0xFF474747},
                      RecolorCase{"half_colour_plus_offset", 0xFF204060, 10, 1.0f, 0xFF1A2A3A},
                      RecolorCase{"offset_clamps_high", 0xFF00FFFE, 200, 1.0f, 0xFFC8FFFF},
                      RecolorCase{"offset_clamps_low", 0xFF204060, -40, 1.0f, 0xFF000008},
                      RecolorCase{"half_alpha", 0xFFFFFFFF, 0, 0.5f, 0x7F7F7F7F},
                      RecolorCase{"alpha_clamps", 0xFFFFFFFF, 0, 2.0f, 0xFF7F7F7F},
                      RecolorCase{"negative_alpha", 0xFFFFFFFF, 0, -1.0f, 0x007F7F7F}),
    CaseName<RecolorCase>);

// Only named stages are recoloured, up to the first without a name; with
// no mesh the factor is left.
TEST_F(ModelObjectTest, RecolourStopsAtTheFirstEmptyStage) {
    KModel* model = NewModel();
    ASSERT_EQ(g_pModelManager->LoadMaterial(model->ownRecord, kMaterial), 0);
    KMaterialRecord& record = model->material->records[0];
    record.stageOptions[1] = record.stageOptions[0];
    record.stageTextureNames[1].clear();
    KStageStatesOption* second = record.stageOptions[1][0].StageStates();
    second->colorArg2 = D3DTA_CURRENT;
    model->RecolorMaterials(0);
    KStageStatesOption* first = record.stageOptions[0][0].StageStates();
    EXPECT_EQ(first->colorArg2, DWORD(D3DTA_TFACTOR));
    EXPECT_EQ(first->textureFactor, kDefaultTextureFactor);
    EXPECT_EQ(second->colorArg2, DWORD(D3DTA_CURRENT));
    KModel bare;
    bare.RecolorMaterials(5);  // no material: nothing
}

// The recoloured stage as drawn: a grey texture times twice the factor.
TEST_F(ModelObjectTest, RecolouredStageDrawsTextureTimesTwiceTheFactor) {
    WriteModuleFile("\\model\\texture\\skin.dds", FlatDds(0xFF848284));  // exact in R5G6B5
    KModel* model = MeshModel();
    ASSERT_EQ(model->SetMaterial(kMaterial, 0), 0);
    model->SetMeshColor(0xFF40C080);
    model->RecolorMaterials(0);  // factor (0x20, 0x60, 0x40)
    BeginDraw();
    ASSERT_EQ(model->material->Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // the record's own culling would drop the quad
    DrawScreenQuad();
    EndDraw();
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0xFF206040u);
    const D3DCOLOR pixel = Pixel(8, 8);
    // Texel x factor x 2, within a step.
    EXPECT_NEAR(int((pixel >> 16) & 255), 0x84 * 0x20 * 2 / 255, 1);
    EXPECT_NEAR(int((pixel >> 8) & 255), 0x82 * 0x60 * 2 / 255, 1);
    EXPECT_NEAR(int(pixel & 255), 0x84 * 0x40 * 2 / 255, 1);
    model->material->Restore(0);
}

TEST_F(ModelObjectTest, MaterialTextureTakesTheSpritesFrameClock) {
    KImageCache cache(nullptr);
    SprSpriteInfo info{4, 4};
    info.word18 = 80;
    const SprPixels frame{4, 4, 0, 0, std::vector<uint32_t>(16, 0xFF336699)};
    WriteModuleFile("\\spr\\glow.spr", WriteSpr(info, std::vector<SprPixels>(3, frame)));
    KModel* model = MeshModel();
    model->SetMaterialTexture("\\spr\\glow.spr", 2);  // no material: nothing
    ASSERT_EQ(model->SetMaterial(kMaterial, 0), 0);
    model->SetMaterialTexture("\\spr\\glow.spr", 2);
    KMaterial& material = *model->material;
    EXPECT_EQ(material.overlayName, "\\spr\\glow.spr");
    EXPECT_EQ(material.overlayMode, 2);
    EXPECT_EQ(material.overlayClock.frameCount, 3);
    EXPECT_EQ(material.overlayClock.frameInterval, 80);
    EXPECT_NE(material.overlayClock.pictureId, 0u);

    model->SetMaterialTexture("\\spr\\missing.spr", 3);
    EXPECT_EQ(material.overlayName, "");
    model->SetMaterialTexture("\\spr\\glow.spr", 2);
    model->SetMaterialTexture(nullptr, 2);
    EXPECT_EQ(material.overlayName, "");
    model->SetMaterialTexture("\\spr\\glow.spr", 2);
    model->SetMaterialTexture("", 2);
    EXPECT_EQ(material.overlayName, "");
}

TEST_F(ModelObjectTest, MaterialValueReachesEveryCullOption) {
    KModel* model = NewModel();
    model->SetMaterialValue(D3DCULL_NONE);  // no material: nothing
    ASSERT_EQ(g_pModelManager->LoadMaterial(model->ownRecord, kMaterial), 0);
    model->SetMaterialValue(D3DCULL_NONE);
    for (KMaterialOption& option : model->material->records[0].options)
        if (auto* cull = std::get_if<KCullOption>(&option.data)) {
            EXPECT_EQ(cull->cullMode, DWORD(D3DCULL_NONE));
        }
}

}  // namespace
}  // namespace model_test::model_object_test
