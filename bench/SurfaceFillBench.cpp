// Whole-target moves of the device against the machine's own memory
// speed, measured side by side in one loop: a clear of an 800 x 600 target
// against a memset of the same bytes, and the present of an 800 x 600 back
// buffer stretched onto a 1024 x 768 screen against a memcpy of the screen.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "d3d9/SurfaceCopy.h"

namespace {

using lumiva::d3d9::PixelBuffer;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Times `ours` and `reference` alternately; "speed" is reference time over
// ours (1 is as fast), "cost" ours over reference.
template <class Ours, class Reference>
void SideBySide(benchmark::State& state, Ours ours, Reference reference) {
    double oursSeconds = 0, referenceSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ours();
        benchmark::ClobberMemory();
        const auto middle = std::chrono::steady_clock::now();
        reference();
        benchmark::ClobberMemory();
        oursSeconds += Seconds(middle - start);
        referenceSeconds += Seconds(std::chrono::steady_clock::now() - middle);
    }
    const double n = double(state.iterations());
    state.counters["ours_us"] = oursSeconds / n * 1e6;
    state.counters["reference_us"] = referenceSeconds / n * 1e6;
    state.counters["speed"] = oursSeconds > 0 ? referenceSeconds / oursSeconds : 0;
    state.counters["cost"] = referenceSeconds > 0 ? oursSeconds / referenceSeconds : 0;
}

// Argument: the target format (A8R8G8B8 colour, D24S8 depth and stencil).
void BM_ClearVsMemset800x600(benchmark::State& state) {
    const D3DFORMAT format = D3DFORMAT(state.range(0));
    PixelBuffer target;
    target.Allocate(format, 800, 600);
    std::vector<BYTE> plain(target.bytes.size());
    const RECT all{0, 0, 800, 600};
    const bool depth = format == D3DFMT_D24S8;
    state.SetLabel(depth ? "D24S8 depth 0.5 and stencil" : "A8R8G8B8 0xFF203040");
    SideBySide(
        state,
        [&] {
            if (depth)
                lumiva::d3d9::FillDepthStencil(target, all, true, 0.5f, true, 0);
            else
                lumiva::d3d9::FillColor(target, all, 0xFF203040u);
            benchmark::DoNotOptimize(target.bytes.data());
        },
        [&] {
            std::memset(plain.data(), 0x5A, plain.size());
            benchmark::DoNotOptimize(plain.data());
        });
}

void BM_PresentStretch800x600To1024x768VsMemcpy(benchmark::State& state) {
    PixelBuffer back, screen;
    back.Allocate(D3DFMT_X8R8G8B8, 800, 600);
    screen.Allocate(D3DFMT_A8R8G8B8, 1024, 768);
    for (size_t i = 0; i < back.bytes.size(); ++i) back.bytes[i] = BYTE(i * 7);
    std::vector<BYTE> copy(screen.bytes.size());
    const RECT source{0, 0, 800, 600}, destination{0, 0, 1024, 768};
    SideBySide(
        state,
        [&] {
            lumiva::d3d9::StretchNearest(back, source, screen, destination, destination, true);
            benchmark::DoNotOptimize(screen.bytes.data());
        },
        [&] {
            std::memcpy(copy.data(), screen.bytes.data(), copy.size());
            benchmark::DoNotOptimize(copy.data());
        });
}

}  // namespace

BENCHMARK(BM_ClearVsMemset800x600)->Arg(D3DFMT_A8R8G8B8)->Arg(D3DFMT_D24S8)->UseRealTime();
BENCHMARK(BM_PresentStretch800x600To1024x768VsMemcpy)->UseRealTime();
