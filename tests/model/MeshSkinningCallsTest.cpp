// The calls of each skinned draw: shader constants, declaration and ranges;
// blending states and matrices; the software pass; culling by alpha; the
// override texture; the material once per attribute run, and what a refused
// material or a failed draw holds back.
#include "SkinFixture.h"

namespace model_test {
namespace {

// --- Recorded calls ---

TEST_F(ShaderSkinningTest, SetsConstantsDeclarationAndRangesThenNoShader) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    Pose();
    UseCamera();
    BeginDraw();
    d3d::EnableRecording(true);
    ASSERT_EQ(mesh.Render(&material, 1.0f, nullptr, 0), 0);
    d3d::EnableRecording(false);
    EndDraw();

    const std::vector<std::string> calls =
        CallsNamed({"SetVertexShader", "SetVertexShaderConstantF", "SetVertexDeclaration", "DrawIndexedPrimitive"});
    const auto address = [](const void* p) { return std::to_string(reinterpret_cast<uintptr_t>(p)); };
    std::vector<std::string> expected = {"SetVertexShader " + address(g_D3DDevice.GetSkinningShader(3)),
                                         "SetVertexShaderConstantF 0 1", "SetVertexShaderConstantF 1 4"};
    ASSERT_EQ(mesh.combinationCount, 2u);
    for (DWORD i = 0; i < mesh.combinationCount; ++i) {
        const D3DXBONECOMBINATION& c = Table()[i];
        for (DWORD j = 0; j < mesh.paletteSize; ++j)
            if (c.BoneId[j] != kEmpty) expected.push_back("SetVertexShaderConstantF " + std::to_string(5 + 3 * j) + " 3");
        expected.push_back("SetVertexDeclaration " + address(mesh.declaration));
        expected.push_back("DrawIndexedPrimitive 4 0 " + std::to_string(c.VertexStart) + " " +
                           std::to_string(c.VertexCount) + " " + std::to_string(c.FaceStart * 3) + " " +
                           std::to_string(c.FaceCount));
    }
    expected.push_back("SetVertexShader 0");
    EXPECT_EQ(calls, expected);

    // c0, the transposed transform and the last combination's palette.
    float c[17 * 4] = {};
    ASSERT_EQ(device->GetVertexShaderConstantF(0, c, 17), D3D_OK);
    EXPECT_EQ(std::vector<float>(c, c + 4), (std::vector<float>{1.0f, 0.0f, 0.0f, 765.01f}));
    D3DXMATRIX world, view, projection, all, transposed;
    device->GetTransform(D3DTS_WORLD, &world);
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    all = world * view * projection;
    D3DXMatrixTranspose(&transposed, &all);
    EXPECT_EQ(std::vector<float>(c + 4, c + 20), std::vector<float>(&transposed._11, &transposed._11 + 16));
    const D3DXBONECOMBINATION& last = Table()[1];
    for (DWORD j = 0; j < 4; ++j) {
        if (last.BoneId[j] == kEmpty) continue;
        const KMeshBone& bone = mesh.bones[last.BoneId[j]];
        D3DXMATRIX skin = bone.offsetMatrix * bone.currentMatrix;
        D3DXMatrixTranspose(&transposed, &skin);
        EXPECT_EQ(std::vector<float>(c + 20 + 12 * j, c + 32 + 12 * j), std::vector<float>(&transposed._11, &transposed._11 + 12))
            << j;
    }
}

// Mode 2 leaves a mesh undrawn rather than index past the shaders or draw
// it unskinned.
TEST_F(ShaderSkinningTest, NoShaderForTheInfluencesDrawsNothing) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    for (DWORD influences : {0u, 5u}) {
        mesh.maxInfluences = influences;
        EXPECT_EQ(Count(RecordRender(1.0f), "range"), 0u) << influences;
        EXPECT_TRUE(CallsNamed({"DrawIndexedPrimitive", "SetVertexShader"}).empty()) << influences;
    }
    mesh.maxInfluences = 4;
    g_D3DDevice.ReleaseSkinningShaders();
    RecordRender(1.0f);
    EXPECT_TRUE(CallsNamed({"DrawIndexedPrimitive", "SetVertexShader"}).empty());
}

