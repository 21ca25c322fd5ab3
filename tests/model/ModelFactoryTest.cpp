// The shell's model factory and the model records of DrawPrimitives: a
// handle made from tools/-written files, counted while it lives, drawn
// where its transform puts it.
#include <gtest/gtest.h>

#include <string>

#include "A3eWriter.h"
#include "DtsSamples.h"
#include "DtsWriter.h"
#include "MaterialFileWriter.h"
#include "MeshFileWriter.h"
#include "ModelManagerFixture.h"
#include "effects/K3DEffectNode.h"
#include "lumiva/PrimitiveRecords.h"
#include "scene/KMesh.h"
#include "scene/KModelProxy.h"
#include "scene/ModelShellSlots.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "support/ShellFixture.h"

namespace model_test {
namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000, kGreen = 0xFF00FF00;
constexpr float kPi = 3.1415927f;

class ModelFactoryTest : public ModelManagerTest {
protected:
    void SetUp() override {
        ModelManagerTest::SetUp();
        shell = MakeShell(false);
        ASSERT_NE(shell, nullptr);
        // Two unit squares side by side, red on the left, green on the right.
        meshfile::File mesh;
        mesh.blocks.push_back(meshfile::GridBlock(2, 1, 2));
        WriteModuleFile("\\model\\box.mesh", meshfile::Write(mesh));
        WriteModuleFile("\\model\\bare.mesh", meshfile::Write(mesh));
        mtlfile::File material;
        const D3DCOLOR colours[2] = {kRed, kGreen};
        for (int i = 0; i < 2; ++i) {
            WriteModuleFile("\\model\\texture\\colour" + std::to_string(i) + ".dds", FlatDds(colours[i]));
            mtlfile::Record record;
            mtlfile::Stage stage;
            stage.textureName = "art\\colour" + std::to_string(i) + ".dds";
            record.stages = {stage};
            material.records.push_back(record);
        }
        WriteModuleFile("\\model\\box.mtl", mtlfile::Write(material));
        g_LiveModels = 0;
    }
    // Draws the handle with one model record of `type` on the 16 x 16
    // target showing x and y in [-8, 8].
    void DrawRecord(KModelProxy* handle, DWORD type) {
        UseFlatCamera(-8, 8, -8, 8);
        BeginDraw();
        KPrimModel record{};
        record.model = handle;
        record.computeTransform = 1;
        shell->DrawPrimitives(1, &record, type, 0, 0, -1, -1.0f);
        EndDraw();
    }
    static bool IsRed(D3DCOLOR c) { return (c >> 16 & 0xFF) > 0xC0 && (c >> 8 & 0xFF) < 0x40; }
    static bool IsGreen(D3DCOLOR c) { return (c >> 8 & 0xFF) > 0xC0 && (c >> 16 & 0xFF) < 0x40; }

