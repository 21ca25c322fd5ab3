// The model manager: models and their names, sharing by exact name, ageing
// by the manual clock, failed loads, replaced resources, meeting loads, and
// freeing now or for good.
#include <gtest/gtest.h>

#include <string>

#include "DtsSamples.h"
#include "DtsWriter.h"
#include "ModelManagerFixture.h"
#include "scene/KAnimation.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "shape/KShapeInstance.h"
#include "shape/KShapeModel.h"
#include "support/VirtualSlot.h"
#include "textures/TextureManager.h"
#include "win32/Control.h"

namespace model_test::model_manager_test {
namespace {

constexpr const char* kMesh = "\\model\\a.mesh";
constexpr const char* kMaterial = "\\model\\a.mtl";
constexpr const char* kAnimation = "\\model\\a.anim";

enum LoadKind { kLoadMesh, kLoadMaterial, kLoadAnimation };

class ModelManagerLoads : public ModelManagerTest {
protected:
    void SetUp() override {
        ModelManagerTest::SetUp();
        WriteMesh(kMesh);
        WriteMaterial(kMaterial);
        WriteAnimation(kAnimation, {"walk"});
    }
    // A model holding the three files.
    KModel* LoadedModel() {
        KModel* model = NewModel();
        EXPECT_EQ(LoadMesh(model, kMesh), 0);
        EXPECT_EQ(LoadMaterial(model, kMaterial), 0);
        EXPECT_EQ(LoadAnimation(model, kAnimation), 0);
        return model;
    }
    HRESULT Load(LoadKind kind, KModel* model, const char* name) {
        if (kind == kLoadMesh) return LoadMesh(model, name);
        return kind == kLoadMaterial ? LoadMaterial(model, name) : LoadAnimation(model, name);
    }
};

TEST_F(ModelManagerTest, OperationsInSlotOrder) {
    using test_support::SlotOf;
    EXPECT_EQ(SlotOf(&KModelManager::CreateEmptyModel), 0);
    EXPECT_EQ(SlotOf(&KModelManager::ReleaseModel), 1);
    EXPECT_EQ(SlotOf(&KModelManager::Reserved1), 2);
    EXPECT_EQ(SlotOf(&KModelManager::Reserved2), 3);
    EXPECT_EQ(SlotOf(&KModelManager::ReleaseAll), 4);
    EXPECT_EQ(SlotOf(&KModelManager::SetDevice), 5);
    EXPECT_EQ(manager.Reserved1(1, 2, 3), 0);
    EXPECT_EQ(manager.Reserved2(1, 2), 0);
}

TEST_F(ModelManagerTest, NoModelWithoutADevice) {
    manager.device = nullptr;
    KModel* model = reinterpret_cast<KModel*>(0x1);
    EXPECT_EQ(manager.CreateEmptyModel(&model), 1);
    EXPECT_EQ(model, nullptr);
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{0, 0, 0, 0}));
    EXPECT_EQ(manager.SetDevice(nullptr), 1);
    EXPECT_EQ(manager.device, nullptr);
    EXPECT_EQ(manager.CreateEmptyModel(nullptr), E_FAIL);
}

TEST_F(ModelManagerTest, ModelsAreNumberedAndRegistered) {
    KModel* model = nullptr;
    for (int i = 0; i < 10; ++i) model = NewModel();
    ASSERT_NE(model, nullptr);
    ASSERT_NE(model->ownRecord, nullptr);
    EXPECT_STREQ(model->ownRecord->name, "EmptyModel##0010");
    EXPECT_EQ(model->ownRecord->referenceCount, 1);
    EXPECT_EQ(model->ownRecord->Object(), model);
    EXPECT_EQ(model->device, device);
    EXPECT_EQ(manager.modelMap.Peek("EmptyModel##0010"), model->ownRecord);
    EXPECT_EQ(g_EmptyModelCounter, 10);
}

TEST_F(ModelManagerLoads, TwoModelsShareAMeshFreedPastTheKeepTime) {
    KModel* first = NewModel();
    KModel* second = NewModel();
    ASSERT_EQ(LoadMesh(first, kMesh), 0);
    ASSERT_EQ(LoadMesh(second, kMesh), 0);
    KMeshRecord* record = MeshRecord(kMesh);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->referenceCount, 2);
    EXPECT_EQ(first->mesh, second->mesh);
    EXPECT_EQ(first->meshRecord, record);
    EXPECT_EQ(record->Object()->shapeFlag, 0u);
    EXPECT_EQ(dynamic_cast<KShapeModel*>(first->mesh), nullptr);

    ASSERT_EQ(manager.ReleaseModel(first), 0);
    lumiva::win32::AdvanceClock(100);
    ASSERT_EQ(manager.ReleaseModel(second), 0);
    EXPECT_EQ(record->referenceCount, 0);
    EXPECT_EQ(record->releaseTime, kClockStartMs + 100);

    lumiva::win32::AdvanceClock(kModelResourceKeepMs);
    manager.Update();  // the first model is due, the mesh not yet
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{1, 0, 0, 1}));
    lumiva::win32::AdvanceClock(1);
    manager.Update();
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{0, 0, 0, 0}));
}

