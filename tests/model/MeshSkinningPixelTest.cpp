// Every skinning mode draws exactly what the CPU skinned and drew plain.
#include "SkinFixture.h"

namespace model_test {
namespace {

// --- Pixels: every mode draws what the CPU skinned ---

TEST_F(ShaderSkinningTest, DrawsTheCpuSkinnedMesh) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    ASSERT_EQ(mesh.skinningMode, 2u);
    EXPECT_EQ(mesh.paletteSize, 4u);
    EXPECT_EQ(mesh.maxInfluences, 4u);
    Pose();
    const std::vector<D3DCOLOR> skinned = Picture(mesh);
    const std::vector<D3DCOLOR> reference = CpuPicture();
    EXPECT_EQ(skinned, reference);
    // Every quad leaves some pixels.
    EXPECT_GT(reference.size() - size_t(std::count(reference.begin(), reference.end(), 0xFF000000u)), 32u);
}

TEST_F(IndexedSkinningTest, DrawsTheCpuSkinnedMesh) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    ASSERT_EQ(mesh.skinningMode, 1u);
    EXPECT_EQ(mesh.paletteSize, 4u);
    Pose();
    EXPECT_EQ(Picture(mesh), CpuPicture());
}

TEST_F(BlendedSkinningTest, DrawsTheCpuSkinnedMesh) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    ASSERT_EQ(mesh.skinningMode, 0u);
    EXPECT_EQ(mesh.firstSoftwareCombination, mesh.combinationCount);
    Pose();
    EXPECT_EQ(Picture(mesh), CpuPicture());
}

TEST_F(TwoMatrixSkinningTest, DrawsTheCpuSkinnedMeshWithASoftwarePass) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    ASSERT_EQ(mesh.skinningMode, 0u);
    EXPECT_EQ(mesh.firstSoftwareCombination, 0u);
    EXPECT_EQ(mesh.skinnedMesh->GetOptions() & D3DXMESH_SOFTWAREPROCESSING, D3DXMESH_SOFTWAREPROCESSING);
    Pose();
    EXPECT_EQ(Picture(mesh), CpuPicture());
}

// The bind pose puts every vertex back where the file has it.
TEST_F(ShaderSkinningTest, BindPoseDrawsTheFileMesh) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    const std::vector<D3DCOLOR> skinned = Picture(mesh);
    meshfile::Block plain = FourQuads();
    plain.skinned = 0;
    plain.bones.clear();
    KMesh reference;
    ASSERT_NO_FATAL_FAILURE(LoadMesh(reference, plain, kPlainPath));
    EXPECT_EQ(skinned, Picture(reference));
}

}  // namespace
}  // namespace model_test