    KDrawShell* shell = nullptr;
};

TEST_F(ModelFactoryTest, MadeFromTheNameAndCountedUntilReleased) {
    for (const char* name : {"\\model\\Box.MESH", "\\model\\box.mtl", "\\model\\box"}) {
        KModelProxy* handle = shell->CreateModel(name);
        ASSERT_NE(handle, nullptr) << name;
        EXPECT_TRUE(handle->HasMesh());
        EXPECT_NE(handle->model->material, nullptr);
        EXPECT_EQ(g_LiveModels, 1);
        EXPECT_TRUE(shell->ReleaseModel(handle));
        EXPECT_EQ(g_LiveModels, 0);
    }
}

// A shape name attaches a model made from it, any other name an effect
// node; each replaces the one before, a name that makes nothing keeps it,
// and the attachments go back with the handle.
TEST_F(ModelFactoryTest, AttachByNameAttachesAShapeModelOrAnEffectNode) {
    WriteModuleFile("\\model\\sword.dts", dts::WriteDts(dts::SingleMeshShape(3, 1)));
    WriteModuleFile("\\fx\\glow.a3e", a3e::WriteA3e(a3e::File{}));
    ResetLiveEffectNodesForTests();
    KModelProxy* handle = shell->CreateModel("\\model\\box");
    ASSERT_NE(handle, nullptr);

    ASSERT_TRUE(handle->AttachByName("\\model\\sword.dts"));
    KModelProxy* sword = handle->model->AttachedModel();
    ASSERT_NE(sword, nullptr);
    EXPECT_TRUE(sword->HasMesh());
    EXPECT_EQ(sword->model->mesh->shapeFlag, 1u);
    EXPECT_EQ(g_LiveModels, 2);
    EXPECT_FALSE(handle->AttachByName("\\model\\none.dts"));
    EXPECT_EQ(handle->model->AttachedModel(), sword);
    ASSERT_TRUE(handle->AttachByName("\\model\\sword.dts"));
    EXPECT_NE(handle->model->AttachedModel(), nullptr);
    EXPECT_EQ(g_LiveModels, 2);  // the first sword went back

    ASSERT_TRUE(handle->AttachByName("\\fx\\glow.a3e"));
    IK3DEffectNode* glow = handle->model->GetEffectNode();
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(g_LiveEffectNodes, 1);
    EXPECT_FALSE(handle->AttachByName("\\fx\\none.a3e"));
    EXPECT_EQ(handle->model->GetEffectNode(), glow);
    ASSERT_TRUE(handle->AttachByName("\\fx\\glow.a3e"));
    EXPECT_EQ(g_LiveEffectNodes, 1);
    EXPECT_NE(handle->model->AttachedModel(), nullptr);  // an effect leaves the model attached

    // The attachments go with the model itself, which the manager deletes
    // once it has aged out.
    EXPECT_TRUE(shell->ReleaseModel(handle));
    EXPECT_EQ(g_LiveModels, 1);
    lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1);
    manager.Update();
    EXPECT_EQ(g_LiveModels, 0);
    EXPECT_EQ(g_LiveEffectNodes, 0);
}

TEST_F(ModelFactoryTest, EmptyMissingAndOverlongNames) {
    // Null and empty names: an empty model.
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        KModelProxy* handle = shell->CreateModel(name);
        ASSERT_NE(handle, nullptr);
        EXPECT_FALSE(handle->HasMesh());
        EXPECT_TRUE(shell->ReleaseModel(handle));
    }
    // A mesh without its material file is kept without material.
    KModelProxy* bare = shell->CreateModel("\\model\\bare");
    ASSERT_NE(bare, nullptr);
    EXPECT_TRUE(bare->HasMesh());
    EXPECT_EQ(bare->model->material, nullptr);
    EXPECT_TRUE(shell->ReleaseModel(bare));
    // A missing mesh and a name too long for the buffer: nothing left.
    EXPECT_EQ(shell->CreateModel("\\model\\none"), nullptr);
    EXPECT_EQ(shell->CreateModel("\\model\\none.dts"), nullptr);
    const std::string longName(296, 'a');
    EXPECT_EQ(shell->CreateModel(longName.c_str()), nullptr);
    EXPECT_EQ(g_LiveModels, 0);
    // Nothing is still held: collecting leaves every map empty.
    manager.CollectGarbage();
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{0, 0, 0, 0}));
    EXPECT_FALSE(shell->ReleaseModel(nullptr));
}

TEST_F(ModelFactoryTest, ReferencesCountDownToTheDeletion) {
    KModelProxy* handle = shell->CreateModel("\\model\\box");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->AddRef(), 2);
    EXPECT_EQ(handle->AddRef(), 3);
    EXPECT_FALSE(handle->Release());
    EXPECT_FALSE(shell->ReleaseModel(handle));
    EXPECT_EQ(g_LiveModels, 1);
    EXPECT_TRUE(handle->Release());
    EXPECT_EQ(g_LiveModels, 0);
}

