// Model handles as a careless or hostile host uses them: bindings that
// outlive their carrier, dummy names that are null or too long, handles
// given back twice or handed in after, reference counts past 16 bits, and
// floats and ints of any value at the model's and the shell's slots.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

#include "AnimationFileWriter.h"
#include "ModelManagerFixture.h"
#include "lumiva/PrimitiveRecords.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "scene/KModelProxy.h"
#include "scene/KShadowQuad.h"
#include "scene/ModelShellSlots.h"
#include "shell/KDrawShell.h"
#include "win32/Control.h"

namespace model_test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class HostCalls : public ModelManagerTest {
protected:
    void SetUp() override {
        ModelManagerTest::SetUp();
        shell = MakeShell(false);
        ASSERT_NE(shell, nullptr);
        WriteMesh("\\model\\man.mesh");
        WriteMaterial("\\model\\man.mtl");
        WriteModuleFile("\\model\\texture\\skin.dds", FlatDds(0xFFFF0000));
    }
    KModelProxy* Make() {
        KModelProxy* handle = shell->CreateModel("\\model\\man");
        EXPECT_NE(handle, nullptr);
        return handle;
    }
    void Draw(KModelProxy* handle) {
        BeginDraw();
        KPrimModel record{};
        record.model = handle;
        record.computeTransform = 1;
        shell->DrawPrimitives(1, &record, PRIM_MODELS, 0, 0, -1, -1.0f);
        EndDraw();
    }
    // The manager frees what was given back more than 30 s ago.
    void AgeOut() {
        lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1);
        manager.Update();
    }

    KDrawShell* shell = nullptr;
};

// A binding reaches the rider's parent too; the two may be unlinked later.
// Every model the binding reached lets the carrier go when it is given
// back, so none reads it once the manager has freed it.
TEST_F(HostCalls, ReleasingACarrierUnbindsEveryModelTheBindingReached) {
    KModelProxy* parent = Make();
    KModelProxy* rider = Make();
    KModelProxy* carrier = Make();
    ASSERT_TRUE(parent->AttachChild(rider, nullptr, nullptr));
    ASSERT_TRUE(rider->BindTo(carrier, "dummy0", nullptr));
    EXPECT_EQ(parent->model->boundNode, carrier->model);
    ASSERT_TRUE(parent->Detach(rider));
    EXPECT_TRUE(shell->ReleaseModel(carrier));
    EXPECT_EQ(rider->model->boundNode, nullptr);
    EXPECT_EQ(parent->model->boundNode, nullptr);
    EXPECT_EQ(parent->model->bound, 0);
    AgeOut();
    Draw(parent);
    Draw(rider);
    EXPECT_TRUE(shell->ReleaseModel(rider));
    EXPECT_TRUE(shell->ReleaseModel(parent));
}

// The scene-node face binds as the handle does, and its carrier going lets
// the rider go; a rider going first leaves the carrier nothing to reach.
TEST_F(HostCalls, TheSceneNodeFaceBindsAndIsUnboundToo) {
    KModelProxy* rider = Make();
    KModelProxy* carrier = Make();
    ASSERT_TRUE(rider->GetSceneNode()->BindTo(carrier->GetSceneNode(), "dummy0", nullptr));
    EXPECT_EQ(carrier->model->Riders().count(rider->model), 1u);
    EXPECT_TRUE(shell->ReleaseModel(carrier));
    EXPECT_EQ(rider->model->boundNode, nullptr);
    AgeOut();
    Draw(rider);

    KModelProxy* second = Make();
    ASSERT_TRUE(second->GetSceneNode()->BindTo(rider->GetSceneNode(), "dummy1", nullptr));
    KModel* secondModel = second->model;
    EXPECT_TRUE(shell->ReleaseModel(second));
    AgeOut();  // the second model is deleted: it leaves the rider's riders
    EXPECT_EQ(rider->model->Riders().count(secondModel), 0u);
    EXPECT_TRUE(shell->ReleaseModel(rider));
}

// A carrier handle without a model, or one already given back, is no node
// to ride on; Clear lets the riders go as a release does.
TEST_F(HostCalls, CarriersWithoutAModelAreRefusedAndClearUnbinds) {
    KModelProxy* rider = Make();
    KModelProxy* carrier = Make();
    KModelProxy* empty = Make();
    empty->Clear();
    EXPECT_FALSE(rider->BindTo(empty, "dummy0", nullptr));
    EXPECT_EQ(rider->model->boundNode, nullptr);
    ASSERT_TRUE(rider->BindTo(carrier, "dummy0", nullptr));
    carrier->Clear();
    EXPECT_EQ(rider->model->boundNode, nullptr);
    EXPECT_TRUE(shell->ReleaseModel(carrier));
    EXPECT_FALSE(rider->BindTo(carrier, "dummy1", nullptr));  // given back
    EXPECT_EQ(rider->model->boundNode, nullptr);
    EXPECT_TRUE(shell->ReleaseModel(empty));
    EXPECT_TRUE(shell->ReleaseModel(rider));
}

