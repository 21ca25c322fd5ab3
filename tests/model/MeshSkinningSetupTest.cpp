// Setting skinning up: the mode and palette a device's caps give, failed
// conversions, skeletons without bones and refused influence weights.
#include <limits>

#include "SkinFixture.h"

namespace model_test {
namespace {

// --- The mode a device gives ---

struct ChoiceCase {
    const char* name;
    SkinCaps caps;
    DWORD bones;
    DWORD mode;
    DWORD paletteSize;
};

class SkinningChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(SkinningChoiceTest, ModeAndPaletteFollowTheCaps) {
    const ChoiceCase& c = GetParam();
    D3DCAPS9 caps{};
    ApplyCaps(c.caps, caps);
    const KSkinningChoice choice = ChooseSkinning(caps, c.bones);
    EXPECT_EQ(choice.mode, c.mode);
    EXPECT_EQ(choice.paletteSize, c.paletteSize);
}

INSTANTIATE_TEST_SUITE_P(
    Caps, SkinningChoiceTest,
    ::testing::Values(ChoiceCase{"shaders_96_constants", {kVs11, 96, 0, 4}, 40, 2, 30},
                      ChoiceCase{"shaders_fewer_bones", {kVs11, 96, 0, 4}, 7, 2, 7},
                      ChoiceCase{"shaders_41_constants", {kVs11, 41, 0, 4}, 40, 2, 12},
                      ChoiceCase{"shaders_40_constants_index_12", {kVs11, 40, 12, 4}, 40, 1, 13},
                      ChoiceCase{"index_12_fewer_bones", {kVs11, 40, 12, 4}, 5, 1, 5},
                      ChoiceCase{"index_255", {0, 0, 255, 4}, 300, 1, 256},
                      ChoiceCase{"index_11", {0, 0, 11, 4}, 40, 0, 0},
                      ChoiceCase{"shader_version_below_1_1", {D3DVS_VERSION(1, 0), 96, 11, 4}, 40, 0, 0},
                      ChoiceCase{"one_bone_with_shaders", {kVs11, 96, 255, 4}, 1, 0, 0},
                      ChoiceCase{"one_bone_indexed", {0, 0, 255, 4}, 1, 0, 0},
                      ChoiceCase{"two_bones_with_shaders", {kVs11, 96, 0, 4}, 2, 2, 2}),
    CaseName<ChoiceCase>);

// --- Conversions that fail, skeletons without bones, refused influences ---

// The source mesh takes two creations, the conversion's mesh the next two
// and the software clone two more.
TEST_F(IndexedSkinningTest, FailedConversionKeepsTheStampAndDrawsNothing) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    d3d::FailCreationAt(3);
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    EXPECT_EQ(mesh.conversionStamp, kClockStartMs);
    EXPECT_EQ(mesh.skinnedMesh, nullptr);
    const std::vector<std::string> steps = RecordRender(1.0f);
    EXPECT_EQ(Count(steps, "draw 0") + Count(steps, "draw 1"), 0u);
    EXPECT_TRUE(CallsNamed({"DrawIndexedPrimitive", "Mesh::DrawSubset"}).empty());
}

TEST_F(TwoMatrixSkinningTest, FailedSoftwareCloneKeepsTheStampAndDrawsNothing) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    d3d::FailCreationAt(5);
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    EXPECT_EQ(mesh.conversionStamp, kClockStartMs);
    RecordRender(1.0f);
    EXPECT_TRUE(CallsNamed({"DrawIndexedPrimitive", "Mesh::DrawSubset"}).empty());
}

// A conversion that succeeds clears the stamp; one that failed earlier
// cannot be drawn from what it left behind.
TEST_F(ShaderSkinningTest, StampSetOnAMeshDrawsNothing) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    EXPECT_EQ(mesh.conversionStamp, 0u);
    mesh.conversionStamp = 12345;
    RecordRender(1.0f);
    EXPECT_TRUE(CallsNamed({"DrawIndexedPrimitive", "SetVertexShader"}).empty());
}

TEST_F(ShaderSkinningTest, SkeletonWithoutBonesDrawsPlainly) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(meshfile::SkinnedBlock(meshfile::GridBlock(2, 1), 0, 0)));
    EXPECT_EQ(mesh.conversionStamp, 0u);
    EXPECT_EQ(mesh.skinInfo, nullptr);
    EXPECT_EQ(mesh.skinnedMesh, nullptr);
    const std::vector<std::string> steps = RecordRender(1.0f);
    EXPECT_EQ(Count(steps, "draw 0"), 1u);
    EXPECT_EQ(d3d::RecordedCallsNamed("Mesh::DrawSubset").at(0).args[0], reinterpret_cast<uintptr_t>(mesh.sourceMesh));
}

struct WeightCase {
    const char* name;
    float weight;
};

class RefusedWeightTest : public MeshSkinningTest, public ::testing::WithParamInterface<WeightCase> {};

TEST_P(RefusedWeightTest, FailsTheBuildWithOneLogLine) {
    meshfile::Block block = FourQuads();
    block.bones[2].weights[1] = GetParam().weight;
    meshfile::File file;
    file.blocks = {block};
    WriteModuleFile(kMeshPath, meshfile::Write(file));
    mesh.SetDevice(device);
    TakeLog();
    EXPECT_EQ(mesh.Load(kMeshPath), D3DERR_INVALIDCALL);
    EXPECT_FALSE(mesh.built);
    EXPECT_EQ(LogLinesNaming(kMeshPath).size(), 1u);
    EXPECT_EQ(mesh.Render(nullptr, 1.0f, nullptr, 0), E_FAIL);
}

INSTANTIATE_TEST_SUITE_P(Weights, RefusedWeightTest,
                         ::testing::Values(WeightCase{"nan", std::numeric_limits<float>::quiet_NaN()},
                                           WeightCase{"infinity", std::numeric_limits<float>::infinity()},
                                           WeightCase{"minus_infinity", -std::numeric_limits<float>::infinity()}),
                         CaseName<WeightCase>);


}  // namespace
}  // namespace model_test
