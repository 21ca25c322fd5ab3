// A shape instance's frame on the software device with "no raster": threads
// advanced, the dirty parts animated and detail 0 drawn, for a writer shape
// of 64 nodes and 16 meshes played by two threads (one a blend). Reported
// per node and per frame; the animation alone beside it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "DtsSamples.h"
#include "DtsWriter.h"
#include "NoRasterDevice.h"
#include "shape/KShape.h"
#include "shape/KShapeInstance.h"
#include "shape/ShapeAnimScratch.h"
#include "shape/ShapeDrawParams.h"

namespace {

constexpr uint32_t kNodes = 64, kMeshes = 16;
constexpr float kFrameSeconds = 0.016f;

struct InstanceScene : NoRasterDevice {
    KShape shape;
    KShapeInstance* instance = nullptr;

    InstanceScene() {
        const std::vector<uint8_t> bytes = dts::WriteDts(dts::AnimatedTreeShape(kNodes, kMeshes));
        if (!ReadShape(bytes.data(), bytes.size(), &shape)) std::abort();
        instance = new KShapeInstance(&shape, true, device);
        KShapeThread* cycle = instance->AddThread();
        KShapeThread* blend = instance->AddThread();
        instance->SetSequence(cycle, 0, 0.0f);
        instance->SetSequence(blend, 1, 0.0f);
        ResetShapeDrawParams();
    }
    ~InstanceScene() {
        delete instance;
        shape.Clear();
        ResetShapeAnimScratch();
    }
};

void PerNodeAndFrame(benchmark::State& state) {
    state.counters["per_node"] =
        benchmark::Counter(kNodes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["per_frame"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ShapeInstanceFrame(benchmark::State& state) {
    InstanceScene scene;
    for (auto _ : state) {
        scene.instance->AdvanceTime(kFrameSeconds);
        scene.instance->Animate();
        scene.instance->RenderDetail(0, nullptr, nullptr);
    }
    PerNodeAndFrame(state);
}
BENCHMARK(BM_ShapeInstanceFrame);

void BM_ShapeInstanceAnimate(benchmark::State& state) {
    InstanceScene scene;
    for (auto _ : state) {
        scene.instance->AdvanceTime(kFrameSeconds);
        scene.instance->Animate();
    }
    PerNodeAndFrame(state);
}
BENCHMARK(BM_ShapeInstanceAnimate);

}  // namespace