// A null name is refused; a name past 29 characters is stored cut and
// compared cut, so a binding passing round a parent and child ends.
TEST_F(HostCalls, DummyNamesNullOrTooLongEndTheWalk) {
    KModelProxy* parent = Make();
    KModelProxy* child = Make();
    KModelProxy* carrier = Make();
    ASSERT_TRUE(parent->AttachChild(child, nullptr, nullptr));
    for (KModelProxy* handle : {parent, child}) {
        EXPECT_FALSE(handle->BindTo(carrier, nullptr, nullptr));
        EXPECT_FALSE(handle->GetSceneNode()->BindTo(carrier->GetSceneNode(), nullptr, nullptr));
        EXPECT_EQ(handle->model->boundNode, nullptr);
    }
    const std::string longName(40, 'd');
    ASSERT_TRUE(child->BindTo(carrier, longName.c_str(), nullptr));
    EXPECT_STREQ(parent->model->dummyName, longName.substr(0, 29).c_str());
    EXPECT_EQ(parent->model->boundNode, carrier->model);
    EXPECT_TRUE(parent->BindTo(carrier, (longName + "more").c_str(), nullptr));  // the same name, cut
    for (KModelProxy* handle : {child, parent, carrier}) EXPECT_TRUE(shell->ReleaseModel(handle));
}

// A handle given back is refused by every slot that takes one, with a log
// line for each release; null stays quietly refused.
TEST_F(HostCalls, ReleasedModelHandlesAreRefusedUnread) {
    KModelProxy* handle = Make();
    KModelProxy* other = Make();
    EXPECT_TRUE(shell->ReleaseModel(handle));
    TakeLog();
    EXPECT_FALSE(shell->ReleaseModel(handle));
    EXPECT_FALSE(shell->ReleaseModel(handle));
    int refusals = 0;
    for (const std::string& line : TakeLog()) refusals += line.find("ReleaseModel") != std::string::npos;
    EXPECT_EQ(refusals, 2);
    EXPECT_EQ(g_LiveModels, 1);
    EXPECT_FALSE(shell->ReleaseModel(nullptr));
    EXPECT_TRUE(TakeLog().empty());

    Draw(handle);
    KModelProxy* handles[2] = {other, handle};
    BeginDraw();
    shell->RenderOwnViewPass(handles, 2, 1, 0, 0, 100, 0);
    shell->RenderOwnViewPass(handles, 2, 0, 0, 0, 100, 0);
    EndDraw();
    EXPECT_FALSE(other->AttachChild(handle, nullptr, nullptr));
    EXPECT_FALSE(other->Detach(handle));
    EXPECT_EQ(other->model->Parent(), nullptr);
    EXPECT_TRUE(shell->ReleaseModel(other));
}

// Counts run past 16 bits without wrapping; a count that reaches the top
// stays there and the record is never freed under its holders.
TEST_F(HostCalls, ResourceCountsNeitherWrapNorFreeUnderHolders) {
    KModelProxy* handle = Make();
    KMeshRecord* record = MeshRecord("\\model\\man.mesh");
    ASSERT_NE(record, nullptr);
    for (int i = 0; i < 65535; ++i) ASSERT_EQ(manager.meshMap.Find("\\model\\man.mesh"), record);
    EXPECT_EQ(record->referenceCount, 65536u);
    EXPECT_TRUE(shell->ReleaseModel(handle));
    AgeOut();
    EXPECT_EQ(MeshRecord("\\model\\man.mesh"), record);

    record->referenceCount = kSaturatedReferences - 1;
    manager.meshMap.Find("\\model\\man.mesh");
    manager.meshMap.Find("\\model\\man.mesh");
    EXPECT_EQ(record->referenceCount, kSaturatedReferences);
    manager.meshMap.Release(record);
    EXPECT_EQ(record->referenceCount, kSaturatedReferences);
}

