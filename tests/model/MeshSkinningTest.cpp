// Skinned meshes: the mode and palette the device's caps give, the calls of
// each skinned draw, conversions that fail, skeletons without bones and
// refused influences, and the pixels of every mode against the mesh skinned
// on the CPU and drawn plain. Bones turn by quarter turns and move by whole
// units, weights are powers of two and the projection is orthographic, so
// every path computes the same numbers and the pictures agree exactly.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cmath>
#include <limits>
#include <string>

#include "MaterialFileWriter.h"
#include "MeshFileWriter.h"
#include "ModelFixture.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "shell/D3DDevice.h"

namespace model_test {
namespace {

namespace d3d = lumiva::d3d9;

constexpr const char* kMeshPath = "\\model\\skin.mesh";
constexpr const char* kPlainPath = "\\model\\cpu.mesh";
constexpr const char* kMaterialPath = "\\model\\skin.mtl";
constexpr DWORD kVs11 = D3DVS_VERSION(1, 1);
constexpr DWORD kEmpty = 0xFFFFFFFF;

// What a device offers for skinning.
struct SkinCaps {
    DWORD vertexShader;
    DWORD shaderConstants;
    DWORD blendMatrixIndex;
    DWORD blendMatrices;
};

constexpr SkinCaps kShaderDevice{kVs11, 96, 0, 4};
constexpr SkinCaps kIndexedDevice{0, 0, 12, 4};
constexpr SkinCaps kBlendedDevice{0, 0, 0, 4};
constexpr SkinCaps kTwoMatrixDevice{0, 0, 0, 2};

void ApplyCaps(const SkinCaps& skin, D3DCAPS9& caps) {
    caps.VertexShaderVersion = skin.vertexShader;
    caps.MaxVertexShaderConst = skin.shaderConstants;
    caps.MaxVertexBlendMatrixIndex = skin.blendMatrixIndex;
    caps.MaxVertexBlendMatrices = skin.blendMatrices;
}

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

// --- The four-quad fixture ---

// A quarter turn about z (or none, or a half) and a whole move.
D3DXMATRIX Pose(int quarterTurns, float x, float y) {
    static const float kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = kCos[quarterTurns];
    m._12 = kSin[quarterTurns];
    m._21 = -kSin[quarterTurns];
    m._22 = kCos[quarterTurns];
    m._41 = x;
    m._42 = y;
    return m;
}

constexpr int kBones = 4;

// Each bone's offset: a quarter turn or more and a whole move, so the order
// of offset and pose matters.
D3DXMATRIX Offset(int b) {
    static const int kTurns[kBones] = {1, 2, 3, 0};
    static const float kMoves[kBones][2] = {{1, 0}, {0, -1}, {2, 1}, {-1, -1}};
    return Pose(kTurns[b], kMoves[b][0], kMoves[b][1]);
}

// Each bone's current matrix: the bind pose (the offset's inverse), then a
// turn about the mesh's centre and a whole move.
std::vector<D3DXMATRIX> Poses() {
    static const int kTurns[kBones] = {1, 1, 1, 3};
    static const float kMoves[kBones][2] = {{0, 0}, {0, -1}, {1, 0}, {0, 1}};
    std::vector<D3DXMATRIX> poses;
    for (int b = 0; b < kBones; ++b) {
        D3DXMATRIX offset = Offset(b), bind;
        D3DXMatrixInverse(&bind, nullptr, &offset);
        poses.push_back(bind * Pose(kTurns[b], kMoves[b][0], kMoves[b][1]));
    }
    return poses;
}

// Four 2 x 2 quads at different depths: top left with one influence a
// vertex, top right two, bottom left three, bottom right four, corner c
// on bones c, c + 1, ... counted round the n bones of a quad with n
// influences (two for the first). The upper two use only bones 0 and 1 and
// are attribute 1; the lower two use all four bones and are attribute 0.
meshfile::Block FourQuads() {
    static const float kWeights[5][4] = {{}, {1}, {0.5f, 0.5f}, {0.5f, 0.25f, 0.25f}, {0.5f, 0.25f, 0.125f, 0.125f}};
    struct Quad {
        float x, y, z;
        int influences;
        uint32_t attribute;
    };
    const Quad quads[] = {{-3, 1, 0.25f, 1, 1}, {1, 1, 0.5f, 2, 1}, {-3, -3, 0.75f, 3, 0}, {1, -3, 1.0f, 4, 0}};
    meshfile::Block block;
    block.subsetCount = 2;
    block.skinned = 1;
    for (int b = 0; b < kBones; ++b) {
        meshfile::Bone bone;
        bone.name = "bone" + std::to_string(b);
        const D3DXMATRIX offset = Offset(b);
        std::copy(&offset._11, &offset._11 + 16, bone.offset.begin());
        block.bones.push_back(bone);
    }
    for (const Quad& q : quads) {
        const uint32_t first = uint32_t(block.positions.size() / 3);
        for (int c = 0; c < 4; ++c) {
            const float dx = float(c % 2) * 2, dy = float(c / 2) * 2;
            block.positions.insert(block.positions.end(), {q.x + dx, q.y + dy, q.z});
            block.normals.insert(block.normals.end(), {0, 0, -1});
            block.textures[0].insert(block.textures[0].end(), {dx / 2, 1 - dy / 2, 0});
            const int spread = std::max(q.influences, 2);
            for (int k = 0; k < q.influences; ++k) {
                meshfile::Bone& bone = block.bones[size_t((c + k) % spread)];
                bone.vertices.push_back(first + uint32_t(c));
                bone.weights.push_back(kWeights[q.influences][k]);
            }
        }
        block.faces.insert(block.faces.end(), {first, first + 2, first + 1, first + 1, first + 2, first + 3});
        block.attributes.insert(block.attributes.end(), {q.attribute, q.attribute});
    }
    return block;
}

// The block with every vertex moved by its bones on the CPU, without the
// skeleton: what every mode must draw.
meshfile::Block CpuSkinned(meshfile::Block block, const std::vector<D3DXMATRIX>& poses) {
    std::vector<float> moved(block.positions.size(), 0.0f);
    for (size_t b = 0; b < block.bones.size(); ++b) {
        D3DXMATRIX offset(block.bones[b].offset.data()), skin;
        D3DXMatrixMultiply(&skin, &offset, &poses[b]);
        for (size_t i = 0; i < block.bones[b].vertices.size(); ++i) {
            const uint32_t v = block.bones[b].vertices[i];
            D3DXVECTOR3 p(&block.positions[v * 3]), out;
            D3DXVec3TransformCoord(&out, &p, &skin);
            for (int a = 0; a < 3; ++a) moved[v * 3 + a] += block.bones[b].weights[i] * out[a];
        }
    }
    block.positions = moved;
    block.skinned = 0;
    block.bones.clear();
    return block;
}

class MeshSkinningTest : public ModelTest {
protected:
    MeshSkinningTest() { creationFlags = D3DCREATE_MIXED_VERTEXPROCESSING; }
    // The shaders first: the base gives the device back.
    ~MeshSkinningTest() override { g_D3DDevice.ReleaseSkinningShaders(); }