// Within the keep time nothing is read again: the files may be gone.
TEST_F(ModelManagerLoads, ReloadWithinTheKeepTimeReadsNothing) {
    KModel* first = LoadedModel();
    KMesh* mesh = first->mesh;
    KMaterial* material = first->material;
    KAnimation* animation = first->animation;
    ASSERT_EQ(manager.ReleaseModel(first), 0);
    RemoveModuleFile(kMesh);
    RemoveModuleFile(kMaterial);
    RemoveModuleFile(kAnimation);
    lumiva::win32::AdvanceClock(kModelResourceKeepMs);
    manager.Update();

    KModel* second = LoadedModel();
    EXPECT_EQ(second->mesh, mesh);
    EXPECT_EQ(second->material, material);
    EXPECT_EQ(second->animation, animation);
    EXPECT_EQ(MeshRecord(kMesh)->referenceCount, 1);

    // Taken again and given back again, they age out as before.
    ASSERT_EQ(manager.ReleaseModel(second), 0);
    lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1);
    manager.Update();
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{0, 0, 0, 0}));
}

TEST_F(ModelManagerLoads, ShapeNamesMakeShapeModelsWithAnInstance) {
    const std::vector<uint8_t> shape = dts::WriteDts(dts::SingleMeshShape(3, 1));
    WriteModuleFile("\\model\\hero.DTS", shape);
    WriteModuleFile("\\model\\hero.dts", shape);
    for (const char* name : {"\\model\\hero.DTS", "\\model\\hero.dts"}) {
        SCOPED_TRACE(name);
        KModel* model = NewModel();
        ASSERT_EQ(LoadMesh(model, name), 0);
        EXPECT_NE(dynamic_cast<KShapeModel*>(model->mesh), nullptr);
        EXPECT_EQ(model->mesh->shapeFlag, 1u);
        ASSERT_NE(model->shapeInstance, nullptr);
        EXPECT_EQ(model->shapeInstance->GetShape(), &static_cast<KShapeModel*>(model->mesh)->shape);
        ASSERT_EQ(manager.ReleaseModel(model), 0);
        EXPECT_EQ(model->shapeInstance, nullptr);
    }
    EXPECT_EQ(manager.meshMap.Size(), 2u);
}

// The maps compare exact text; the data root finds either file.
TEST_F(ModelManagerLoads, NamesDifferingInCaseAreTwoRecords) {
    KModel* upper = NewModel();
    KModel* lower = NewModel();
    ASSERT_EQ(LoadMesh(upper, "\\model\\A.mesh"), 0);
    ASSERT_EQ(LoadMesh(lower, kMesh), 0);
    EXPECT_NE(upper->mesh, lower->mesh);
    EXPECT_EQ(manager.meshMap.Size(), 2u);
    // Animation names are lower-cased first.
    ASSERT_EQ(LoadAnimation(upper, "\\model\\A.ANIM"), 0);
    ASSERT_EQ(LoadAnimation(lower, kAnimation), 0);
    EXPECT_EQ(upper->animation, lower->animation);
    EXPECT_EQ(AnimationRecord(kAnimation)->referenceCount, 2);
}

TEST_F(ModelManagerLoads, RemappedNamesLoadTheReplacement) {
    g_TextureNameRemap["\\model\\old.mesh"] = kMesh;
    g_TextureNameRemap["\\model\\old.anim"] = kAnimation;
    KModel* model = NewModel();
    EXPECT_EQ(LoadMesh(model, "\\model\\old.mesh"), 0);
    EXPECT_EQ(LoadAnimation(model, "\\model\\old.anim"), 0);
    g_TextureNameRemap.clear();
    EXPECT_STREQ(model->meshRecord->name, kMesh);
    EXPECT_STREQ(model->animationRecord->name, kAnimation);
    EXPECT_EQ(manager.meshMap.Size(), 1u);
}

struct FailedLoad {
    const char* name;
    LoadKind kind;
    const char* file;
};

