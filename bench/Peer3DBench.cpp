// A host's 3D frame against a peer: the peer scene (50 textured, lit,
// depth-tested meshes of 500 triangles at 800 x 600) drawn by our device
// through the shell, as a host draws its meshes, and by Irrlicht's software
// renderer in the same run. Neither side presents; ours ends its scene, so
// the frame's kept draws land inside the timing. The "ratio" counter is our
// time over Irrlicht's, "cpu_ratio" the same in processor time of the whole
// process (every raster thread of ours counts; the figure to trust on a
// loaded machine). Before timing, the two frames are compared: the pixels
// each covers must agree, and their colours are reported.
#include <benchmark/benchmark.h>
#include <d3d9.h>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchShell.h"
#include "Peer3DScene.h"
#include "d3d9/Control.h"
#ifdef LUMIVA_HAVE_IRRLICHT
#include "IrrlichtPeer.h"
#endif

namespace {

using peer3d::Scene;

D3DMATRIX Matrix(const float m[16]) {
    D3DMATRIX out;
    std::memcpy(out.m, m, sizeof out.m);
    return out;
}

D3DCOLORVALUE Value(const float rgb[3], float alpha) { return D3DCOLORVALUE{rgb[0], rgb[1], rgb[2], alpha}; }

D3DCOLOR Colour(const float rgb[3]) {
    const auto channel = [](float c) { return D3DCOLOR(c * 255.0f + 0.5f); };
    return 0xFF000000u | channel(rgb[0]) << 16 | channel(rgb[1]) << 8 | channel(rgb[2]);
}

// The scene in the shell's device: a vertex and an index buffer a mesh.
class OurSide {
public:
    explicit OurSide(const Scene& scene) : shell_("peer3d"), scene_(scene) {}
    ~OurSide() {
        IDirect3DDevice9* device = shell_.shell->GetDevice();
        device->SetTexture(0, nullptr);
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        for (IUnknown* object : owned_) object->Release();
    }
    OurSide(const OurSide&) = delete;
    OurSide& operator=(const OurSide&) = delete;

    bool Open() {
        IDirect3DDevice9* device = shell_.shell->GetDevice();
        if (FAILED(device->CreateTexture(peer3d::kTextureSize, peer3d::kTextureSize, 1, 0, D3DFMT_A8R8G8B8,
                                         D3DPOOL_MANAGED, &texture_, nullptr)))
            return false;
        owned_.push_back(texture_);
        D3DLOCKED_RECT locked{};
        if (FAILED(texture_->LockRect(0, &locked, nullptr, 0))) return false;
        for (int y = 0; y < peer3d::kTextureSize; ++y)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch,
                        &scene_.texture[size_t(y) * peer3d::kTextureSize], peer3d::kTextureSize * 4);
        texture_->UnlockRect(0);
        for (const peer3d::Mesh& mesh : scene_.meshes) {
            Buffers buffers{};
            const UINT vertexBytes = UINT(mesh.vertices.size() * sizeof(peer3d::Vertex));
            const UINT indexBytes = UINT(mesh.indices.size() * sizeof(uint16_t));
            if (FAILED(device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED,
                                                  &buffers.vertices, nullptr)))
                return false;
            owned_.push_back(buffers.vertices);
            if (FAILED(device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                 &buffers.indices, nullptr)))
                return false;
            owned_.push_back(buffers.indices);
            void* p = nullptr;
            if (FAILED(buffers.vertices->Lock(0, 0, &p, 0))) return false;
            std::memcpy(p, mesh.vertices.data(), vertexBytes);
            buffers.vertices->Unlock();
            if (FAILED(buffers.indices->Lock(0, 0, &p, 0))) return false;
            std::memcpy(p, mesh.indices.data(), indexBytes);
            buffers.indices->Unlock();
            buffers.vertexCount = UINT(mesh.vertices.size());
            buffers.triangles = UINT(mesh.indices.size() / 3);
            buffers.world = Matrix(mesh.world);
            meshes_.push_back(buffers);
        }
        return true;
    }

    // A frame as a host draws its 3D part: clear, frame states, then each
    // mesh's world transform, buffers and one indexed draw.
    void Draw() {
        IDirect3DDevice9* device = shell_.shell->GetDevice();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, peer3d::kClearColour, 1.0f, 0);
        SetFrameStates(device);
        device->SetFVF(kFvf);
        for (const Buffers& mesh : meshes_) {
            device->SetTransform(D3DTS_WORLD, &mesh.world);
            device->SetStreamSource(0, mesh.vertices, 0, sizeof(peer3d::Vertex));
            device->SetIndices(mesh.indices);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, mesh.vertexCount, 0, mesh.triangles);
        }
        // Kept draws are rasterized when the scene ends; the shell keeps a
        // scene open between frames.
        device->EndScene();
        device->BeginScene();
    }

    std::vector<uint32_t> Frame() {
        IDirect3DDevice9* device = shell_.shell->GetDevice();
        IDirect3DSurface9* back = nullptr;
        if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return {};
        const lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
        back->Release();
        std::vector<uint32_t> out;
        for (D3DCOLOR c : image.pixels) out.push_back(c | 0xFF000000u);
        return out;
    }