    void ConfigureAdapters() override {
        d3d::AdapterConfig adapter = d3d::DefaultAdapter();
        ApplyCaps(skinCaps, adapter.halCaps);
        d3d::SetAdapters({adapter});
    }
    // The device wrapper as the shell leaves it after creating the device.
    void SetUp() override {
        ModelTest::SetUp();
        if (HasFatalFailure()) return;
        device->GetDeviceCaps(&g_D3DDevice.caps);
        g_D3DDevice.behaviorFlags = D3DCREATE_MULTITHREADED | creationFlags;
        g_D3DDevice.CreateSkinningShaders();
    }

    void LoadMesh(KMesh& target, const meshfile::Block& block, const char* path) {
        meshfile::File file;
        file.blocks = {block};
        WriteModuleFile(path, meshfile::Write(file));
        target.SetDevice(device);
        ASSERT_EQ(target.Load(path), 0);
    }
    void LoadSkinned(const meshfile::Block& block) { LoadMesh(mesh, block, kMeshPath); }

    // Record i draws an 8 x 8 texture of four flat quarters; a flagged
    // record is not drawn.
    void LoadMaterial(DWORD records = 2, DWORD refused = kEmpty) {
        mtlfile::File file;
        for (DWORD i = 0; i < records; ++i) {
            static const uint32_t kQuarters[2][4] = {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00},
                                                     {0xFF00FFFF, 0xFFFF00FF, 0xFFFFFFFF, 0xFF808080}};
            std::vector<uint32_t> texels(64);
            for (int t = 0; t < 64; ++t) texels[size_t(t)] = kQuarters[i % 2][(t % 8) / 4 + 2 * (t / 32)];
            const std::string name = "art\\skin" + std::to_string(i) + ".dds";
            WriteModuleFile("\\model\\texture\\skin" + std::to_string(i) + ".dds", Dds(texels, 8, 8));
            mtlfile::Record record;
            record.flags = i == refused ? kMaterialNotDrawn : 0;
            mtlfile::Stage stage;
            stage.textureName = name;
            record.stages = {stage};
            file.records.push_back(record);
        }
        WriteModuleFile(kMaterialPath, mtlfile::Write(file));
        material.SetDevice(device);
        ASSERT_EQ(material.Load(kMaterialPath), 0);
    }