// Scale 4 and the mesh's pitch lay the squares on x in [0, 8] and y in
// [-4, 0] around the position; a half turn mirrors them in x.
TEST_F(ModelFactoryTest, ModelRecordsDrawWhereTheTransformPutsThem) {
    KModelProxy* handle = shell->CreateModel("\\model\\box");
    ASSERT_NE(handle, nullptr);
    handle->SetScale(4, 4, 4);
    handle->SetHeading(-kPi, 0, 0, 0, 0);  // the node's (0, 0, 0)
    handle->SetPosition(-4, 2, 0, 0);
    for (DWORD type : {DWORD(PRIM_MODELS), DWORD(PRIM_MODELS_NO_DEPTH_WRITE)}) {
        DrawRecord(handle, type);
        SCOPED_TRACE(type);
        EXPECT_TRUE(IsRed(Pixel(6, 8)));
        EXPECT_TRUE(IsGreen(Pixel(10, 8)));
        EXPECT_EQ(Pixel(2, 8), 0u);
        EXPECT_EQ(Pixel(14, 8), 0u);
        EXPECT_EQ(Pixel(6, 3), 0u);
        EXPECT_EQ(Pixel(6, 12), 0u);
    }
    handle->SetHeading(-kPi, kPi, 0, 0, 0);
    handle->SetPosition(4, 2, 0, 0);
    DrawRecord(handle, PRIM_MODELS);
    EXPECT_TRUE(IsGreen(Pixel(6, 8)));
    EXPECT_TRUE(IsRed(Pixel(10, 8)));
    EXPECT_EQ(Pixel(14, 8), 0u);

    // A handle without a model is skipped.
    handle->Clear();
    DrawRecord(handle, PRIM_MODELS);
    EXPECT_EQ(Pixel(10, 8), 0u);
    EXPECT_TRUE(shell->ReleaseModel(handle));
}

}  // namespace
}  // namespace model_test

namespace model_test {
namespace {

// A model put on another by the handle's BindTo is unbound when the other
// is given back, so the manager's later deletion leaves nothing dangling;
// the rider going first leaves the carrier's release harmless too.
TEST_F(ModelFactoryTest, ReleasingTheCarrierUnbindsItsRiders) {
    KModelProxy* carrier = shell->CreateModel("\\model\\box");
    KModelProxy* rider = shell->CreateModel("\\model\\box");
    KModelProxy* second = shell->CreateModel("\\model\\box");
    ASSERT_TRUE(carrier && rider && second);
    ASSERT_TRUE(rider->BindTo(carrier, "hand", nullptr));
    ASSERT_TRUE(second->BindTo(carrier, "hand", nullptr));
    EXPECT_EQ(rider->model->boundNode, carrier->model);
    KModel* carrierModel = carrier->model;  // lingers in the manager after the release
    EXPECT_TRUE(shell->ReleaseModel(second));
    EXPECT_TRUE(shell->ReleaseModel(carrier));
    EXPECT_EQ(rider->model->boundNode, nullptr);
    EXPECT_EQ(rider->model->bound, 0);
    EXPECT_TRUE(carrierModel->Riders().empty());
    EXPECT_TRUE(shell->ReleaseModel(rider));
    EXPECT_EQ(g_LiveModels, 0);
}

}  // namespace
}  // namespace model_test

namespace model_test {
namespace {

// What the frame's focus and the off-screen pass ask of a handle.
TEST_F(ModelFactoryTest, ShellReadsPositionAndMeshThroughTheHandle) {
    neighbours::ResetForTests();
    KModelProxy* handle = shell->CreateModel("\\model\\box");
    KModelProxy* empty = shell->CreateModel(nullptr);
    ASSERT_TRUE(handle && empty);
    handle->SetPosition(5, 6, 7, 0);
    float x = 0, y = 0, z = 0;
    neighbours::ModelGetPosition(handle, &x, &y, &z);
    EXPECT_EQ(D3DXVECTOR3(x, y, z), D3DXVECTOR3(5, 6, 7));
    EXPECT_TRUE(neighbours::ModelHasSceneMesh(handle));
    EXPECT_FALSE(neighbours::ModelHasSceneMesh(empty));
    EXPECT_FALSE(neighbours::ModelHasSceneMesh(nullptr));
    EXPECT_TRUE(shell->ReleaseModel(handle));
    EXPECT_TRUE(shell->ReleaseModel(empty));
}

}  // namespace
}  // namespace model_test
