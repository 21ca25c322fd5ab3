// The skinned-mesh fixture: a device made with a machine's skinning caps
// and the device wrapper as the shell leaves it, a four-bone mesh of four
// quads with one to four influences a vertex and its CPU-skinned twin, and
// recorded draw calls as short steps. Bones turn by quarter turns and move
// by whole units, weights are powers of two and the projection is
// orthographic, so every path computes the same numbers exactly.
#pragma once

#include <gtest/gtest.h>

#include <d3dx9.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "MeshFileWriter.h"
#include "ModelFixture.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "shell/D3DDevice.h"
#include "support/SkinningContract.h"

namespace model_test {

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

inline void ApplyCaps(const SkinCaps& skin, D3DCAPS9& caps) {
    caps.VertexShaderVersion = skin.vertexShader;
    caps.MaxVertexShaderConst = skin.shaderConstants;
    caps.MaxVertexBlendMatrixIndex = skin.blendMatrixIndex;
    caps.MaxVertexBlendMatrices = skin.blendMatrices;
}

// --- The four-quad fixture ---

using skinning_contract::QuarterTurn;

constexpr int kBones = 4;

// Each bone's offset: a quarter turn or more and a whole move, so the order
// of offset and pose matters.
inline D3DXMATRIX Offset(int b) {
    static const int kTurns[kBones] = {1, 2, 3, 0};
    static const float kMoves[kBones][2] = {{1, 0}, {0, -1}, {2, 1}, {-1, -1}};
    return QuarterTurn(kTurns[b], kMoves[b][0], kMoves[b][1]);
}

// Each bone's current matrix: the bind pose (the offset's inverse), then a
// turn about the mesh's centre and a whole move.
inline std::vector<D3DXMATRIX> Poses() {
    static const int kTurns[kBones] = {1, 1, 1, 3};
    static const float kMoves[kBones][2] = {{0, 0}, {0, -1}, {1, 0}, {0, 1}};
    std::vector<D3DXMATRIX> poses;
    for (int b = 0; b < kBones; ++b) {
        D3DXMATRIX offset = Offset(b), bind;
        D3DXMatrixInverse(&bind, nullptr, &offset);
        poses.push_back(bind * QuarterTurn(kTurns[b], kMoves[b][0], kMoves[b][1]));
    }
    return poses;
}

// Four 2 x 2 quads at different depths: top left with one influence a
// vertex, top right two, bottom left three, bottom right four, corner c
// on bones c, c + 1, ... counted round the n bones of a quad with n
// influences (two for the first). The upper two use only bones 0 and 1 and
// are attribute 1; the lower two use all four bones and are attribute 0.
inline meshfile::Block FourQuads() {
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
inline meshfile::Block CpuSkinned(meshfile::Block block, const std::vector<D3DXMATRIX>& poses) {
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
        static const uint32_t kQuarters[2][4] = {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00},
                                                 {0xFF00FFFF, 0xFFFF00FF, 0xFFFFFFFF, 0xFF808080}};
        std::vector<std::vector<uint8_t>> textures;
        std::vector<DWORD> flags;
        for (DWORD i = 0; i < records; ++i) {
            std::vector<uint32_t> texels(64);
            for (int t = 0; t < 64; ++t) texels[size_t(t)] = kQuarters[i % 2][(t % 8) / 4 + 2 * (t / 32)];
            textures.push_back(Dds(texels, 8, 8));
            flags.push_back(i == refused ? kMaterialNotDrawn : 0);
        }
        LoadTexturedMaterial(material, kMaterialPath, "skin", textures, flags);
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

}  // namespace model_test
