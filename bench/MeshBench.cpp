// Model meshes on the software device with "no raster": taking a 30-bone
// skeletal track with 8 dummies (per bone), a 2,000-vertex track (per
// vertex), and the plain draw of a 10-subset mesh whose materials have two
// textured stages (per subset).
#include <benchmark/benchmark.h>

#include <windows.h>
#include <d3d9.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "AnimationFileWriter.h"
#include "BenchScratch.h"
#include "ByteWriter.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/DebugLog.h"
#include "DxtBlocks.h"
#include "MaterialFileWriter.h"
#include "MeshFileWriter.h"
#include "SprWriter.h"
#include "d3d9/Control.h"
#include "scene/KAnimation.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "shell/D3DDevice.h"
#include "textures/TextureManager.h"

namespace {

constexpr uint32_t kBones = 30, kDummies = 8, kSubsets = 10;
constexpr uint32_t kColumns = 50, kRows = 40;  // 2,091 vertices
constexpr uint32_t kAnimatedVertices = 2000;

void WriteBenchFile(const std::string& modulePath, const std::vector<uint8_t>& bytes) {
    std::string relative = modulePath;
    for (char& c : relative)
        if (c == '\\') c = '/';
    if (!WriteFileBytes(BenchScratchFolder() + relative, bytes)) std::abort();
}

animfile::File Animations() {
    animfile::Track skeletal;
    skeletal.name = "pose";
    skeletal.frameCount = 16;
    for (uint32_t b = 0; b < kBones; ++b) {
        skeletal.boneNames.push_back("bone" + std::to_string(b));
        for (uint32_t f = 0; f < 16; ++f)
            skeletal.matrices.push_back(animfile::Translation(float(f), float(b), 0));
    }
    animfile::Track vertices;
    vertices.type = animfile::kVertexPositions;
    vertices.name = "wave";
    vertices.frameCount = 8;
    for (uint32_t v = 0; v < kAnimatedVertices; ++v) {
        vertices.vertices.push_back(v);
        for (uint32_t f = 0; f < 8; ++f) vertices.keys.push_back({float(v % kColumns), float(f), float(v / kColumns)});
    }
    animfile::File file;
    file.tracks = {skeletal, vertices};
    return file;
}

mtlfile::File Materials() {
    mtlfile::File file;
    for (uint32_t i = 0; i < kSubsets; ++i) {
        mtlfile::Record record;
        mtlfile::Stage stage;
        stage.textureName = "art\\skin.dds";
        record.stages = {stage, stage};
        file.records.push_back(record);
    }
    return file;
}

struct MeshScene {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    KMesh skinned;
    KMesh plain;
    KAnimation animation;
    KMaterial material;

    MeshScene() {
        lumiva::d3d9::SetNoRaster(true);
        basrel::SetDebugLogToFile(false);
        g_SetRootPath(BenchScratchFolder().c_str());
        CreateDevice();
        if (!g_pTextureManager->Init(device, 1, 0)) std::abort();

        meshfile::File skinnedFile;
        skinnedFile.blocks = {meshfile::SkinnedBlock(meshfile::GridBlock(6, 5), kBones, kDummies)};
        meshfile::File plainFile;
        plainFile.blocks = {meshfile::GridBlock(kColumns, kRows, kSubsets)};
        WriteBenchFile("\\bench\\skinned.mesh", meshfile::Write(skinnedFile));
        WriteBenchFile("\\bench\\plain.mesh", meshfile::Write(plainFile));
        WriteBenchFile("\\bench\\moves.ani", animfile::Write(Animations()));
        WriteBenchFile("\\bench\\plain.mtl", mtlfile::Write(Materials()));
        std::vector<uint8_t> dds = MakeDxt5DdsHeader(4, 4);
        const std::vector<uint32_t> texels(16, 0xFF808080);
        const std::vector<uint8_t> blocks = EncodeDxt5(texels.data(), 4, 4);
        dds.insert(dds.end(), blocks.begin(), blocks.end());
        WriteBenchFile("\\bench\\texture\\skin.dds", dds);

        for (KMesh* mesh : {&skinned, &plain}) mesh->SetDevice(device);
        material.SetDevice(device);
        if (skinned.Load("\\bench\\skinned.mesh") || plain.Load("\\bench\\plain.mesh") ||
            animation.Load("\\bench\\moves.ani") || material.Load("\\bench\\plain.mtl"))
            std::abort();
        // Stage 1 gets its texture from outside the file, as stage 0 has it.
        for (KMaterialRecord& record : material.records)
            record.stageTextures[1] = g_pTextureManager->LoadTexture("art\\skin.dds", "\\bench\\", 0, 0, 1);
        device->BeginScene();
    }
    ~MeshScene() {
        device->EndScene();
        material.FreeRecords();
        skinned.Clear();
        plain.Clear();
        ResetTextureManagerForTests();
        for (DWORD s = 0; s < 8; ++s) device->SetTexture(s, nullptr);
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        device->Release();
        d3d->Release();
        lumiva::d3d9::SetNoRaster(false);
    }

    void CreateDevice() {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        HWND window = CreateWindowExA(0, "MeshBench", "MeshBench", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr,
                                      nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = pp.BackBufferHeight = 64;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        if (!d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device))
            std::abort();
    }
};

MeshScene& Scene() {
    static MeshScene scene;
    return scene;
}

// Seconds per item, shown scaled.
benchmark::Counter PerItem(benchmark::State& state, uint32_t items) {
    return benchmark::Counter(double(state.iterations()) * items, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One track taken at a new time each round.
void ApplyTrack(benchmark::State& state, KMesh& mesh, int track, uint32_t items, const char* counter) {
    MeshScene& scene = Scene();
    float time = 0;
    for (auto _ : state) {
        if (mesh.ApplyAnimation(&scene.animation, track, kPlayLoop, time)) state.SkipWithError("apply failed");
        time += 7.0f;
    }
    state.counters[counter] = PerItem(state, items);
}

void BM_ApplySkeletalTrack(benchmark::State& state) { ApplyTrack(state, Scene().skinned, 0, kBones, "per_bone"); }
BENCHMARK(BM_ApplySkeletalTrack);

void BM_ApplyVertexTrack(benchmark::State& state) {
    ApplyTrack(state, Scene().plain, 1, kAnimatedVertices, "per_vertex");
}
BENCHMARK(BM_ApplyVertexTrack);

void BM_RenderPlainSubsets(benchmark::State& state) {
    MeshScene& scene = Scene();
    for (auto _ : state)
        if (scene.plain.Render(&scene.material, 1.0f, nullptr, 0)) state.SkipWithError("render failed");
    state.counters["per_subset"] = PerItem(state, kSubsets);
}
BENCHMARK(BM_RenderPlainSubsets);

}  // namespace
