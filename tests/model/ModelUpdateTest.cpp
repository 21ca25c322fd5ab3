// The model's per-frame update: where it places the model, when it samples
// the animation, the skinning retry and the bound-effect set it picks.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include <cmath>

#include "ModelManagerFixture.h"
#include "DtsSamples.h"
#include "DtsWriter.h"
#include "effects/KBindEffectSet.h"
#include "scene/KMaterial.h"
#include "shape/KShapeInstance.h"
#include "shape/KShapeModel.h"
#include "scene/KMesh.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace model_test::model_update_test {
namespace {

constexpr const char* kMesh = "\\model\\hero.mesh";
constexpr const char* kMaterial = "\\model\\hero.mtl";
constexpr const char* kAnimation = "\\model\\hero.anim";

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

void ExpectNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual(r, c), expected(r, c), 1e-4f) << r << "," << c;
}

class ModelUpdateTest : public ModelManagerTest {
protected:
    void SetUp() override {
        ModelManagerTest::SetUp();
        WriteMesh(kMesh);
        WriteMaterial(kMaterial);
        WriteAnimation(kAnimation, {"idle"});
    }
    KModel* MeshModel() {
        KModel* model = NewModel();
        EXPECT_EQ(model->SetMesh(kMesh, 0), 0);
        return model;
    }
    // The world transforms Update set, in order.
    static std::vector<uint64_t> WorldSets() {
        std::vector<uint64_t> sets;
        for (const auto& call : lumiva::d3d9::RecordedCallsNamed("SetTransform"))
            if (call.args[0] == D3DTS_WORLD) sets.push_back(call.args[0]);
        return sets;
    }
};

// The own transform by kind, then the dummy bindings; the device's world
// transform is the same afterwards.
TEST_F(ModelUpdateTest, WorldMatrixByPlacement) {
    KModel* model = MeshModel();
    model->SetHeading(0.5f, 0.25f, 0.125f, 0, 0);
    model->SetPosition(3, 4, 5, 0);
    const float scale[3] = {1, 2, 3}, factor[3] = {2, 9, 9};
    model->SetScale(scale);
    model->SetScaleFactor(factor);
    const D3DXMATRIX before = Translation(7, 8, 9);
    device->SetTransform(D3DTS_WORLD, &before);
    lumiva::d3d9::EnableRecording(true);
    EXPECT_TRUE(model->Update());
    D3DXMATRIX s, pitch, turn, expected;
    D3DXMatrixScaling(&s, 2, 4, 6);
    D3DXMatrixRotationYawPitchRoll(&pitch, 0, 1.57f, 0);
    D3DXMatrixRotationYawPitchRoll(&turn, 0.5f, 0.25f, 0.125f);
    expected = s * pitch * turn;
    expected._41 = 3, expected._42 = 4, expected._43 = 5;
    ExpectNear(model->worldMatrix, expected);
    // Each axis keeps its own scale times the factor's first float.
    const D3DXMATRIX& w = model->worldMatrix;
    EXPECT_NEAR(std::hypot(w._11, w._12, w._13), 2.0f, 1e-4f);
    EXPECT_NEAR(std::hypot(w._21, w._22, w._23), 4.0f, 1e-4f);
    EXPECT_NEAR(std::hypot(w._31, w._32, w._33), 6.0f, 1e-4f);
    EXPECT_EQ(model->worldPosition, D3DXVECTOR3(3, 4, 5));
    EXPECT_GE(WorldSets().size(), 2u);  // the model's, ..., then the one read first
    D3DXMATRIX after;
    device->GetTransform(D3DTS_WORLD, &after);
    EXPECT_EQ(after, before);

    // Compute-transform 0: the external matrix, offset by the world offset.
    model->SetComputeTransform(0);
    model->externalWorld = Translation(1, 2, 3);
    KDrawShell* shell = MakeShell(false);
    ASSERT_EQ(g_pDrawShell, shell);
    shell->worldOffsetSet = 1;
    shell->worldOffset[0] = 10, shell->worldOffset[1] = 20, shell->worldOffset[2] = 30;
    model->Update();
    ExpectNear(model->worldMatrix, Translation(11, 22, 33));
    ReleaseShell();
}

TEST_F(ModelUpdateTest, DummyBindings) {
    KModel* hand = MeshModel();
    KModel* sword = MeshModel();
    ASSERT_EQ(hand->mesh, sword->mesh);  // shared by name: both dummies on one mesh
    hand->mesh->dummies[0].worldMatrix = Translation(0, 2, 0);  // "dummy0", the hand
    hand->mesh->dummies[1].worldMatrix = Translation(1, 0, 0);  // "dummy1", the grip
    hand->SetPosition(5, 0, 0, 0);
    hand->Update();
    sword->SetPosition(-40, 0, 0, 0);

    struct Case {
        const char* dummy;
        const char* second;
        D3DXMATRIX expected;
    };
    const D3DXMATRIX handWorld = hand->worldMatrix;
    D3DXMATRIX own;
    sword->Update();
    own = sword->worldMatrix;
    const Case cases[] = {
        {"dummy0", nullptr, Translation(0, 2, 0) * handWorld},
        {"dummy0", "dummy1", Translation(-1, 0, 0) * Translation(0, 2, 0) * handWorld},
        {"ghost", nullptr, own},
        {"dummy0", "ghost", own},
    };
    for (const Case& c : cases) {
        sword->UnbindAll();
        ASSERT_TRUE(sword->BindTo(hand, c.dummy, c.second));
        sword->Update();
        SCOPED_TRACE(std::string(c.dummy) + " " + (c.second ? c.second : "-"));
        ExpectNear(sword->worldMatrix, c.expected);
    }
    // A dummy matrix without inverse leaves the own transform too.
    sword->UnbindAll();
    D3DXMATRIX flat;
    D3DXMatrixScaling(&flat, 1, 0, 1);
    hand->mesh->dummies[1].worldMatrix = flat;
    sword->BindTo(hand, "dummy0", "dummy1");
    sword->Update();
    ExpectNear(sword->worldMatrix, own);
}

