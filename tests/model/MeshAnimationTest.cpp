// Taking animation tracks onto a mesh: bone matrices half-way between two
// frames with the dummies following, the model's track-bone table, and the
// requests that change nothing.
#include <gtest/gtest.h>

#include "AnimationFileWriter.h"
#include "MeshFileWriter.h"
#include "ModelFixture.h"
#include "scene/KAnimation.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"

namespace model_test::mesh_animation_test {
namespace {

constexpr const char* kMeshPath = "\\model\\body.mesh";
constexpr const char* kAnimationPath = "\\model\\body.ani";

void ExpectNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-4f) << r << "," << c;
}

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

// Bones "bone0" to "bone2" and four dummies: 0 on bone 0, 1 on bone 1, 2 on
// bone 2, 3 on "ghost" that the mesh lacks.
class MeshAnimationTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        meshfile::Block block = meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 3, 4);
        block.dummies[3].boneName = "ghost";
        meshfile::File file;
        file.blocks = {block};
        WriteModuleFile(kMeshPath, meshfile::Write(file));
        mesh.SetDevice(device);
        ASSERT_EQ(mesh.Load(kMeshPath), 0);
    }
    void LoadTracks(std::vector<animfile::Track> tracks) {
        animfile::File file;
        file.tracks = std::move(tracks);
        WriteModuleFile(kAnimationPath, animfile::Write(file));
        ASSERT_EQ(animation.Load(kAnimationPath), 0);
    }
    // Two frames 100 ms apart for the named bones: bone k moves from
    // (0, k, 0) to (2, k, 0) and doubles its scale on the way.
    static animfile::Track TwoFrameTrack(std::vector<std::string> bones) {
        animfile::Track track;
        track.name = "move";
        track.frameCount = 2;
        track.interval = 100.0f;
        for (size_t k = 0; k < bones.size(); ++k) {
            track.boneNames.push_back(bones[k]);
            track.matrices.push_back(animfile::Translation(0, float(k), 0));
            animfile::Matrix end = animfile::Scaling(2, 2, 2);
            end[12] = 2.0f, end[13] = float(k);
            track.matrices.push_back(end);
        }
        return track;
    }
    std::vector<D3DXMATRIX> Currents() const {
        std::vector<D3DXMATRIX> out;
        for (const KMeshBone& bone : mesh.bones) out.push_back(bone.currentMatrix);
        return out;
    }
    std::vector<D3DXMATRIX> DummyWorlds() const {
        std::vector<D3DXMATRIX> out;
        for (const KMeshDummy& dummy : mesh.dummies) out.push_back(dummy.worldMatrix);
        return out;
    }

    KMesh mesh;
    KAnimation animation;
};

TEST_F(MeshAnimationTest, HalfWayPoseMovesBonesAndDummies) {
    LoadTracks({TwoFrameTrack({"bone2", "bone0"})});
    const D3DXMATRIX bone1 = mesh.bones[1].currentMatrix;
    ASSERT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 50.0f), 0);

    // Track bone 0 drives mesh bone 2, track bone 1 mesh bone 0: half-way
    // is scale 1.5 at (1, k, 0).
    D3DXMATRIX half(1.5f, 0, 0, 0, 0, 1.5f, 0, 0, 0, 0, 1.5f, 0, 1, 0, 0, 1);
    ExpectNear(mesh.bones[2].currentMatrix, half);
    half._42 = 1;
    ExpectNear(mesh.bones[0].currentMatrix, half);
    EXPECT_EQ(mesh.bones[1].currentMatrix, bone1);

    // Dummies at (0, 1, 0) in the bind pose follow their bone's move, its
    // scale taken out.
    ExpectNear(mesh.dummies[0].worldMatrix, Translation(1, 2, 0));
    ExpectNear(mesh.dummies[2].worldMatrix, Translation(1, 1, 0));
    ExpectNear(mesh.dummies[1].worldMatrix, Translation(1, 1, 0));  // bone 1 bind pose at x = 1
    EXPECT_EQ(mesh.dummies[3].worldMatrix, D3DXMATRIX());
    EXPECT_EQ(mesh.dummyBones[3], -1);
}

TEST_F(MeshAnimationTest, TrackBoneTheMeshLacksChangesNothing) {
    LoadTracks({TwoFrameTrack({"ghost", "BONE0"})});
    const auto bones = Currents();
    const auto dummies = DummyWorlds();
    ASSERT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 50.0f), 0);
    EXPECT_EQ(Currents(), bones);
    EXPECT_EQ(DummyWorlds(), dummies);
}

// While a model updates the mesh, its table maps the track's bones; bones
// past the table's end are looked up by name.
TEST_F(MeshAnimationTest, TheModelsTableMapsTrackBones) {
    std::vector<std::string> names(258, "nobody");
    names[0] = "bone0";
    names[257] = "bone2";
    LoadTracks({TwoFrameTrack(names)});
    KModel model;
    model.trackBones[0] = 1;  // track bone 0 drives mesh bone 1, whatever its name
    mesh.currentModel = &model;
    const D3DXMATRIX bone0 = mesh.bones[0].currentMatrix;
    ASSERT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 100.0f), 0);

    D3DXMATRIX end(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 0, 0, 1);
    ExpectNear(mesh.bones[1].currentMatrix, end);
    EXPECT_EQ(mesh.bones[0].currentMatrix, bone0);
    end._42 = 257;
    ExpectNear(mesh.bones[2].currentMatrix, end);
}

TEST_F(MeshAnimationTest, RequestsThatChangeNothing) {
    animfile::Track still = TwoFrameTrack({"bone0"});
    still.frameCount = 0;
    still.matrices.clear();
    LoadTracks({TwoFrameTrack({"bone0", "bone1", "bone2"}), still});
    const auto bones = Currents();
    EXPECT_EQ(mesh.ApplyAnimation(nullptr, 0, kPlayClamp, 50.0f), 0);
    EXPECT_EQ(mesh.ApplyAnimation(&animation, -1, kPlayClamp, 50.0f), E_FAIL);  // a model that never played
    EXPECT_EQ(mesh.ApplyAnimation(&animation, 2, kPlayClamp, 50.0f), E_FAIL);
    EXPECT_EQ(mesh.ApplyAnimation(&animation, 0, 4, 50.0f), E_FAIL);
    EXPECT_EQ(mesh.ApplyAnimation(&animation, 0, -1, 50.0f), E_FAIL);
    EXPECT_EQ(mesh.ApplyAnimation(&animation, 1, kPlayLoop, 50.0f), 0);
    EXPECT_EQ(Currents(), bones);
}

TEST_F(MeshAnimationTest, TimesBeforeTheKeysHoldTheFirstFrame) {
    LoadTracks({TwoFrameTrack({"bone0"})});
    for (float time : {-150.0f, -1e20f}) {
        ASSERT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayOnceStepped, time), 0);
        ExpectNear(mesh.bones[0].currentMatrix, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
    }
}

}  // namespace
}  // namespace model_test::mesh_animation_test