    // x and y from -4 to 4 over the target, depth 0.5 z + 0.25, the world
    // one unit to the right.
    void UseCamera() {
        D3DXMATRIX world, view, projection;
        D3DXMatrixTranslation(&world, 1, 0, 0);
        D3DXMatrixIdentity(&view);
        D3DXMatrixScaling(&projection, 0.25f, 0.25f, 0.5f);
        projection._43 = 0.25f;
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    void Pose() {
        const std::vector<D3DXMATRIX> poses = Poses();
        for (int b = 0; b < kBones; ++b) mesh.bones[size_t(b)].currentMatrix = poses[size_t(b)];
    }
    std::vector<D3DCOLOR> Picture(KMesh& drawn, float alpha = 1.0f) {
        UseCamera();
        BeginDraw(0xFF000000);
        EXPECT_EQ(drawn.Render(&material, alpha, nullptr, 0), 0);
        EndDraw();
        return test_support::BackBufferImage(device).pixels;
    }
    std::vector<D3DCOLOR> CpuPicture() {
        KMesh plain;
        LoadMesh(plain, CpuSkinned(FourQuads(), Poses()), kPlainPath);
        return Picture(plain);
    }
    const D3DXBONECOMBINATION* Table() const {
        return static_cast<const D3DXBONECOMBINATION*>(mesh.combinationTable->GetBufferPointer());
    }
    // Recorded draw-related calls as short steps.
    static std::vector<std::string> Steps() {
        std::vector<std::string> steps;
        for (const auto& call : d3d::RecordedCalls()) {
            const auto arg = [&call](size_t i) { return std::to_string(call.args[i]); };
            if (call.name == "SetMaterial") steps.push_back("apply");
            if (call.name == "SetSoftwareVertexProcessing") steps.push_back("software " + arg(0));
            if (call.name == "SetRenderState" && call.args[0] == D3DRS_CULLMODE) steps.push_back("cull " + arg(1));
            if (call.name == "SetRenderState" && call.args[0] == D3DRS_VERTEXBLEND) steps.push_back("blend " + arg(1));
            if (call.name == "SetRenderState" && call.args[0] == D3DRS_INDEXEDVERTEXBLENDENABLE)
                steps.push_back("indexed " + arg(1));
            if (call.name == "SetTransform" && call.args[0] >= 256 && call.args[0] < 512)
                steps.push_back("matrix " + std::to_string(call.args[0] - 256));
            if (call.name == "Mesh::DrawSubset") steps.push_back("draw " + arg(1));
            if (call.name == "DrawIndexedPrimitive")
                steps.push_back("range " + arg(2) + " " + arg(3) + " " + arg(4) + " " + arg(5));
        }
        return steps;
    }
    static size_t Count(const std::vector<std::string>& steps, const std::string& step) {
        return size_t(std::count(steps.begin(), steps.end(), step));
    }
    std::vector<std::string> RecordRender(float alpha, IDirect3DBaseTexture9* texture = nullptr) {
        UseCamera();
        BeginDraw();
        d3d::ClearRecording();
        d3d::EnableRecording(true);
        EXPECT_EQ(mesh.Render(&material, alpha, texture, 0), 0);
        d3d::EnableRecording(false);
        EndDraw();
        return Steps();
    }

    SkinCaps skinCaps = kShaderDevice;
    KMesh mesh;
    KMaterial material;
};

class ShaderSkinningTest : public MeshSkinningTest {};
class IndexedSkinningTest : public MeshSkinningTest {
protected:
    IndexedSkinningTest() { skinCaps = kIndexedDevice; }
};
class BlendedSkinningTest : public MeshSkinningTest {
protected:
    BlendedSkinningTest() { skinCaps = kBlendedDevice; }
};
class TwoMatrixSkinningTest : public MeshSkinningTest {
protected:
    TwoMatrixSkinningTest() { skinCaps = kTwoMatrixDevice; }
};
class SoftwareDeviceSkinningTest : public MeshSkinningTest {
protected:
    SoftwareDeviceSkinningTest() {
        skinCaps = kTwoMatrixDevice;
        creationFlags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    }
};

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