private:
    static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
    struct Buffers {
        IDirect3DVertexBuffer9* vertices;
        IDirect3DIndexBuffer9* indices;
        UINT vertexCount, triangles;
        D3DMATRIX world;
    };

    void SetFrameStates(IDirect3DDevice9* device) {
        const D3DMATRIX view = Matrix(scene_.view), projection = Matrix(scene_.projection);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = Value(scene_.lightDiffuse, 1.0f);
        light.Direction = D3DVECTOR{scene_.lightDirection[0], scene_.lightDirection[1], scene_.lightDirection[2]};
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        D3DMATERIAL9 material{};
        material.Diffuse = material.Ambient = Value(scene_.material, 1.0f);
        device->SetMaterial(&material);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
        device->SetRenderState(D3DRS_AMBIENT, Colour(scene_.ambient));
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetTexture(0, texture_);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
        device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }

    BenchShell shell_;
    const Scene& scene_;
    IDirect3DTexture9* texture_ = nullptr;
    std::vector<Buffers> meshes_;
    std::vector<IUnknown*> owned_;
};

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The process's processor time, all threads: on a loaded machine the wall
// clock counts time the threads waited for a processor, which the two sides
// do not share alike, and our raster workers' time is ours too.
double ProcessMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// How far two frames of the same scene agree: the share of pixels both
// cover or both leave clear, and the mean difference of a channel (0-255)
// where both cover.
struct Agreement {
    double coverage = 0, colour = 0, ours = 0, peer = 0;
};

Agreement Compare(const std::vector<uint32_t>& ours, const std::vector<uint32_t>& peer) {
    Agreement a;
    if (ours.size() != peer.size() || ours.empty()) return a;
    size_t same = 0, both = 0, ourCovered = 0, peerCovered = 0;
    double difference = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        const bool o = ours[i] != peer3d::kClearColour, p = peer[i] != peer3d::kClearColour;
        ourCovered += o;
        peerCovered += p;
        same += o == p;
        if (!o || !p) continue;
        ++both;
        for (int shift = 0; shift < 24; shift += 8)
            difference += std::abs(int(ours[i] >> shift & 255) - int(peer[i] >> shift & 255)) / 3.0;
    }
    a.coverage = double(same) / double(ours.size());
    a.colour = both ? difference / double(both) : 0;
    a.ours = double(ourCovered) / double(ours.size());
    a.peer = double(peerCovered) / double(peer.size());
    return a;
}

// With LUMIVA_PEER3D_FRAMES set to a folder, both frames are written there
// as PNG files to look at.
void SaveFrame(const std::vector<uint32_t>& pixels, const char* name) {
    const char* folder = std::getenv("LUMIVA_PEER3D_FRAMES");
    if (!folder || pixels.size() != size_t(peer3d::kWidth) * peer3d::kHeight) return;
    lumiva::d3d9::Image image;
    image.width = peer3d::kWidth;
    image.height = peer3d::kHeight;
    image.pixels.assign(pixels.begin(), pixels.end());
    lumiva::d3d9::SavePng(image, std::string(folder) + "/" + name);
}

