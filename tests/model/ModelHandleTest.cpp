// The model handle: slot order, argument adaptations, the trail name, the
// handle's own shadow and a handle without a model.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ModelManagerFixture.h"
#include "scene/KShadowQuad.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "scene/KModelProxy.h"
#include "support/VirtualSlot.h"

namespace model_test::model_handle_test {
namespace {

constexpr const char* kMesh = "\\model\\hero.mesh";

class ModelHandleTest : public ModelManagerTest {
protected:
    void SetUp() override {
        ModelManagerTest::SetUp();
        WriteMesh(kMesh);
    }
};

TEST_F(ModelHandleTest, OperationsInSlotOrder) {
    using test_support::SlotOf;
    using P = KModelProxy;
    const long slots[] = {
        SlotOf(&P::GetShapeState),        SlotOf(&P::ClearShapeState),     SlotOf(&P::SetShapeTimeDivisor),
        SlotOf(&P::SetShapeParams),       SlotOf(&P::GetModel),            SlotOf(&P::SetColor),
        SlotOf(&P::GetColor),             SlotOf(&P::AttachChild),         SlotOf(&P::AttachTo),
        SlotOf(&P::BindTo),               SlotOf(&P::Unbind),              SlotOf(&P::UnbindAll),
        SlotOf(&P::GetBindValues),        SlotOf(&P::Detach),              SlotOf(&P::GetAnimationProgress),
        SlotOf(&P::GetAnimationFlag),     SlotOf(&P::SetAnimationFlag),    SlotOf(&P::HasMesh),
        SlotOf(&P::GetTrackCount),        SlotOf(&P::SetMaterial),         SlotOf(&P::InitMaterial),
        SlotOf(&P::SetMesh),              SlotOf(&P::InitMesh),            SlotOf(&P::SetPaused),
        SlotOf(&P::PlayAnimation),        SlotOf(&P::Clear),               SlotOf(&P::SetAlpha),
        SlotOf(&P::SetDepthWrite),        SlotOf(&P::UpdateBindEffects),   SlotOf(&P::SetGlobalFlag),
        SlotOf(&P::SetAnimationPosition), SlotOf(&P::SetHeading),          SlotOf(&P::SetPosition),
        SlotOf(&P::SetScale),             SlotOf(&P::SetScaleFactor),      SlotOf(&P::SetAnimationSpeed),
        SlotOf(&P::GetAnimationLength),   SlotOf(&P::Reserved),            SlotOf(&P::SetMeshFlag),
        SlotOf(&P::SetMeshParams),        SlotOf(&P::SetShadowTextureName), SlotOf(&P::SetColorOffset),
        SlotOf(&P::GetColorOffset),       SlotOf(&P::SetMaterialTexture),  SlotOf(&P::IsTrailLoaded),
        SlotOf(&P::GetTrailFileName),     SlotOf(&P::LoadTrail),           SlotOf(&P::StartTrail),
        SlotOf(&P::StopTrail),            SlotOf(&P::LoadEffectList),      SlotOf(&P::RemoveBindEffect),
        SlotOf(&P::RemoveAllBindEffects), SlotOf(&P::AddBindEffect),       SlotOf(&P::SetBindEffectSocket),
        SlotOf(&P::GetBounds),            SlotOf(&P::SetAnimationMode),    SlotOf(&P::SetMaterialValue),
        SlotOf(&P::SetCoolTrail),         SlotOf(&P::SetBindFlag),         SlotOf(&P::SetEnabled),
        SlotOf(&P::IsEnabled),            SlotOf(&P::UpdateTree),          SlotOf(&P::GetPosition),
        SlotOf(&P::SetMotionMode),        SlotOf(&P::AttachByName),        SlotOf(&P::SetEffectDirection),
        SlotOf(&P::SetEffectScale),       SlotOf(&P::GetSceneNode),        SlotOf(&P::SetShapeFlag),
        SlotOf(&P::GetShapeFlag),         SlotOf(&P::AddRef),              SlotOf(&P::Release),
        SlotOf(&P::DrawShadow),
    };
    ASSERT_EQ(std::size(slots), 73u);
    for (size_t i = 0; i < std::size(slots); ++i) EXPECT_EQ(slots[i], long(i)) << i;
}

TEST_F(ModelHandleTest, InitTakesAModelAndClearGivesItBack) {
    KModelProxy handle;
    EXPECT_EQ(handle.colour, 0xFFFFFFFFu);
    EXPECT_EQ(handle.referenceCount, 1);
    ASSERT_TRUE(handle.Init());
    ASSERT_NE(handle.model, nullptr);
    EXPECT_EQ(handle.model->proxy, &handle);
    EXPECT_EQ(MapSizes()[3], 1u);
    EXPECT_EQ(handle.SetMesh(kMesh), 0);
    EXPECT_EQ(handle.SetMesh(""), E_FAIL);
    EXPECT_TRUE(handle.HasMesh());
    handle.Clear();
    EXPECT_EQ(handle.model, nullptr);
}

TEST_F(ModelHandleTest, ArgumentAdaptations) {
    KModelProxy handle;
    ASSERT_TRUE(handle.Init());
    ASSERT_EQ(handle.SetMesh(kMesh), 0);
    handle.SetHeading(0, 0.5f, 0.25f, 0, 0);
    float h[3] = {};
    handle.model->GetHeading(&h[0], &h[1], &h[2]);
    EXPECT_FLOAT_EQ(h[0], 0.5f);
    EXPECT_FLOAT_EQ(h[1], 0.25f);
    EXPECT_FLOAT_EQ(h[2], 3.1415927f);
    handle.SetScaleFactor(2.0f);
    EXPECT_EQ(handle.model->scaleFactor, D3DXVECTOR3(2, 2, 2));

    // The colour, offset and shadow flag reach the model with ApplyColor.
    handle.SetColor(0xFF102030);
    handle.SetMeshFlag(1);
    handle.model->SetMeshFlag(0);
    handle.ApplyColor();
    EXPECT_EQ(handle.model->mesh->colour, 0xFF102030u);
    EXPECT_EQ(handle.model->mesh->shadowQuad.shadowFlag, 1);

    float matrix[16] = {};
    for (int i = 0; i < 16; ++i) matrix[i] = float(i);
    handle.SetModelMatrix(matrix);
    EXPECT_EQ(handle.model->externalWorld._43, 14.0f);
}

TEST_F(ModelHandleTest, TrailFileNameKeepsSeventyNineCharacters) {
    KModelProxy handle;
    EXPECT_FALSE(handle.LoadTrail("a.ini"));  // no model
    EXPECT_EQ(handle.GetTrailFileName(), nullptr);
    ASSERT_TRUE(handle.Init());
    const std::string longName(100, 'x');
    handle.LoadTrail(longName.c_str());
    EXPECT_EQ(std::string(handle.GetTrailFileName()), longName.substr(0, 79));
    handle.LoadTrail("short.ini");
    EXPECT_EQ(std::string(handle.GetTrailFileName()), "short.ini");
    EXPECT_FALSE(handle.LoadTrail(nullptr));
}

// Every operation of a handle without a model answers its empty value.
TEST_F(ModelHandleTest, ClearedHandleAnswersEmptyValues) {
    KModelProxy other;
    ASSERT_TRUE(other.Init());
    KModelProxy handle;
    ASSERT_TRUE(handle.Init());
    handle.Clear();
    float x = 7, y = 7, z = 7, box[6] = {7, 7, 7, 7, 7, 7};
    EXPECT_EQ(handle.GetShapeState(), 0);
    handle.ClearShapeState();
    handle.SetShapeTimeDivisor(5);
    handle.SetShapeParams(1, 2, 3, 4, 5);
    EXPECT_EQ(handle.GetModel(), nullptr);
    EXPECT_FALSE(handle.AttachChild(&other, nullptr, nullptr));
    EXPECT_FALSE(handle.AttachTo(&other, nullptr));
    EXPECT_FALSE(handle.BindTo(&other, "dummy0", nullptr));
    EXPECT_FALSE(handle.Unbind(&other));
    EXPECT_FALSE(handle.UnbindAll());
    handle.GetBindValues(&x, &y, &z);
    EXPECT_FALSE(handle.Detach(nullptr));
    EXPECT_FALSE(handle.Detach(&other));
    EXPECT_EQ(handle.GetAnimationProgress(nullptr), 0.0f);
    EXPECT_EQ(handle.GetAnimationFlag(), 16);
    handle.SetAnimationFlag(1);
    EXPECT_FALSE(handle.HasMesh());
    EXPECT_EQ(handle.GetTrackCount(), 0u);
    EXPECT_EQ(handle.SetMaterial("a.mtl"), E_FAIL);
    EXPECT_EQ(handle.InitMaterial("a.mtl"), E_FAIL);
    EXPECT_EQ(handle.SetMesh(kMesh), E_FAIL);
    EXPECT_EQ(handle.InitMesh(kMesh), E_FAIL);
    handle.SetPaused(1);
    EXPECT_EQ(handle.PlayAnimation("a.anim", 0, 1), E_FAIL);
    handle.SetAlpha(0.5f);
    handle.SetDepthWrite();
    handle.UpdateBindEffects();
    handle.SetAnimationPosition(0.5f);
    handle.SetHeading(1, 2, 3, 0, 0);
    handle.SetPosition(1, 2, 3, 0);
    handle.SetScale(1, 2, 3);
    handle.SetScaleFactor(2);
    handle.SetAnimationSpeed(2);
    EXPECT_EQ(handle.GetAnimationLength(), 0.0f);
    handle.SetMeshFlag(1);
    handle.SetMeshParams(1, 2, 3, 4, 5);
    handle.SetShadowTextureName("s.png");
    handle.SetMaterialTexture("t.png", 1);
    EXPECT_FALSE(handle.IsTrailLoaded());
    EXPECT_FALSE(handle.LoadTrail("t.ini"));
    handle.StartTrail();
    handle.StopTrail(1);
    EXPECT_FALSE(handle.LoadEffectList("e.ini", 0));
    EXPECT_FALSE(handle.RemoveBindEffect("s"));
    handle.RemoveAllBindEffects();
    EXPECT_FALSE(handle.AddBindEffect("f.a3e", "s", 0, 1, 0));
    EXPECT_FALSE(handle.SetBindEffectSocket("s", "t", 0));
    handle.GetBounds(&box[0], &box[1], &box[2], &box[3], &box[4], &box[5]);
    handle.SetAnimationMode(2);
    handle.SetMaterialValue(1);
    handle.SetCoolTrail(1);
    handle.SetBindFlag(1);
    handle.SetEnabled(1);
    EXPECT_FALSE(handle.IsEnabled());
    EXPECT_FALSE(handle.UpdateTree(0));
    handle.GetPosition(&x, &y, &z, 1);
    handle.SetMotionMode(1, nullptr);
    EXPECT_FALSE(handle.AttachByName("sword.dts"));
    handle.SetEffectDirection(1, 0, 0);
    handle.SetEffectScale(1, 1, 1);
    EXPECT_EQ(handle.GetSceneNode(), nullptr);
    handle.SetShapeFlag(1);
    EXPECT_EQ(handle.GetShapeFlag(), 0);
    handle.DrawShadow(0, 0, 10, 10, 255);
    handle.ApplyColor();
    handle.SetModelMatrix(nullptr);
    EXPECT_EQ(x + y + z, 21.0f);
    for (float v : box) EXPECT_EQ(v, 7.0f);
    EXPECT_EQ(handle.shadowQuad, nullptr);
}

TEST_F(ModelHandleTest, AttachByNameRefusesShortAndUnmakeableNames) {
    KModelProxy handle;
    ASSERT_TRUE(handle.Init());
    for (const char* name : {static_cast<const char*>(nullptr), "", "fire", ".dts"})
        EXPECT_FALSE(handle.AttachByName(name)) << (name ? name : "null");
}

// The shadow quad with the handle's parameters, drawn under the model's
// turn and position; the world transform is given back.
TEST_F(ModelHandleTest, DrawShadowPlacesItsQuadAndRestoresTheWorld) {
    KModelProxy handle;
    ASSERT_TRUE(handle.Init());
    ASSERT_EQ(handle.SetMesh(kMesh), 0);
    handle.SetPosition(1, 2, 3, 0);
    D3DXMATRIX before;
    D3DXMatrixTranslation(&before, 7, 8, 9);
    device->SetTransform(D3DTS_WORLD, &before);
    BeginDraw();
    lumiva::d3d9::EnableRecording(true);
    handle.DrawShadow(4, 5, 6, 7, 200.7f);
    EndDraw();
    ASSERT_NE(handle.shadowQuad, nullptr);
    EXPECT_EQ(handle.shadowQuad->textureName, kHandleShadowTexture);
    EXPECT_EQ(handle.shadowQuad->centreX, 4.0f);
    EXPECT_EQ(handle.shadowQuad->centreZ, 5.0f);
    EXPECT_EQ(handle.shadowQuad->halfWidth, 6.0f);
    EXPECT_EQ(handle.shadowQuad->halfDepth, 7.0f);
    EXPECT_EQ(handle.shadowQuad->alpha, 200);
    size_t worldSets = 0;
    for (const auto& call : lumiva::d3d9::RecordedCallsNamed("SetTransform"))
        if (call.args[0] == D3DTS_WORLD) ++worldSets;
    EXPECT_EQ(worldSets, 2u);
    D3DXMATRIX after;
    device->GetTransform(D3DTS_WORLD, &after);
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace model_test::model_handle_test
