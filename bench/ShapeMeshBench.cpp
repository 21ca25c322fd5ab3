// KShapeMesh::Render of a 2,000-vertex, 20-primitive mesh on the software
// device with "no raster": the module's own cost per primitive when the
// frame stays, and per vertex when every draw moves to another frame.
#include <benchmark/benchmark.h>

#include <windows.h>
#include <d3d9.h>

#include <cstdlib>
#include <vector>

#include "DtsSamples.h"
#include "DtsWriter.h"
#include "d3d9/Control.h"
#include "shape/KShape.h"
#include "shape/ShapeDrawParams.h"

namespace {

constexpr uint32_t kVertices = 2000, kPrimitives = 20;

struct MeshScene {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    KShape shape;

    MeshScene() {
        lumiva::d3d9::SetNoRaster(true);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        HWND window = CreateWindowExA(0, "ShapeBench", "ShapeBench", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                      nullptr, nullptr);
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
        // Twice the coordinates of one frame, so material frames differ.
        dts::Shape description = dts::SingleMeshShape(kVertices, kPrimitives);
        auto& texCoords = description.meshes[0].texCoords;
        texCoords.insert(texCoords.end(), texCoords.begin(), texCoords.end());
        const std::vector<uint8_t> bytes = dts::WriteDts(description);
        if (!ReadShape(bytes.data(), bytes.size(), &shape)) std::abort();
        device->BeginScene();
    }
    ~MeshScene() {
        device->EndScene();
        shape.Clear();
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        device->Release();
        d3d->Release();
        lumiva::d3d9::SetNoRaster(false);
    }
    KShapeMesh& Mesh() { return *shape.ObjectMesh(0); }
};

void BM_ShapeMeshRenderSameFrame(benchmark::State& state) {
    MeshScene scene;
    scene.Mesh().Render(0, 0, scene.shape.materials, scene.device);
    for (auto _ : state) scene.Mesh().Render(0, 0, scene.shape.materials, scene.device);
    // Seconds per primitive.
    state.counters["per_primitive"] =
        benchmark::Counter(kPrimitives, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ShapeMeshRenderSameFrame);

void BM_ShapeMeshRenderNewFrame(benchmark::State& state) {
    MeshScene scene;
    int materialFrame = 0;
    for (auto _ : state) {
        materialFrame ^= 1;
        scene.Mesh().Render(0, materialFrame, scene.shape.materials, scene.device);
    }
    // Seconds per vertex, the whole draw included.
    state.counters["per_vertex"] =
        benchmark::Counter(kVertices, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ShapeMeshRenderNewFrame);

}  // namespace
