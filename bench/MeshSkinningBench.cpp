// A 30-bone, 2,000-vertex mesh with four influences a vertex through
// KMesh::Render in each skinning mode: the shaders, indexed blending,
// blending, and blending of two matrices with a software pass. With
// "no raster" the time per draw is the module's own cost (counted per
// bone); with pixels it is counted per vertex. The draws go without a
// material set, so the texture manager of the other benchmarks stays out.
#include <benchmark/benchmark.h>

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdlib>
#include <string>

#include "BenchScratch.h"
#include "ByteWriter.h"
#include "MeshFileWriter.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/DebugLog.h"
#include "d3d9/Control.h"
#include "scene/KMesh.h"
#include "shell/D3DDevice.h"

namespace {

constexpr uint32_t kBones = 30;
constexpr uint32_t kColumns = 49, kRows = 39;  // 2,000 vertices
constexpr uint32_t kVertices = (kColumns + 1) * (kRows + 1);
constexpr UINT kTargetSize = 256;
constexpr const char* kMeshPath = "\\bench\\skin4.mesh";

struct ModeCaps {
    DWORD vertexShader;
    DWORD shaderConstants;
    DWORD blendMatrixIndex;
    DWORD blendMatrices;
    DWORD expectedMode;
};
constexpr ModeCaps kShaders{D3DVS_VERSION(1, 1), 96, 0, 4, 2};
constexpr ModeCaps kIndexed{0, 0, 12, 4, 1};
constexpr ModeCaps kBlended{0, 0, 0, 4, 0};
constexpr ModeCaps kSoftwarePass{0, 0, 0, 2, 0};

void WriteMeshFile() {
    static const bool written = [] {
        meshfile::File file;
        file.blocks = {meshfile::BlendedSkinBlock(meshfile::GridBlock(kColumns, kRows), kBones, 4)};
        return WriteFileBytes(BenchScratchFolder() + "/bench/skin4.mesh", meshfile::Write(file));
    }();
    if (!written) std::abort();
}

// A mixed-processing device on a machine with the mode's caps, the device
// wrapper as the shell leaves it, and the mesh built and posed, looked at
// from above inside a scene.
class SkinScene {
public:
    SkinScene(const ModeCaps& caps, bool raster) {
        basrel::SetDebugLogToFile(false);
        g_SetRootPath(BenchScratchFolder().c_str());
        WriteMeshFile();
        lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
        adapter.halCaps.VertexShaderVersion = caps.vertexShader;
        adapter.halCaps.MaxVertexShaderConst = caps.shaderConstants;
        adapter.halCaps.MaxVertexBlendMatrixIndex = caps.blendMatrixIndex;
        adapter.halCaps.MaxVertexBlendMatrices = caps.blendMatrices;
        lumiva::d3d9::SetAdapters({adapter});
        lumiva::d3d9::SetNoRaster(!raster);
        CreateDevice();
        device->GetDeviceCaps(&g_D3DDevice.caps);
        g_D3DDevice.device = device;
        g_D3DDevice.behaviorFlags = D3DCREATE_MULTITHREADED | D3DCREATE_MIXED_VERTEXPROCESSING;
        g_D3DDevice.CreateSkinningShaders();
        mesh.SetDevice(device);
        if (mesh.Load(kMeshPath) != 0 || mesh.skinningMode != caps.expectedMode) std::abort();
        Pose();
        UseCamera();
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->BeginScene();
    }
    ~SkinScene() {
        device->EndScene();
        mesh.Clear();
        g_D3DDevice.ReleaseSkinningShaders();
        g_D3DDevice.device = nullptr;
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        device->SetVertexDeclaration(nullptr);
        device->Release();
        d3d->Release();
        DestroyWindow(window);
        lumiva::d3d9::SetAdapters({lumiva::d3d9::DefaultAdapter()});
        lumiva::d3d9::SetNoRaster(false);
    }

    KMesh mesh;

private:
    void CreateDevice() {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        window = CreateWindowExA(0, "SkinBench", "SkinBench", WS_POPUP, 0, 0, kTargetSize, kTargetSize, nullptr,
                                 nullptr, nullptr, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = pp.BackBufferHeight = kTargetSize;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        if (!d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &device))
            std::abort();
    }
    // Every bone turned a little about y from its bind pose.
    void Pose() {
        for (uint32_t b = 0; b < kBones; ++b) {
            KMeshBone& bone = mesh.bones[b];
            D3DXMATRIX bind, turn;
            D3DXMatrixInverse(&bind, nullptr, &bone.offsetMatrix);
            D3DXMatrixRotationY(&turn, 0.01f * float(b));
            bone.currentMatrix = bind * turn;
        }
    }
    void UseCamera() {
        D3DXMATRIX world, view, projection;
        D3DXMatrixIdentity(&world);
        const D3DXVECTOR3 eye(kColumns / 2.0f, 10.0f, kRows / 2.0f), at(kColumns / 2.0f, 0.0f, kRows / 2.0f),
            up(0.0f, 0.0f, 1.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixOrthoLH(&projection, kColumns + 4.0f, kColumns + 4.0f, 1.0f, 20.0f);
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    HWND window = nullptr;
};

// Seconds per item, shown scaled.
benchmark::Counter PerItem(benchmark::State& state, uint32_t items) {
    return benchmark::Counter(double(state.iterations()) * items, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RenderSkinned(benchmark::State& state, const ModeCaps& caps, bool raster) {
    SkinScene scene(caps, raster);
    for (auto _ : state)
        if (scene.mesh.Render(nullptr, 1.0f, nullptr, 0)) state.SkipWithError("render failed");
    if (raster)
        state.counters["per_vertex"] = PerItem(state, kVertices);
    else
        state.counters["per_bone"] = PerItem(state, kBones);
    state.counters["combinations"] = double(scene.mesh.combinationCount);
}

void BM_SkinnedShadersNoRaster(benchmark::State& state) { RenderSkinned(state, kShaders, false); }
void BM_SkinnedIndexedNoRaster(benchmark::State& state) { RenderSkinned(state, kIndexed, false); }
void BM_SkinnedBlendedNoRaster(benchmark::State& state) { RenderSkinned(state, kBlended, false); }
void BM_SkinnedSoftwarePassNoRaster(benchmark::State& state) { RenderSkinned(state, kSoftwarePass, false); }
void BM_SkinnedShadersPixels(benchmark::State& state) { RenderSkinned(state, kShaders, true); }
void BM_SkinnedIndexedPixels(benchmark::State& state) { RenderSkinned(state, kIndexed, true); }
void BM_SkinnedBlendedPixels(benchmark::State& state) { RenderSkinned(state, kBlended, true); }
void BM_SkinnedSoftwarePassPixels(benchmark::State& state) { RenderSkinned(state, kSoftwarePass, true); }
BENCHMARK(BM_SkinnedShadersNoRaster);
BENCHMARK(BM_SkinnedIndexedNoRaster);
BENCHMARK(BM_SkinnedBlendedNoRaster);
BENCHMARK(BM_SkinnedSoftwarePassNoRaster);
BENCHMARK(BM_SkinnedShadersPixels);
BENCHMARK(BM_SkinnedIndexedPixels);
BENCHMARK(BM_SkinnedBlendedPixels);
BENCHMARK(BM_SkinnedSoftwarePassPixels);

}  // namespace
