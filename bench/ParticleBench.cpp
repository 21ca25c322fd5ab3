// A box-emitter particle system held at a steady count (its rate times a
// one-second life), one Render a 16 ms frame: ns per particle with the
// device's "no raster" switch on (the module's own cost: emission,
// affector, death and motion, and the quad writes) and off (with pixels).
#include <benchmark/benchmark.h>

#include "NoRasterDevice.h"
#include "d3d9/Control.h"
#include "effects/KParticleSystem.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShellStartup.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace {

constexpr uint32_t kLifeMs = 1000;
constexpr uint32_t kFrameMs = 16;

void Run(benchmark::State& state, bool noRaster) {
    lumiva::win32::ResetForTests();
    lumiva::win32::InstallManualClock(100000);
    lumiva::d3d9::ResetForTests();
    ResetShellForTests();
    {
        NoRasterDevice device;
        g_D3DDevice.device = device.device;
        lumiva::d3d9::SetNoRaster(noRaster);
        const auto held = static_cast<uint32_t>(state.range(0));
        auto* system = new KParticleSystem;
        const float size[2] = {20, 20};
        system->SetParticleSize(size);
        system->SetEmitter(system->CreateBoxEmitter(-400, -300, 0, 400, 300, 10, 0, 0.01f, 0, held, held, 1, 1, 1,
                                                    1, 1, 0.5f, 0.5f, 1, kLifeMs, kLifeMs, 0));
        system->AddAffector(system->CreateColorFader(1, 1, 1, 0, 500));
        for (uint32_t warm = 0; warm < 2 * kLifeMs / kFrameMs; ++warm) {
            lumiva::win32::AdvanceClock(kFrameMs);
            system->Render();
        }
        double particles = 0;
        for (auto _ : state) {
            lumiva::win32::AdvanceClock(kFrameMs);
            system->Render();
            particles += double(system->particles.size());
        }
        state.counters["held"] = double(system->particles.size());
        state.SetItemsProcessed(int64_t(particles));
        state.counters["ns_per_particle"] =
            benchmark::Counter(particles, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
        system->ReleaseResources();
        delete system;
        g_D3DDevice.device = nullptr;
    }
    ResetShellForTests();
    lumiva::d3d9::ResetForTests();
    lumiva::win32::ResetForTests();
}

void BM_ParticlesNoRaster(benchmark::State& state) { Run(state, true); }
void BM_ParticlesWithPixels(benchmark::State& state) { Run(state, false); }

}  // namespace

BENCHMARK(BM_ParticlesNoRaster)->Arg(1000)->Arg(10000)->Arg(16000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParticlesWithPixels)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