// Frames whose coverage agrees less than this, or whose channels differ
// more on average where both cover, are not the same scene. (The lighting
// of the two renderers differs a little, near silhouettes most.)
constexpr double kSameCoverage = 0.97, kSameChannels = 24.0;

std::string Setup(const Scene& scene) {
    return std::to_string(lumiva::d3d9::RasterThreadCount()) + " raster threads, " + std::to_string(peer3d::kWidth) +
           "x" + std::to_string(peer3d::kHeight) + ", " + std::to_string(scene.meshes.size()) + " meshes, " +
           std::to_string(peer3d::Triangles(scene)) + " triangles, texture " + std::to_string(peer3d::kTextureSize) +
           "^2";
}

void BM_Peer3DOursVsIrrlicht(benchmark::State& state) {
    const Scene& scene = peer3d::TheScene();
    OurSide ours(scene);
    // After the shell: building it resets the device's settings.
    lumiva::d3d9::SetRasterThreadCount(int(state.range(0)));
    if (!ours.Open()) return state.SkipWithError("our device refused the scene");
    const std::string setup = Setup(scene);
#ifdef LUMIVA_HAVE_IRRLICHT
    peer3d::IrrlichtPeer peer;
    std::string why;
    const bool havePeer = peer.Open(scene, why);
#else
    const bool havePeer = false;
    const std::string why = "Irrlicht is not installed (Debian's libirrlicht-dev)";
#endif
    if (!havePeer) std::fprintf(stderr, "Peer3D: peer skipped: %s\n", why.c_str());
    ours.Draw();
    const std::vector<uint32_t> ourFrame = ours.Frame();
    SaveFrame(ourFrame, "peer3d-ours.png");
    Agreement agreement;
#ifdef LUMIVA_HAVE_IRRLICHT
    if (havePeer) {
        peer.Draw();
        const std::vector<uint32_t> peerFrame = peer.Frame();
        SaveFrame(peerFrame, "peer3d-irrlicht.png");
        agreement = Compare(ourFrame, peerFrame);
        if (agreement.coverage < kSameCoverage || agreement.colour > kSameChannels)
            return state.SkipWithError("the two renderers drew different scenes");
    }
#endif
    if (havePeer) state.counters["coverage_agree"] = agreement.coverage;
    if (havePeer) state.counters["channel_diff"] = agreement.colour;
    double oursMs = 0, peerMs = 0, oursCpuMs = 0, peerCpuMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessMilliseconds();
        ours.Draw();
        const auto middle = std::chrono::steady_clock::now();
        const double cpuMiddle = ProcessMilliseconds();
#ifdef LUMIVA_HAVE_IRRLICHT
        if (havePeer) peer.Draw();
#endif
        oursMs += Milliseconds(middle - start);
        peerMs += Milliseconds(std::chrono::steady_clock::now() - middle);
        oursCpuMs += cpuMiddle - cpuStart;
        peerCpuMs += ProcessMilliseconds() - cpuMiddle;
    }
    lumiva::d3d9::SetRasterThreadCount(0);
    const double n = double(state.iterations());
    state.counters["ours_ms"] = oursMs / n;
    state.counters["ours_cpu_ms"] = oursCpuMs / n;
    if (!havePeer) return state.SetLabel(setup + "; peer skipped: " + why);
    state.SetLabel(setup);
    state.counters["irrlicht_ms"] = peerMs / n;
    state.counters["irrlicht_cpu_ms"] = peerCpuMs / n;
    state.counters["ratio"] = peerMs > 0 ? oursMs / peerMs : 0;
    state.counters["cpu_ratio"] = peerCpuMs > 0 ? oursCpuMs / peerCpuMs : 0;
}

}  // namespace

// Argument: our raster threads (1, and 0 for the processor count); the
// peer draws on one thread.
BENCHMARK(BM_Peer3DOursVsIrrlicht)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
