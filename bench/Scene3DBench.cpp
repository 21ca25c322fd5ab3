// The 3D workload of the scene subsystems on the software device: a lit,
// textured, depth-tested mesh of 20,000 ten-pixel triangles at 800 x 600,
// and a 2,000-vertex four-weight skinned mesh through each skinning path
// (the four-weight shader, indexed blending, blending, software processing).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include <d3d9.h>
#include <d3dx9.h>

#include "d3d9/Control.h"
#include "d3d9/raster/VertexProcessing.h"
#include "tests/support/SkinningContract.h"
#include "tests/support/WindowedDevice.h"
#include "win32/Control.h"

namespace {

constexpr UINT kWidth = 800, kHeight = 600;
constexpr int kGrid = 100;  // quads a side: 20,000 triangles
constexpr int kBones = 30;
constexpr int kSkinVertices = 2000;

// Per-iteration counts as rates, and per-item times (their inverse).
benchmark::Counter PerSecond(double items) {
    return benchmark::Counter(items, benchmark::Counter::kIsIterationInvariantRate);
}
benchmark::Counter Each(double items) {
    return benchmark::Counter(items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A window and a windowed 800 x 600 device with depth on a machine whose
// caps `adjust` changes.
class BenchDevice {
public:
    explicit BenchDevice(DWORD flags, const std::function<void(D3DCAPS9&)>& adjust = nullptr) {
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
        if (adjust) adjust(adapter.halCaps);
        lumiva::d3d9::SetAdapters({adapter});
        window_ = CreateWindowExA(0, "LumivaBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                                  nullptr, nullptr, nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS pp = WindowedTestParametersWithDepth(window_, kWidth, kHeight);
        if (d3d_ && d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, flags, &pp, &device) == D3D_OK)
            device->BeginScene();
    }
    ~BenchDevice() {
        for (IUnknown* object : owned_) object->Release();
        if (device) {
            device->EndScene();
            device->Release();
        }
        if (d3d_) d3d_->Release();
        DestroyWindow(window_);
    }

    template <class Vertex>
    IDirect3DVertexBuffer9* Buffer(const std::vector<Vertex>& vertices, DWORD usage = 0) {
        IDirect3DVertexBuffer9* buffer = nullptr;
        const UINT bytes = UINT(vertices.size() * sizeof(Vertex));
        device->CreateVertexBuffer(bytes, usage, 0, D3DPOOL_MANAGED, &buffer, nullptr);
        void* p = nullptr;
        buffer->Lock(0, 0, &p, 0);
        std::memcpy(p, vertices.data(), bytes);
        buffer->Unlock();
        owned_.push_back(buffer);
        return buffer;
    }

    IDirect3DIndexBuffer9* Indices(const std::vector<WORD>& indices) {
        IDirect3DIndexBuffer9* buffer = nullptr;
        const UINT bytes = UINT(indices.size() * sizeof(WORD));
        device->CreateIndexBuffer(bytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer, nullptr);
        void* p = nullptr;
        buffer->Lock(0, 0, &p, 0);
        std::memcpy(p, indices.data(), bytes);
        buffer->Unlock();
        owned_.push_back(buffer);
        return buffer;
    }

    IDirect3DDevice9* device = nullptr;

private:
    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    std::vector<IUnknown*> owned_;
};

// --- The lit mesh ---

struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// A slightly tilted, bumpy sheet at depth 10 that covers 447 x 447 pixels:
// quads of 4.47 pixels, so triangles of 10.
struct LitMesh {
    std::vector<MeshVertex> vertices;
    std::vector<WORD> indices;
    LitMesh() {
        const float extent = 447.0f / 400.0f * 10.0f;
        for (int j = 0; j <= kGrid; ++j)
            for (int i = 0; i <= kGrid; ++i) {
                const float s = float(i) / kGrid, t = float(j) / kGrid;
                const float x = (s - 0.5f) * extent, y = (0.5f - t) * extent;
                D3DXVECTOR3 n(0.3f * std::sin(s * 20.0f), 0.3f * std::cos(t * 17.0f), -1.0f);
                D3DXVec3Normalize(&n, &n);
                vertices.push_back(MeshVertex{x, y, 10.0f + 0.2f * y, n.x, n.y, n.z, s * 4.0f, t * 4.0f});
            }
        for (int j = 0; j < kGrid; ++j)
            for (int i = 0; i < kGrid; ++i) {
                const WORD a = WORD(j * (kGrid + 1) + i), b = WORD(a + 1), c = WORD(a + kGrid + 1), d = WORD(c + 1);
                indices.insert(indices.end(), {a, b, c, c, b, d});
            }
    }
};

// Lighting, the texture and the transforms of the lit mesh on a device.
void SetLitMeshStates(IDirect3DDevice9* device, IDirect3DTexture9* texture) {
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, float(kWidth) / float(kHeight), 1.0f, 100.0f);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = D3DCOLORVALUE{1.0f, 0.9f, 0.8f, 0.0f};
    light.Direction = D3DVECTOR{0.3f, -0.5f, 1.0f};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    D3DMATERIAL9 material{};
    material.Diffuse = material.Ambient = D3DCOLORVALUE{0.9f, 0.9f, 0.9f, 1.0f};
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF303030);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, texture);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
}