TEST_F(IndexedSkinningTest, OneInfluenceBlendsWithZeroWeights) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(meshfile::SkinnedBlock(meshfile::GridBlock(2, 1), 3, 0)));
    ASSERT_EQ(mesh.skinningMode, 1u);
    ASSERT_EQ(mesh.maxInfluences, 1u);
    ASSERT_EQ(mesh.combinationCount, 1u);
    // The world goes back twice: after the blending, and after the draw.
    const std::vector<std::string> expected = {
        "software 0", "blend 256", "indexed 1",     "matrix 0", "matrix 1", "matrix 2", "apply",
        "cull 2",     "cull 1",    "range 0 6 0 4", "draw 0",   "blend 0",  "matrix 0", "matrix 0"};
    EXPECT_EQ(RecordRender(1.0f), expected);
}

TEST_F(IndexedSkinningTest, BlendsOneWeightFewerThanTheInfluences) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    const std::vector<std::string> steps = RecordRender(1.0f);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps[1], "blend 3");
    EXPECT_EQ(Count(steps, "draw 0") + Count(steps, "draw 1"), 2u);
    EXPECT_EQ(steps.back(), "matrix 0");  // the world put back
}

// The hardware blends the small combination; the other goes to a software
// pass with culling off, and the device goes back to hardware.
TEST_F(TwoMatrixSkinningTest, SmallCombinationsFirstThenTheOthersInSoftware) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    ASSERT_EQ(mesh.combinationCount, 2u);
    ASSERT_EQ(mesh.maxInfluences, 4u);
    EXPECT_EQ(Table()[1].BoneId[2], kEmpty);
    const D3DXBONECOMBINATION* table = Table();
    const auto range = [](const D3DXBONECOMBINATION& c) {
        return "range " + std::to_string(c.VertexStart) + " " + std::to_string(c.VertexCount) + " " +
               std::to_string(c.FaceStart * 3) + " " + std::to_string(c.FaceCount);
    };
    const std::vector<std::string> expected = {
        // The hardware pass: attribute 1 on two matrices, culled by alpha.
        "matrix 0", "matrix 1", "blend 1", "apply", "cull 2", "cull 2", range(table[1]), "draw 1",
        // The software pass: attribute 0 on four, culling off.
        "software 1", "matrix 0", "matrix 1", "matrix 2", "matrix 3", "blend 3", "apply", "cull 2", "cull 1",
        range(table[0]), "draw 0", "software 0", "blend 0", "matrix 0", "matrix 0"};
    EXPECT_EQ(RecordRender(0.5f), expected);
}

TEST_F(SoftwareDeviceSkinningTest, StaysInSoftwareAfterTheSoftwarePass) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    const std::vector<std::string> steps = RecordRender(1.0f);
    EXPECT_EQ(Count(steps, "software 1"), 1u);
    EXPECT_EQ(Count(steps, "software 0"), 0u);
    EXPECT_EQ(Count(steps, "draw 0") + Count(steps, "draw 1"), 2u);
}

// Alpha below one culls clockwise faces in every hardware draw.
TEST_F(ShaderSkinningTest, CullingFollowsAlpha) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    for (const auto& [alpha, cull] : {std::pair{1.0f, "cull 1"}, std::pair{0.5f, "cull 2"}}) {
        std::vector<std::string> steps = RecordRender(alpha);
        // Each apply sets the material's own CW; the draw's cull follows it.
        std::vector<std::string> draws;
        for (size_t i = 1; i < steps.size(); ++i)
            if (steps[i].rfind("range", 0) == 0) draws.push_back(steps[i - 1]);
        EXPECT_EQ(draws, (std::vector<std::string>{cull, cull})) << alpha;
    }
}

TEST_F(IndexedSkinningTest, OverrideTextureOnStageZeroForEveryDraw) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    RecordRender(1.0f, texture);
    const std::string set = "SetTexture 0 " + std::to_string(reinterpret_cast<uintptr_t>(texture));
    std::vector<std::string> order;
    for (const std::string& call : CallsNamed({"SetTexture", "Mesh::DrawSubset"}))
        if (call == set || call.rfind("Mesh::DrawSubset", 0) == 0) order.push_back(call == set ? "texture" : "draw");
    EXPECT_EQ(order, (std::vector<std::string>{"texture", "draw", "texture", "draw"}));
    device->SetTexture(0, nullptr);
    texture->Release();
}

