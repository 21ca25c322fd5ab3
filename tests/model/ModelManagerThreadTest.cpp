// Releases and animation loads from other threads while the host's thread
// loads and ages. Mesh and material loads reach the device and the texture
// manager, which take no lock, so they stay on the host's thread. The
// meeting hook holds every animation load between its read and its insert
// until all four have read, so the four loads meet every time.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "ModelManagerFixture.h"
#include "win32/Control.h"

namespace model_test::model_manager_thread_test {
namespace {

constexpr const char* kMesh = "\\model\\a.mesh";
constexpr const char* kOtherMesh = "\\model\\b.mesh";
constexpr const char* kMaterial = "\\model\\a.mtl";
constexpr const char* kAnimation = "\\model\\walk.anim";
constexpr int kThreads = 4;

class ModelManagerThreadTest : public ModelManagerTest {};

TEST_F(ModelManagerThreadTest, FourThreadsLoadOneAnimationAndReleaseTheirModels) {
    WriteMesh(kMesh);
    WriteMesh(kOtherMesh);
    WriteMaterial(kMaterial);
    WriteAnimation(kAnimation, {"walk"});
    std::vector<KModel*> models;
    for (int i = 0; i < kThreads; ++i) {
        KModel* model = NewModel();
        ASSERT_EQ(LoadMesh(model, kMesh), 0);
        ASSERT_EQ(LoadMaterial(model, kMaterial), 0);
        models.push_back(model);
    }

    std::mutex gate;
    std::condition_variable allRead;
    int read = 0;
    SetLoadMeetingHookForTests([&](const char* name) {
        if (std::strcmp(name, kAnimation) != 0) return;
        std::unique_lock<std::mutex> hold(gate);
        ++read;
        allRead.notify_all();
        allRead.wait(hold, [&] { return read == kThreads; });
    });

    HRESULT loads[kThreads] = {}, releases[kThreads] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            loads[i] = LoadAnimation(models[size_t(i)], kAnimation);
            releases[i] = manager.ReleaseModel(models[size_t(i)]);
        });
    KModel* own = NewModel();
    EXPECT_EQ(LoadMesh(own, kOtherMesh), 0);
    manager.Update();
    EXPECT_EQ(LoadMaterial(own, kMaterial), 0);
    manager.Update();
    EXPECT_EQ(manager.ReleaseModel(own), 0);
    manager.Update();
    for (std::thread& thread : threads) thread.join();
    SetLoadMeetingHookForTests(nullptr);

    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(loads[i], 0) << i;
        EXPECT_EQ(releases[i], 0) << i;
    }
    EXPECT_EQ(manager.animationMap.Size(), 1u);
    ASSERT_NE(AnimationRecord(kAnimation), nullptr);
    EXPECT_EQ(AnimationRecord(kAnimation)->referenceCount, 0);
    EXPECT_EQ(MeshRecord(kMesh)->referenceCount, 0);
    EXPECT_EQ(MeshRecord(kOtherMesh)->referenceCount, 0);
    EXPECT_EQ(MaterialRecord(kMaterial)->referenceCount, 0);
    for (KModel* model : models) EXPECT_EQ(model->ownRecord->referenceCount, 0);
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{2, 1, 1, kThreads + 1}));

    lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1);
    manager.Update();
    EXPECT_EQ(MapSizes(), (std::vector<size_t>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace model_test::model_manager_thread_test
