// The model manager's per-frame ageing pass on the manual clock: over 1,000
// models that each hold their own mesh, material set and animation with
// nothing due (per record scanned), and freeing 1,000 or 4,000 released
// models that are all due (per record freed; the two sizes show it linear).
#include <benchmark/benchmark.h>

#include <windows.h>
#include <d3d9.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "AnimationFileWriter.h"
#include "BenchScratch.h"
#include "ByteWriter.h"
#include "MaterialFileWriter.h"
#include "MeshFileWriter.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/DebugLog.h"
#include "d3d9/Control.h"
#include "scene/KModel.h"
#include "scene/KModelManager.h"
#include "textures/TextureManager.h"
#include "win32/Control.h"

namespace {

constexpr int kHeldModels = 1000;
constexpr int kRecordsPerHeldModel = 4;  // model, mesh, material, animation

void WriteBenchFile(const std::string& modulePath, const std::vector<uint8_t>& bytes) {
    std::string relative = modulePath;
    for (char& c : relative)
        if (c == '\\') c = '/';
    if (!WriteFileBytes(BenchScratchFolder() + relative, bytes)) std::abort();
}

std::vector<uint8_t> AnimationBytes() {
    animfile::Track track;
    track.name = "idle";
    track.frameCount = 2;
    track.boneNames = {"bone0"};
    track.matrices = {animfile::Translation(0, 0, 0), animfile::Translation(1, 0, 0)};
    animfile::File file;
    file.tracks = {track};
    return animfile::Write(file);
}

std::vector<uint8_t> MaterialBytes() {
    mtlfile::File file;
    file.records.resize(1);
    return mtlfile::Write(file);
}

struct ManagerScene {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;

    ManagerScene() {
        lumiva::d3d9::SetNoRaster(true);
        lumiva::win32::InstallManualClock(100000);
        basrel::SetDebugLogToFile(false);
        g_SetRootPath(BenchScratchFolder().c_str());
        CreateDevice();
        if (!g_pTextureManager->Init(device, 1, 0)) std::abort();
        ResetModelManagerForTests();
        g_pModelManager->SetDevice(device);
    }
    ~ManagerScene() {
        ResetModelManagerForTests();
        ResetTextureManagerForTests();
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        device->Release();
        d3d->Release();
        lumiva::d3d9::SetNoRaster(false);
    }

    void CreateDevice() {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        HWND window = CreateWindowExA(0, "ModelManagerBench", "ModelManagerBench", WS_POPUP, 0, 0, 64, 64, nullptr,
                                      nullptr, nullptr, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = pp.BackBufferHeight = 64;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        if (!d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device))
            std::abort();
    }

    // Models each loading files of their own names.
    void LoadHeldModels() {
        meshfile::File mesh;
        mesh.blocks = {meshfile::SkinnedBlock(meshfile::GridBlock(1, 1), 1, 1)};
        const std::vector<uint8_t> meshBytes = meshfile::Write(mesh);
        const std::vector<uint8_t> materialBytes = MaterialBytes();
        const std::vector<uint8_t> animationBytes = AnimationBytes();
        for (int i = 0; i < kHeldModels; ++i) {
            const std::string base = "\\held\\m" + std::to_string(i);
            WriteBenchFile(base + ".mesh", meshBytes);
            WriteBenchFile(base + ".mtl", materialBytes);
            WriteBenchFile(base + ".anim", animationBytes);
            KModel* model = nullptr;
            if (g_pModelManager->CreateEmptyModel(&model) || model->SetMesh((base + ".mesh").c_str(), 0) ||
                model->SetMaterial((base + ".mtl").c_str(), 0) || model->SetAnimation((base + ".anim").c_str(), 0))
                std::abort();
        }
    }
};

ManagerScene& Scene() {
    static ManagerScene scene;
    return scene;
}

// Seconds per item, shown scaled.
benchmark::Counter PerItem(benchmark::State& state, double items) {
    return benchmark::Counter(double(state.iterations()) * items, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_AgeingWithNothingDue(benchmark::State& state) {
    Scene();
    ResetModelManagerForTests();
    g_pModelManager->SetDevice(Scene().device);
    Scene().LoadHeldModels();
    for (auto _ : state) {
        g_pModelManager->Update();
        lumiva::win32::AdvanceClock(16);
    }
    state.counters["per_record"] = PerItem(state, kHeldModels * kRecordsPerHeldModel);
    ResetModelManagerForTests();
}
BENCHMARK(BM_AgeingWithNothingDue);

void BM_AgeingFreesDueModels(benchmark::State& state) {
    Scene();
    ResetModelManagerForTests();
    g_pModelManager->SetDevice(Scene().device);
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < count; ++i) {
            KModel* model = nullptr;
            if (g_pModelManager->CreateEmptyModel(&model)) std::abort();
            g_pModelManager->ReleaseModel(model);
        }
        lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1);
        state.ResumeTiming();
        g_pModelManager->Update();
    }
    if (g_pModelManager->modelMap.Size() != 0) state.SkipWithError("models left");
    state.counters["per_freed"] = PerItem(state, count);
    ResetModelManagerForTests();
}
BENCHMARK(BM_AgeingFreesDueModels)->Arg(1000)->Arg(4000)->Arg(16000);

}  // namespace