TEST_F(ModelManagerLoads, FailedLoadsLeaveNothingAndKeepWhatTheModelHad) {
    WriteModuleFile("\\model\\bad.mesh", std::vector<uint8_t>(200, 7));
    WriteModuleFile("\\model\\bad.mtl", std::vector<uint8_t>(20, 7));
    WriteModuleFile("\\model\\bad.anim", std::vector<uint8_t>(20, 7));
    const std::string tooLong = "\\model\\" + std::string(250, 'x') + ".mesh";
    const FailedLoad cases[] = {
        {"missing mesh", kLoadMesh, "\\model\\missing.mesh"},
        {"bad mesh", kLoadMesh, "\\model\\bad.mesh"},
        {"missing shape", kLoadMesh, "\\model\\missing.dts"},
        {"short name", kLoadMesh, "ab"},
        {"name past the record", kLoadMesh, tooLong.c_str()},
        {"null mesh name", kLoadMesh, nullptr},
        {"missing material", kLoadMaterial, "\\model\\missing.mtl"},
        {"bad material", kLoadMaterial, "\\model\\bad.mtl"},
        {"null material name", kLoadMaterial, nullptr},
        {"missing animation", kLoadAnimation, "\\model\\missing.anim"},
        {"bad animation", kLoadAnimation, "\\model\\bad.anim"},
    };
    KModel* model = LoadedModel();
    const KMesh* mesh = model->mesh;
    const KMaterial* material = model->material;
    const KAnimation* animation = model->animation;
    for (const FailedLoad& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.kind, model, c.file), E_FAIL);
        EXPECT_EQ(MapSizes(), (std::vector<size_t>{1, 1, 1, 1}));
        EXPECT_EQ(model->mesh, mesh);
        EXPECT_EQ(model->material, material);
        EXPECT_EQ(model->animation, animation);
        EXPECT_EQ(model->meshRecord->referenceCount, 1);
        EXPECT_EQ(model->animationRecord->referenceCount, 1);
    }
    EXPECT_EQ(manager.LoadModel(nullptr, kMesh), E_FAIL);
    EXPECT_EQ(manager.LoadMaterial(nullptr, kMaterial), E_FAIL);
    EXPECT_EQ(manager.LoadAnimation(nullptr, kAnimation), E_FAIL);
    EXPECT_EQ(manager.LoadAnimationFile("\\model\\missing.anim"), E_FAIL);
    EXPECT_EQ(manager.LoadAnimationFile(nullptr), E_FAIL);
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{1, 1, 1, 1}));
}

// A model that changes a resource gives the old one back, so it can age out.
TEST_F(ModelManagerLoads, ReplacedResourcesAreGivenBack) {
    WriteMesh("\\model\\b.mesh");
    WriteMaterial("\\model\\b.mtl");
    WriteAnimation("\\model\\b.anim", {"run"});
    KModel* model = LoadedModel();
    ASSERT_EQ(LoadMesh(model, "\\model\\b.mesh"), 0);
    ASSERT_EQ(LoadMaterial(model, "\\model\\b.mtl"), 0);
    ASSERT_EQ(LoadAnimation(model, "\\model\\b.anim"), 0);
    EXPECT_EQ(MeshRecord(kMesh)->referenceCount, 0);
    EXPECT_EQ(MaterialRecord(kMaterial)->referenceCount, 0);
    EXPECT_EQ(AnimationRecord(kAnimation)->referenceCount, 0);
    EXPECT_STREQ(model->meshRecord->name, "\\model\\b.mesh");

    // Loading the name held again keeps one reference.
    ASSERT_EQ(LoadMesh(model, "\\model\\b.mesh"), 0);
    EXPECT_EQ(model->meshRecord->referenceCount, 1);

    lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1);
    manager.Update();
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{1, 1, 1, 1}));
    EXPECT_EQ(MeshRecord(kMesh), nullptr);
}