// Host values at the model's slots: drawn without any out-of-range
// conversion (the sanitizers check those), with these results.
TEST_F(HostCalls, HostFloatsAndIntsAtTheModelSlots) {
    KModelProxy* handle = Make();
    animfile::File file;
    animfile::Track track;
    track.name = "odd";
    track.frameCount = 1;
    track.interval = -1.0f;  // a track of length -1
    track.boneNames = {"bone0"};
    track.matrices.push_back(animfile::Translation(0, 0, 0));
    file.tracks.push_back(track);
    WriteModuleFile("\\model\\odd.anim", animfile::Write(file));
    ASSERT_EQ(handle->PlayAnimation("\\model\\odd.anim", 0, 1), 0);
    lumiva::win32::AdvanceClock(1000);
    for (float speed : {-1e30f, 1e30f, kNaN, -kInf}) {
        handle->SetAnimationSpeed(speed);
        EXPECT_TRUE(std::isfinite(handle->GetAnimationProgress(nullptr))) << speed;
    }
    handle->SetAnimationSpeed(1.0f);
    const float start = handle->model->startTime;
    handle->SetAnimationPosition(kNaN);
    EXPECT_EQ(handle->model->startTime, start);
    handle->SetAnimationPosition(-1e33f);
    Draw(handle);

    // Untinted mid grey plus the offset wraps as a byte; a tint adds it to
    // each half channel, saturating.
    handle->SetColor(0xFF343434u);
    handle->SetColorOffset(INT_MAX - 1);
    handle->ApplyColor();
    KMaterial* material = handle->model->material;
    ASSERT_NE(material, nullptr);
    Draw(handle);
    EXPECT_EQ(handle->model->mesh->colour, 0xFF343434u);
    auto factor = [material] {
        for (KMaterialOption& option : material->records[0].stageOptions[0])
            if (KStageStatesOption* states = option.StageStates()) return states->textureFactor & 0xFFFFFFu;
        return 0xDEADu;
    };
    handle->model->RecolorMaterials(INT_MAX - 1);
    EXPECT_EQ(factor(), 0xFFFFFFu);
    handle->model->RecolorMaterials(INT_MIN);
    EXPECT_EQ(factor(), 0u);
    handle->model->mesh->colour = 0xFFFFFFFF;
    handle->model->RecolorMaterials(INT_MAX);  // 127 + INT_MAX saturates, then wraps as a byte
    EXPECT_EQ(factor(), 0xFFFFFFu);

    BeginDraw();
    for (float alpha : {-2147483904.0f, 3e9f, kNaN, kInf, 300.0f}) handle->DrawShadow(0, 0, 10, 10, alpha);
    EndDraw();
    ASSERT_NE(handle->shadowQuad, nullptr);
    EXPECT_EQ(handle->shadowQuad->alpha, BYTE(300 & 255));
    EXPECT_TRUE(shell->ReleaseModel(handle));
}

// The shell's camera keeps a finite distance, and only lights of a light
// type are taken.
TEST_F(HostCalls, HostValuesAtTheShellSlots) {
    const float distance = shell->cameraDistance;
    for (float factor : {kNaN, kInf, -kInf, 3e38f}) {
        shell->SetZoomFactor(factor);
        shell->SetZoom(factor);
        EXPECT_EQ(shell->cameraDistance, distance) << factor;
    }
    int percent = 0;
    EXPECT_GT(shell->GetZoomPercent(0, &percent), 0);
    shell->cameraDistance = 1e-30f;
    EXPECT_EQ(shell->GetZoomPercent(0, &percent), INT_MAX);

    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_POINT;
    EXPECT_EQ(shell->AddLight(&light), 1);
    for (uint32_t type : {0u, 4u, 0xE9F6B0BFu}) {
        std::memcpy(&light.Type, &type, sizeof type);
        EXPECT_EQ(shell->AddLight(&light), -1) << type;
    }
    EXPECT_EQ(shell->GetLightCount(), 1);
}

// A bone row of length 0, or one too short to divide by, leaves that axis
// of the dummy unscaled.
TEST_F(HostCalls, DummiesOnDegenerateBonesStayFinite) {
    KModelProxy* handle = Make();
    KMesh* mesh = handle->model->mesh;
    ASSERT_NE(mesh, nullptr);
    ASSERT_GE(mesh->dummies.size(), 1u);
    ASSERT_GE(mesh->bones.size(), 1u);
    for (float fill : {0.0f, 1e-45f}) {
        D3DXMATRIX& bone = mesh->bones[0].currentMatrix;
        D3DXMatrixIdentity(&bone);
        bone._11 = bone._12 = bone._13 = fill;
        mesh->dummies[0].localMatrix = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1);
        mesh->UpdateDummy(0, 0);
        const D3DXMATRIX& world = mesh->dummies[0].worldMatrix;
        EXPECT_FLOAT_EQ(world._22, 1.0f) << fill;
        EXPECT_FLOAT_EQ(world._33, 1.0f) << fill;
        for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(world.m[i / 4][i % 4])) << fill << " " << i;
    }
    EXPECT_TRUE(shell->ReleaseModel(handle));
}

}  // namespace
}  // namespace model_test
