// 100 effect nodes of four elements each (a ground quad, an upright quad, a
// 16-side ring and a camera-facing quad, all with a picture and keyed
// tracks) drawn through DrawPrimitives node records, as the host draws
// standalone effects every frame: ns per element with the device's
// "no raster" switch on (the module's own cost) and off (with pixels).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <d3d9.h>
#include <d3dx9math.h>

#include "A3eWriter.h"
#include "BenchScratch.h"
#include "ByteWriter.h"
#include "SprWriter.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "lumiva/PrimitiveRecords.h"
#include "lumiva/IK3DEffectNode.h"
#include "effects/K3DEffectSetCache.h"
#include "shell/D3DShellStartup.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace {

constexpr int kNodes = 100;
constexpr int kElementsPerNode = 4;

a3e::File FourElementEffect() {
    a3e::File file;
    file.duration = 1 << 30;  // never over during a run
    file.spinSpeed = 1.0f;
    const uint8_t types[kElementsPerNode] = {1, 2, 4, 5};
    for (uint8_t type : types) {
        a3e::Element e;
        e.type = type;
        e.name = "e";
        e.dimension = {24, 16, 8};
        e.segments = {16, 0};
        e.fileName = "\\s.spr";
        file.elements.push_back(e);
        a3e::Tracks t;
        for (int k = 0; k < 4; ++k) {
            const int32_t time = 250 * k;
            t.position.push_back({{float(k), 0, float(-k)}, time});
            t.rotation.push_back({0.1f * float(k), time});
            t.color.push_back({0xFF000000u | uint32_t(k * 0x202020), time});
            t.scale.push_back({{1.0f + 0.1f * float(k), 1, 1}, time});
            t.visible.push_back({1, time});
            t.offset.push_back({{0, float(k), 0}, time});
        }
        file.tracks.push_back(t);
    }
    return file;
}

struct EffectScene {
    std::string root;
    KDrawShell* shell = nullptr;
    std::vector<KPrimNode> records = std::vector<KPrimNode>(kNodes);

    EffectScene() {
        BasrelResetForTests();
        lumiva::win32::ResetForTests();
        lumiva::win32::SetMessageBoxLog([](const std::string&) {});
        lumiva::win32::InstallManualClock(100000);
        lumiva::d3d9::ResetForTests();
        ResetDirect3DForTests();
        ResetShellForTests();
        root = BenchScratchFolder() + "/effectnode";
        std::filesystem::create_directories(root);
        g_SetRootPath(root.c_str());
        const std::vector<uint32_t> pixels(16 * 16, 0xC0FF8040u);
        WriteFileBytes(root + "/s.spr", WriteSpr(SprSpriteInfo{16, 16, 8, 8, 1, 1}, {{16, 16, 0, 0, pixels}}));
        WriteFileBytes(root + "/fx.a3e", a3e::WriteA3e(FourElementEffect()));
        g_SetMainHWnd(CreateWindowExA(0, "LumivaBench", "Lumiva", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                      nullptr, nullptr, nullptr));
        shell = static_cast<KDrawShell*>(CreateLumivaShell4());
        shell->Create(800, 600, 0, 0, 0);
        IDirect3DDevice9* device = shell->GetDevice();
        D3DXMATRIX view, projection;
        D3DXMatrixIdentity(&view);
        D3DXMatrixOrthoLH(&projection, 800, 600, 0, 1000);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        for (int i = 0; i < kNodes; ++i) {
            IK3DEffectNode* node = shell->CreateEffectNode("fx.a3e", 0);
            node->SetPosition(float((i % 10) * 70 - 320), float((i / 10) * 55 - 250), 100, 0);
            records[size_t(i)].node = node;
        }
        device->BeginScene();
    }
    ~EffectScene() {
        shell->GetDevice()->EndScene();
        for (KPrimNode& r : records) shell->ReleaseEffectNode(r.node);
        EffectSetCache().ResetForTests();
        ResetShellForTests();
        ResetDirect3DForTests();
        lumiva::d3d9::ResetForTests();
        lumiva::win32::ResetForTests();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};

void Run(benchmark::State& state, bool noRaster) {
    EffectScene scene;
    lumiva::d3d9::SetNoRaster(noRaster);
    for (auto _ : state) {
        lumiva::win32::AdvanceClock(7);
        scene.shell->DrawPrimitives(kNodes, scene.records.data(), PRIM_EFFECT_NODES, 0, 0, -1, -1.0f);
    }
    lumiva::d3d9::SetNoRaster(false);
    const double elements = double(state.iterations()) * kNodes * kElementsPerNode;
    state.SetItemsProcessed(int64_t(elements));
    state.counters["ns_per_element"] =
        benchmark::Counter(elements, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_EffectNodesNoRaster(benchmark::State& state) { Run(state, true); }
void BM_EffectNodesWithPixels(benchmark::State& state) { Run(state, false); }

}  // namespace

BENCHMARK(BM_EffectNodesNoRaster)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EffectNodesWithPixels)->Unit(benchmark::kMicrosecond);