// A second load of a name finishing while the first is between its read and
// its insert: the record inserted first stands, the other object goes, and
// both models hold a reference.
TEST_F(ModelManagerLoads, MeetingLoadsShareTheFirstRecord) {
    KModel* outer = NewModel();
    KModel* inner = NewModel();
    bool met = false;
    SetLoadMeetingHookForTests([&](const char*) {
        if (met) return;
        met = true;
        ASSERT_EQ(LoadMesh(inner, kMesh), 0);
        ASSERT_EQ(LoadMaterial(inner, kMaterial), 0);
        ASSERT_EQ(LoadAnimation(inner, kAnimation), 0);
    });
    ASSERT_EQ(LoadMesh(outer, kMesh), 0);
    met = false;
    ASSERT_EQ(LoadMaterial(outer, kMaterial), 0);
    met = false;
    ASSERT_EQ(LoadAnimation(outer, kAnimation), 0);
    SetLoadMeetingHookForTests(nullptr);

    EXPECT_EQ(outer->mesh, inner->mesh);
    EXPECT_EQ(outer->material, inner->material);
    EXPECT_EQ(outer->animation, inner->animation);
    EXPECT_EQ(MeshRecord(kMesh)->referenceCount, 2);
    EXPECT_EQ(MaterialRecord(kMaterial)->referenceCount, 2);
    EXPECT_EQ(AnimationRecord(kAnimation)->referenceCount, 2);
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{1, 1, 1, 2}));

    ASSERT_EQ(manager.ReleaseModel(outer), 0);
    EXPECT_EQ(MeshRecord(kMesh)->referenceCount, 1);
    lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1);
    manager.Update();
    EXPECT_EQ(inner->mesh, MeshRecord(kMesh)->Object());
}

TEST_F(ModelManagerLoads, PinnedAnimationsSurviveAgeing) {
    ASSERT_EQ(manager.LoadAnimationFile("\\model\\A.anim"), 0);
    KAnimationRecord* record = AnimationRecord(kAnimation);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->releaseTime, kPinnedReleaseTime);
    EXPECT_EQ(record->referenceCount, 1);
    // Found again: one more reference, kept.
    ASSERT_EQ(manager.LoadAnimationFile(kAnimation), 0);
    EXPECT_EQ(record->referenceCount, 2);

    KModel* model = NewModel();
    ASSERT_EQ(LoadAnimation(model, kAnimation), 0);
    ASSERT_EQ(manager.ReleaseModel(model), 0);
    EXPECT_EQ(record->releaseTime, kPinnedReleaseTime);
    lumiva::win32::AdvanceClock(10 * kModelResourceKeepMs);
    manager.Update();
    manager.CollectGarbage();
    EXPECT_EQ(AnimationRecord(kAnimation), record);
    manager.ReleaseAll();
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{0, 0, 0, 0}));
}

TEST_F(ModelManagerLoads, CollectGarbageFreesTheUnreferencedAtOnce) {
    KModel* kept = LoadedModel();
    KModel* released = NewModel();
    WriteMesh("\\model\\b.mesh");
    ASSERT_EQ(LoadMesh(released, "\\model\\b.mesh"), 0);
    ASSERT_EQ(manager.ReleaseModel(released), 0);
    manager.CollectGarbage();
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{1, 1, 1, 1}));
    EXPECT_EQ(kept->meshRecord, MeshRecord(kMesh));

    // ReleaseAll frees what is still referenced too.
    manager.ReleaseAll();
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{0, 0, 0, 0}));
}

TEST_F(ModelManagerLoads, ReleasingTwiceGivesBackOnce) {
    KModel* first = LoadedModel();
    KModel* second = LoadedModel();
    EXPECT_EQ(manager.ReleaseModel(nullptr), E_FAIL);
    KModel orphan;
    EXPECT_EQ(manager.ReleaseModel(&orphan), E_FAIL);
    ASSERT_EQ(manager.ReleaseModel(first), 0);
    ASSERT_EQ(manager.ReleaseModel(first), 0);
    EXPECT_EQ(second->meshRecord->referenceCount, 1);
    EXPECT_EQ(second->materialRecord->referenceCount, 1);
    EXPECT_EQ(second->animationRecord->referenceCount, 1);
}

TEST_F(ModelManagerLoads, InitNeedsTheMeshAndMaterial) {
    KModel* model = NewModel();
    EXPECT_EQ(manager.InitMesh(model->ownRecord, kMesh), E_FAIL);
    EXPECT_EQ(manager.InitMesh(nullptr, kMesh), E_FAIL);
    ASSERT_EQ(LoadMaterial(model, kMaterial), 0);
    EXPECT_EQ(manager.InitMaterial(model->ownRecord, kMaterial), E_FAIL);  // no mesh yet
    ASSERT_EQ(LoadMesh(model, kMesh), 0);
    // The mesh's own answer: built by its load already.
    EXPECT_EQ(manager.InitMesh(model->ownRecord, kMesh), E_FAIL);
    EXPECT_EQ(manager.InitMaterial(model->ownRecord, kMaterial), 0);
    EXPECT_EQ(model->material->texturesPrepared, 1);
    EXPECT_EQ(manager.InitMaterial(nullptr, kMaterial), E_FAIL);
}

}  // namespace
}  // namespace model_test::model_manager_test
