#include "support/ModelFiles.h"

#include <d3d9.h>

#include <cmath>
#include <cstdlib>

#include "AnimationFileWriter.h"
#include "MeshFileWriter.h"
#include "scene/KAnimation.h"
#include "scene/KMesh.h"
#include "shell/D3DDevice.h"
#include "support/FuzzDevice.h"
#include "support/FuzzTarget.h"
#include "textures/TextureManager.h"

namespace lumiva::fuzz {
namespace {

KMesh* BuildSample(const meshfile::Block& block, const char* name) {
    PrepareModelDevice();
    meshfile::File file;
    file.blocks = {block};
    const Bytes bytes = meshfile::Write(file);
    ServeFile(name, bytes.data(), bytes.size());
    auto* mesh = new KMesh();  // lives for the process
    mesh->SetDevice(FuzzDevice());
    if (mesh->Load(name) != 0) std::abort();
    return mesh;
}

KAnimation* BuildAnimation() {
    animfile::File file;
    animfile::Track skeletal;
    skeletal.name = "pose";
    skeletal.frameCount = 3;
    for (const char* bone : {"bone0", "bone1", "bone2", "ghost"}) {
        skeletal.boneNames.push_back(bone);
        for (int f = 0; f < 3; ++f) skeletal.matrices.push_back(animfile::Translation(float(f), 0, 0));
    }
    file.tracks.push_back(skeletal);
    for (uint32_t type : {animfile::kVertexPositions, animfile::kVertexOffsets}) {
        animfile::Track vertices;
        vertices.type = type;
        vertices.name = "wave";
        vertices.frameCount = 2;
        vertices.vertices = {0, 4, 8, 9};
        for (int k = 0; k < 8; ++k) vertices.keys.push_back({float(k), 1, 0});
        file.tracks.push_back(vertices);
    }
    const Bytes bytes = animfile::Write(file);
    ServeFile("small.ani", bytes.data(), bytes.size());
    auto* animation = new KAnimation();  // lives for the process
    if (animation->Load("small.ani") != 0) std::abort();
    return animation;
}

}  // namespace

void PrepareModelDevice() {
    static const bool ready = [] {
        g_D3DDevice.device = FuzzDevice();
        FuzzDevice()->GetDeviceCaps(&g_D3DDevice.caps);
        g_D3DDevice.behaviorFlags = D3DCREATE_MULTITHREADED | D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        g_D3DDevice.CreateSkinningShaders();
        return g_pTextureManager->Init(FuzzDevice(), 1, 0);
    }();
    (void)ready;
}

const std::vector<D3DCAPS9>& SkinningCapsSet() {
    static const std::vector<D3DCAPS9> set = [] {
        PrepareModelDevice();
        D3DCAPS9 shaders{};
        FuzzDevice()->GetDeviceCaps(&shaders);
        shaders.VertexShaderVersion = D3DVS_VERSION(1, 1);
        shaders.MaxVertexShaderConst = 96;
        D3DCAPS9 indexed = shaders;
        indexed.VertexShaderVersion = 0;
        indexed.MaxVertexBlendMatrixIndex = 12;
        D3DCAPS9 blended = indexed;
        blended.MaxVertexBlendMatrixIndex = 0;
        blended.MaxVertexBlendMatrices = 4;
        D3DCAPS9 twoMatrices = blended;
        twoMatrices.MaxVertexBlendMatrices = 2;
        return std::vector<D3DCAPS9>{shaders, indexed, blended, twoMatrices};
    }();
    return set;
}

void BeginModelScene() {
    PrepareModelDevice();
    FuzzDevice()->BeginScene();
}

void EndModelScene() {
    FuzzDevice()->EndScene();
    UnbindModelDevice();
}

void UnbindModelDevice() {
    IDirect3DDevice9* device = FuzzDevice();
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    for (DWORD s = 0; s < 8; ++s) device->SetTexture(s, nullptr);
}

KMesh& SmallPlainMesh() {
    static KMesh* mesh = BuildSample(meshfile::GridBlock(2, 2), "small.mesh");
    return *mesh;
}

KMesh& SmallSkinnedMesh() {
    static KMesh* mesh = BuildSample(meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 3, 2), "skinned.mesh");
    return *mesh;
}

KAnimation& SmallAnimation() {
    static KAnimation* animation = BuildAnimation();
    return *animation;
}

const std::vector<float>& ProbeTimes() {
    static const std::vector<float> times = {-1e9f, -150.0f, -0.5f, 0.0f, 37.5f, 250.0f, 1e7f, 3e38f, NAN};
    return times;
}

}  // namespace lumiva::fuzz