IDirect3DTexture9* CheckerTexture(IDirect3DDevice9* device) {
    IDirect3DTexture9* texture = nullptr;
    device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const D3DCOLOR c = ((x / 8 + y / 8) % 2) ? 0xFFE0C080 : 0xFF406080;
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &c, 4);
        }
    texture->UnlockRect(0);
    return texture;
}

// The whole mesh drawn with depth, one frame an iteration (cleared first).
// With culling on, every vertex is processed and every triangle dropped
// before its pixels.
void RunLitMesh(benchmark::State& state, bool culled) {
    BenchDevice bench(D3DCREATE_MIXED_VERTEXPROCESSING);
    IDirect3DDevice9* device = bench.device;
    if (!device) return state.SkipWithError("no device");
    const LitMesh mesh;
    IDirect3DTexture9* texture = CheckerTexture(device);
    SetLitMeshStates(device, texture);
    if (culled) device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetFVF(kMeshFvf);
    device->SetStreamSource(0, bench.Buffer(mesh.vertices), 0, sizeof(MeshVertex));
    device->SetIndices(bench.Indices(mesh.indices));
    for (auto _ : state) {
        if (!culled) device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, UINT(mesh.vertices.size()), 0,
                                     UINT(mesh.indices.size() / 3));
    }
    device->SetTexture(0, nullptr);
    texture->Release();
    state.counters["triangles/s"] = PerSecond(double(mesh.indices.size() / 3));
    state.counters["s/vertex"] = Each(double(mesh.vertices.size()));
}

void BM_LitMesh20000Triangles(benchmark::State& state) { RunLitMesh(state, false); }
void BM_LitMeshAllCulled(benchmark::State& state) { RunLitMesh(state, true); }

// The vertex stage alone on the lit mesh's vertices: fetch, transform,
// directional light, texture coordinates.
void BM_LitVertexStage(benchmark::State& state) {
    const LitMesh mesh;
    raster::StateBlock states;
    raster::SetDefaultStates(states);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 4.0f / 3.0f, 1.0f, 100.0f);
    std::memcpy(states.projection.m, projection.m, sizeof projection.m);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = D3DCOLORVALUE{1.0f, 0.9f, 0.8f, 0.0f};
    light.Direction = D3DVECTOR{0.3f, -0.5f, 1.0f};
    states.lights = &light;
    states.lightCount = 1;
    states.material.Diffuse = D3DCOLORVALUE{0.9f, 0.9f, 0.9f, 1.0f};
    states.render[D3DRS_AMBIENT] = 0xFF303030;
    raster::DrawCommand draw;
    draw.streams[0] = raster::StreamView{reinterpret_cast<const uint8_t*>(mesh.vertices.data()),
                                         mesh.vertices.size() * sizeof(MeshVertex), sizeof(MeshVertex)};
    draw.fvf = kMeshFvf;
    draw.states = &states;
    raster::VertexSetup setup;
    raster::ClipVertex out;
    for (auto _ : state) {
        raster::BuildVertexSetup(draw, 1, setup);
        for (uint32_t v = 0; v < mesh.vertices.size(); ++v) raster::ProcessVertex(setup, v, out);
        benchmark::DoNotOptimize(out);
    }
    state.counters["s/vertex"] = Each(double(mesh.vertices.size()));
}

