// Generating lightning shapes, as a definition does every LiveTime ms: a
// bolt of 50 pairs (it never arrives), a band of 48 steps, and a band of 4
// steps with a ring of 36. All of it fills the definition's fixed array.
#include <benchmark/benchmark.h>

#include "effects/KLightning.h"

namespace {

KLightning& Prepared(int version, float length, int ringSteps) {
    static KLightning lightning;
    lightning.version = version;
    lightning.width = 10, lightning.height = 20, lightning.segLength = 2;
    lightning.randomA = lightning.randomB = lightning.randomC = 4;
    lightning.x1 = lightning.x2 = lightning.y1 = lightning.y2 = lightning.z1 = lightning.z2 = 10;
    lightning.overLimitDistance = 0;
    lightning.reduce = 0.5f;
    lightning.distanceLimit = ringSteps ? 1e9f : 0.0f;
    lightning.radius = 30, lightning.circleWidth = 5, lightning.circleOffset = 3;
    lightning.segementNumber = ringSteps;
    lightning.SetStart(0, 0, 0);
    lightning.SetEnd(length, 20, 5);
    return lightning;
}

// One generation of the shape the definition's version asks for.
void BM_LightningGenerate(benchmark::State& state, int version, float length, int ringSteps) {
    KLightning& lightning = Prepared(version, length, ringSteps);
    for (auto _ : state) {
        if (version == 1)
            lightning.GenerateCircles();
        else
            lightning.GenerateBolt();
        benchmark::DoNotOptimize(lightning.vertices[lightning.vertexCount - 1]);
    }
    state.counters["vertices"] = lightning.vertexCount;
}
BENCHMARK_CAPTURE(BM_LightningGenerate, bolt, 0, 1000.0f, 0);
BENCHMARK_CAPTURE(BM_LightningGenerate, long_band, 1, 1000.0f, 0);
BENCHMARK_CAPTURE(BM_LightningGenerate, band_and_ring, 1, 9.0f, 36);

}  // namespace
