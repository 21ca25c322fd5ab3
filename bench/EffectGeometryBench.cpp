// Sampling an element's six key tracks and building its geometry, as an
// effect node does for every element every frame: a quad element, a
// 32-side ring (66 vertices), an 8 x 16 dome (272 vertices), and a
// 16-element set of 14 quads, the ring and the dome.
#include <benchmark/benchmark.h>

#include <windows.h>
#include <d3dx9math.h>

#include "effects/K3DEffectSet.h"

namespace {

void AddKeys(K3DEffectKeyTracks& t) {
    for (int k = 0; k < 4; ++k) {
        const int time = 250 * k;
        t.AddPositionKey(float(k), 0, float(-k), time);
        t.AddRotationKey(0.1f * float(k), time);
        t.AddColorKey(0xFF000000u | DWORD(k * 0x101010), time);
        t.AddScaleKey(1.0f + float(k), 1, 1, time);
        t.AddVisibleKey(1, time);
        t.AddOffsetKey(0, float(k), 0, time);
    }
}

// Elements of the given types: 1 and 2 quads, 4 the ring, 3 the dome.
struct BenchSet {
    K3DEffectSet set;
    explicit BenchSet(const std::vector<int>& types) {
        for (int type : types) {
            K3DEffectElement* e = nullptr;
            K3DEffectKeyTracks* t = nullptr;
            set.AddElement(&e, &t, type);
            e->SetDimension(1, 10);
            e->SetDimension(2, 6);
            e->SetDimension(3, 4);
            e->SetSegments(1, type == 4 ? 32 : 8);
            e->SetSegments(2, 16);
            AddKeys(*t);
        }
    }
    // One frame at `time`: sample and build every element; vertices built.
    int Frame(int time) {
        int vertices = 0;
        D3DXMATRIX world;
        D3DXMatrixIdentity(&world);
        for (int i = 0; i < set.ElementCount(); ++i) {
            const K3DEffectKeyTracks* t = set.GetElementTracks(i);
            D3DXVECTOR3 position, scale, offset;
            float yaw;
            DWORD color;
            int visible;
            set.SamplePosition(&position, time, t);
            set.SampleRotation(&yaw, time, t);
            set.SampleColor(&color, time, t);
            set.SampleScale(&scale, time, t);
            set.SampleVisible(&visible, time, t);
            set.SampleOffset(&offset, time, t);
            world._41 = position.x;
            KEffectGeometry g = set.BuildElementGeometry(set.GetElement(i), world, offset, scale, color, 1, 1);
            benchmark::DoNotOptimize(g.vertices.get());
            vertices += g.count;
        }
        return vertices;
    }
};

void Run(benchmark::State& state, const std::vector<int>& types) {
    BenchSet bench(types);
    int time = 0;
    int64_t vertices = 0;
    for (auto _ : state) {
        vertices += bench.Frame(time);
        time = (time + 7) % 1000;
    }
    // Seconds per element and per vertex (shown as n for ns).
    const double elements = double(state.iterations()) * double(types.size());
    state.counters["per_element"] =
        benchmark::Counter(elements, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["per_vertex"] =
        benchmark::Counter(double(vertices), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_EffectQuadElement(benchmark::State& state) { Run(state, {1}); }
void BM_EffectRingElement(benchmark::State& state) { Run(state, {4}); }
void BM_EffectDomeElement(benchmark::State& state) { Run(state, {3}); }
void BM_EffectSixteenElementSet(benchmark::State& state) {
    std::vector<int> types(14, 2);
    types[0] = types[7] = 1;
    types.push_back(4);
    types.push_back(3);
    Run(state, types);
}

BENCHMARK(BM_EffectQuadElement);
BENCHMARK(BM_EffectRingElement);
BENCHMARK(BM_EffectDomeElement);
BENCHMARK(BM_EffectSixteenElementSet);

}  // namespace