TEST_F(ModelUpdateTest, AnimationTimeFromTheClock) {
    KModel* model = MeshModel();
    ASSERT_EQ(model->PlayAnimation(1, kAnimation, 2.0f), 0);
    lumiva::win32::AdvanceClock(1000);
    EXPECT_FLOAT_EQ(model->AnimationTime(timeGetTime()), 2000.0f);

    // A 500 ms pause holds the time back by 500 ms of track (x speed).
    model->SetPaused(1);
    lumiva::win32::AdvanceClock(500);
    EXPECT_FLOAT_EQ(model->AnimationTime(timeGetTime()), 2000.0f);
    model->SetPaused(0);
    lumiva::win32::AdvanceClock(100);
    EXPECT_FLOAT_EQ(model->AnimationTime(timeGetTime()), 2200.0f);
}

TEST_F(ModelUpdateTest, LateClockStillStepsByOneMillisecond) {
    lumiva::win32::SetClock(0xFFFFFFFFull - 5000);
    KModel* model = MeshModel();
    ASSERT_EQ(model->PlayAnimation(1, kAnimation, 1.0f), 0);
    lumiva::win32::AdvanceClock(1000);
    const float first = model->AnimationTime(timeGetTime());
    for (int i = 1; i <= 3; ++i) {
        lumiva::win32::AdvanceClock(1);
        EXPECT_FLOAT_EQ(model->AnimationTime(timeGetTime()) - first, float(i));
    }
}

// A mesh whose skinning failed draws nothing and is read again from its
// files only once 2000 ms have passed.
TEST_F(ModelUpdateTest, FailedConversionRetriedAfterTwoSeconds) {
    KModel* model = MeshModel();
    ASSERT_GE(model->SetMaterial(kMaterial, 0), 0);
    model->mesh->conversionStamp = GetTickCount();
    lumiva::d3d9::EnableRecording(true);
    for (uint64_t step : {0u, 1999u}) {
        lumiva::win32::AdvanceClock(step);
        EXPECT_TRUE(model->Update());
        EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty()) << step;
        EXPECT_NE(model->mesh->conversionStamp, 0u);
    }
    lumiva::win32::AdvanceClock(2);
    EXPECT_TRUE(model->Update());
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("Mesh::DrawSubset").empty());
    EXPECT_EQ(model->mesh->conversionStamp, 0u);  // rebuilt
    EXPECT_TRUE(model->mesh->built);
    ASSERT_FALSE(model->material->records.empty());
    lumiva::d3d9::ClearRecording();
    model->Update();
    EXPECT_FALSE(WorldSets().empty());
}

// Argument n picks entry n - 1 of the effect list; 0 and past the end none.
TEST_F(ModelUpdateTest, UpdateArgumentPicksTheBoundEffectSet) {
    KModel* model = MeshModel();
    KBindEffectSet first, second;  // the update reads the picked set
    KBindEffectSet* sets[2] = {&first, &second};
    model->effectList.assign(std::begin(sets), std::end(sets));
    const std::pair<DWORD, KBindEffectSet*> cases[] = {{0, nullptr}, {1, sets[0]}, {2, sets[1]}, {3, nullptr}};
    for (const auto& [argument, expected] : cases) {
        model->currentBindEffects = sets[1];
        model->UpdateTree(argument);
        EXPECT_EQ(model->currentBindEffects, expected) << argument;
    }
    model->effectList.clear();
    model->currentBindEffects = nullptr;
}

}  // namespace
}  // namespace model_test::model_update_test

namespace model_test::model_update_test {
namespace {

// A shape model: turned by X, Y and Z rotations, its first thread started
// on a sequence made non-cyclic by the shape flag 0, and the state byte 1
// once that thread has played to the end.
TEST_F(ModelUpdateTest, ShapeModelTurnsAndReportsItsEnd) {
    WriteModuleFile("\\model\\tree.dts", dts::WriteDts(dts::AnimatedTreeShape(3, 2)));
    KModel* model = NewModel();
    ASSERT_EQ(model->SetMesh("\\model\\tree.dts", 0), 0);
    ASSERT_NE(model->shapeInstance, nullptr);
    model->SetHeading(0.5f, 0.25f, 0.125f, 0, 0);
    model->SetPosition(1, 2, 3, 0);
    EXPECT_TRUE(model->Update());
    D3DXMATRIX x, y, z, expected;
    D3DXMatrixRotationX(&x, 0.5f);
    D3DXMatrixRotationY(&y, 0.25f);
    D3DXMatrixRotationZ(&z, 0.125f);
    expected = x * y * z;
    expected._41 = 1, expected._42 = 2, expected._43 = 3;
    ExpectNear(model->worldMatrix, expected);
    ASSERT_EQ(model->shapeInstance->GetThreadCount(), 1u);
    EXPECT_FALSE(model->shapeInstance->GetShape()->sequences.At(0)->IsCyclic());
    EXPECT_EQ(model->shapeState, 0);
    for (int i = 0; i < 3; ++i) {
        lumiva::win32::AdvanceClock(60000);
        model->Update();
    }
    EXPECT_EQ(model->shapeState, 1);
}

}  // namespace
}  // namespace model_test::model_update_test