// --- The skinned mesh ---

using SkinVertex = skinning_contract::Vertex;  // the shader's and indexed blending's layout
struct BlendVertex {  // blending by world matrices 0 to 3
    float x, y, z;
    float weights[3];
    float u, v;
};

D3DXMATRIX Bone(int b) {
    D3DXMATRIX turn, move;
    const D3DXVECTOR3 axis(1.0f, float(b % 5), 2.0f);
    D3DXMatrixRotationAxis(&turn, &axis, 0.2f * float(b));
    D3DXMatrixTranslation(&move, float(b % 7) * 0.1f, float(b % 3) * 0.2f, 0.0f);
    return turn * move;
}

// Every vertex lands behind the eye: the draw processes each and draws none.
D3DXMATRIX SkinView() {
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, 0.0f, 0.0f, -100.0f);
    return view;
}

struct SkinnedMesh {
    std::vector<SkinVertex> skin;
    std::vector<BlendVertex> blend;
    SkinnedMesh() {
        for (int i = 0; i < kSkinVertices; ++i) {
            const float a = float(i) * 0.01f;
            const float w[3] = {0.4f, 0.3f, 0.2f};
            skin.push_back(SkinVertex{std::sin(a), std::cos(a * 1.3f), a * 0.1f, {w[0], w[1], w[2]},
                                      {BYTE(i % kBones), BYTE((i * 7) % kBones), BYTE((i * 13) % kBones),
                                       BYTE((i * 29) % kBones)},
                                      a, 1 - a});
            blend.push_back(BlendVertex{std::sin(a), std::cos(a * 1.3f), a * 0.1f, {w[0], w[1], w[2]}, a, 1 - a});
        }
    }
};

enum class SkinPath { kShader, kIndexed, kBlended, kSoftware };

void SetShaderPath(BenchDevice& bench, const SkinnedMesh& mesh, std::vector<IUnknown*>& made) {
    IDirect3DDevice9* device = bench.device;
    IDirect3DVertexShader9* shader = nullptr;
    device->CreateVertexShader(skinning_contract::Tokens(4).data(), &shader);
    IDirect3DVertexDeclaration9* declaration = nullptr;
    device->CreateVertexDeclaration(skinning_contract::kElements, &declaration);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 4.0f / 3.0f, 1.0f, 1000.0f);
    D3DXMATRIX bones[kBones];
    for (int b = 0; b < kBones; ++b) bones[b] = Bone(b);
    const std::vector<float> constants = skinning_contract::Constants(SkinView() * projection, bones, kBones);
    device->SetVertexShaderConstantF(0, constants.data(), UINT(constants.size() / 4));
    device->SetVertexDeclaration(declaration);
    device->SetVertexShader(shader);
    device->SetStreamSource(0, bench.Buffer(mesh.skin), 0, sizeof(SkinVertex));
    made.push_back(shader);
    made.push_back(declaration);
}

void SetBlendPath(BenchDevice& bench, const SkinnedMesh& mesh, SkinPath path) {
    IDirect3DDevice9* device = bench.device;
    D3DXMATRIX projection, view = SkinView();
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 4.0f / 3.0f, 1.0f, 1000.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    for (int b = 0; b < kBones; ++b) {
        const D3DXMATRIX bone = Bone(b);
        device->SetTransform(D3DTS_WORLDMATRIX(b), &bone);
    }
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_3WEIGHTS);
    if (path == SkinPath::kIndexed) {
        device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
        device->SetFVF(D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_TEX1);
        device->SetStreamSource(0, bench.Buffer(mesh.skin), 0, sizeof(SkinVertex));
        return;
    }
    const bool software = path == SkinPath::kSoftware;
    device->SetSoftwareVertexProcessing(software);
    device->SetFVF(D3DFVF_XYZB3 | D3DFVF_TEX1);
    device->SetStreamSource(0, bench.Buffer(mesh.blend, software ? D3DUSAGE_SOFTWAREPROCESSING : 0), 0,
                            sizeof(BlendVertex));
}