// Sixteen bones over a palette of thirteen: each attribute needs two
// combinations or more. The material goes on once per run of an attribute,
// and a refused one holds back every combination of its attribute.
class PaletteSplitTest : public MeshSkinningTest {
protected:
    PaletteSplitTest() { skinCaps = kIndexedDevice; }
    void SetUp() override {
        MeshSkinningTest::SetUp();
        if (HasFatalFailure()) return;
        LoadSkinned(meshfile::SkinnedBlock(meshfile::GridBlock(8, 4, 2), 16, 0));
        ASSERT_EQ(mesh.paletteSize, 13u);
        ASSERT_GE(mesh.combinationCount, 4u);
    }
};

TEST_F(PaletteSplitTest, MaterialAppliedOncePerAttributeRun) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    const std::vector<std::string> steps = RecordRender(1.0f);
    EXPECT_EQ(Count(steps, "apply"), 2u);
    size_t draws = 0;
    for (const std::string& step : steps) draws += step.rfind("draw", 0) == 0;
    EXPECT_EQ(draws, mesh.combinationCount);
}

TEST_F(PaletteSplitTest, RefusedMaterialHoldsBackItsAttribute) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial(2, 0));
    const std::vector<std::string> steps = RecordRender(1.0f);
    EXPECT_EQ(Count(steps, "apply"), 1u);
    std::vector<DWORD> drawnAttributes;
    for (const std::string& step : steps)
        if (step.rfind("draw ", 0) == 0) drawnAttributes.push_back(Table()[std::stoul(step.substr(5))].AttribId);
    EXPECT_FALSE(drawnAttributes.empty());
    EXPECT_EQ(size_t(std::count(drawnAttributes.begin(), drawnAttributes.end(), 1u)), drawnAttributes.size());
}

// Outside a scene every draw fails: the failure holds back the rest of the
// attribute's run, and the next attribute's material lets drawing try again.
TEST_F(PaletteSplitTest, FailedDrawHoldsBackTheRestOfItsRun) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    d3d::ClearRecording();
    d3d::EnableRecording(true);
    EXPECT_EQ(mesh.Render(&material, 1.0f, nullptr, 0), 0);
    d3d::EnableRecording(false);
    std::vector<DWORD> tried;
    for (const auto& call : d3d::RecordedCallsNamed("Mesh::DrawSubset")) {
        EXPECT_TRUE(FAILED(call.result));
        tried.push_back(Table()[call.args[1]].AttribId);
    }
    EXPECT_EQ(tried, (std::vector<DWORD>{0, 1}));
    EXPECT_EQ(d3d::RecordedCallsNamed("SetMaterial").size(), 2u);
}

// The software pass applies the material without the depth-write flag.
TEST_F(TwoMatrixSkinningTest, SoftwarePassDropsTheDepthWriteFlag) {
    ASSERT_NO_FATAL_FAILURE(LoadMaterial());
    ASSERT_NO_FATAL_FAILURE(LoadSkinned(FourQuads()));
    UseCamera();
    BeginDraw();
    d3d::ClearRecording();
    d3d::EnableRecording(true);
    ASSERT_EQ(mesh.Render(&material, 0.5f, nullptr, 1), 0);
    d3d::EnableRecording(false);
    EndDraw();
    std::vector<std::string> steps;
    for (const auto& call : d3d::RecordedCalls()) {
        if (call.name == "SetRenderState" && call.args[0] == D3DRS_ZWRITEENABLE)
            steps.push_back("zwrite " + std::to_string(call.args[1]));
        if (call.name == "Mesh::DrawSubset") steps.push_back("draw " + std::to_string(call.args[1]));
    }
    // Alpha below one turns depth writes off; the flag turns them back on.
    const std::vector<std::string> expected = {"zwrite 0", "zwrite 1", "draw 1", "zwrite 0", "draw 0"};
    EXPECT_EQ(steps, expected);
}

}  // namespace
}  // namespace model_test
