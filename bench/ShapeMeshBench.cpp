// KShapeMesh::Render of a 2,000-vertex, 20-primitive mesh on the software
// device with "no raster": the module's own cost per primitive when the
// frame stays, and per vertex when every draw moves to another frame.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "DtsSamples.h"
#include "DtsWriter.h"
#include "NoRasterDevice.h"
#include "shape/KShape.h"
#include "shape/ShapeDrawParams.h"

namespace {

constexpr uint32_t kVertices = 2000, kPrimitives = 20;

struct MeshScene : NoRasterDevice {
    KShape shape;

    MeshScene() {
        // Twice the coordinates of one frame, so material frames differ.
        dts::Shape description = dts::SingleMeshShape(kVertices, kPrimitives);
        auto& texCoords = description.meshes[0].texCoords;
        texCoords.insert(texCoords.end(), texCoords.begin(), texCoords.end());
        const std::vector<uint8_t> bytes = dts::WriteDts(description);
        if (!ReadShape(bytes.data(), bytes.size(), &shape)) std::abort();
    }
    ~MeshScene() { shape.Clear(); }
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