// Every vertex of the skinned mesh through one path, as points that land
// behind the eye: the time is the vertex stage's and the draw's own.
void RunSkinned(benchmark::State& state, SkinPath path) {
    // A mixed device whose hardware blends with indices up to 37.
    BenchDevice bench(D3DCREATE_MIXED_VERTEXPROCESSING, [](D3DCAPS9& caps) { caps.MaxVertexBlendMatrixIndex = 37; });
    if (!bench.device) return state.SkipWithError("no device");
    const SkinnedMesh mesh;
    std::vector<IUnknown*> made;
    if (path == SkinPath::kShader) SetShaderPath(bench, mesh, made);
    else SetBlendPath(bench, mesh, path);
    for (auto _ : state) {
        if (bench.device->DrawPrimitive(D3DPT_POINTLIST, 0, kSkinVertices) != D3D_OK)
            return state.SkipWithError("draw refused");
    }
    bench.device->SetVertexShader(nullptr);
    bench.device->SetVertexDeclaration(nullptr);
    for (IUnknown* object : made) object->Release();
    state.counters["s/vertex"] = Each(kSkinVertices);
}

// The shader's vertex stage alone, batch by batch as a draw runs it: input
// fetch, the program, outputs.
void BM_SkinnedShaderVertexStage(benchmark::State& state) {
    const SkinnedMesh mesh;
    const std::vector<DWORD> tokens = skinning_contract::Tokens(4);
    raster::VertexProgram program;
    size_t length = 0;
    raster::DecodeVertexProgram(tokens.data(), tokens.size(), program, length);
    std::vector<float> constants(96 * 4, 0.5f);
    constants[3] = 765.01f;
    const std::vector<raster::VertexElement> elements = skinning_contract::RasterElements();
    raster::StateBlock states;
    raster::SetDefaultStates(states);
    raster::DrawCommand draw;
    draw.streams[0] = raster::StreamView{reinterpret_cast<const uint8_t*>(mesh.skin.data()),
                                         mesh.skin.size() * sizeof(SkinVertex), sizeof(SkinVertex)};
    draw.declaration = elements.data();
    draw.states = &states;
    draw.vertexProgram = &program;
    draw.shaderConstants = reinterpret_cast<const float(*)[4]>(constants.data());
    draw.shaderConstantCount = 96;
    raster::VertexSetup setup;
    raster::ClipVertex out[raster::kVertexBatch];
    raster::ClipVertex* targets[raster::kVertexBatch];
    for (int i = 0; i < raster::kVertexBatch; ++i) targets[i] = &out[i];
    uint32_t numbers[raster::kVertexBatch];
    bool ok[raster::kVertexBatch];
    for (auto _ : state) {
        raster::BuildVertexSetup(draw, 1, setup);
        for (uint32_t v = 0; v < mesh.skin.size(); v += raster::kVertexBatch) {
            for (int i = 0; i < raster::kVertexBatch; ++i) numbers[i] = v + uint32_t(i);
            raster::ProcessVertices(setup, numbers, raster::kVertexBatch, targets, ok);
        }
        benchmark::DoNotOptimize(out);
    }
    state.counters["s/vertex"] = Each(double(mesh.skin.size()));
}

void BM_SkinnedShader(benchmark::State& state) { RunSkinned(state, SkinPath::kShader); }
void BM_SkinnedIndexedBlending(benchmark::State& state) { RunSkinned(state, SkinPath::kIndexed); }
void BM_SkinnedBlending(benchmark::State& state) { RunSkinned(state, SkinPath::kBlended); }
void BM_SkinnedSoftware(benchmark::State& state) { RunSkinned(state, SkinPath::kSoftware); }

}  // namespace

BENCHMARK(BM_LitMesh20000Triangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LitMeshAllCulled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LitVertexStage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinnedShaderVertexStage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinnedShader)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinnedIndexedBlending)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinnedBlending)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinnedSoftware)->Unit(benchmark::kMicrosecond);
