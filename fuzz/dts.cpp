// Shape files: the outer stream, both passes over the memory buffer, the
// checks and derived tables; then every mesh of an accepted shape drawn at
// its first and last frame on the fuzz device, skinned meshes re-posed by
// identity node matrices.
#include <vector>

#include "DtsSamples.h"
#include "DtsWriter.h"
#include "shape/KShape.h"
#include "shape/ShapeDrawParams.h"
#include "support/FuzzDevice.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(dts) {
    SeedList seeds;
    for (uint32_t v : {2u, 6u, 11u, 16u, 19u, 21u, 22u, 24u})
        seeds.push_back({"sample-v" + std::to_string(v), dts::WriteDts(dts::SampleShape(v))});
    dts::Shape frames = dts::SingleMeshShape(12, 2, 3);
    frames.meshes[0].materialFrameCount = 2;
    seeds.push_back({"three-frames", dts::WriteDts(frames)});
    dts::Shape strips = dts::SampleShape(24);
    strips.meshes[4].primitives[0].material = dts::kStrip | dts::kNoMaterial;
    seeds.push_back({"strip-without-material", dts::WriteDts(strips)});
    const Bytes sample = dts::WriteDts(dts::SampleShape(24));
    seeds.push_back({"cut", Truncated(sample, sample.size() / 2)});
    return seeds;
}

LUMIVA_FUZZ_TARGET(dts, data, size) {
    KShape shape;
    if (!ReadShape(data, size, &shape)) return;
    std::vector<float> nodes(size_t(shape.nodes.count) * 16, 0.0f);
    for (uint32_t n = 0; n < shape.nodes.count; ++n)
        for (int d = 0; d < 4; ++d) nodes[n * 16 + d * 5] = 1.0f;
    g_ShapeDrawParams.nodeMatrices = nodes.data();
    g_ShapeDrawParams.nodeCount = shape.nodes.count;
    g_ShapeDrawParams.visibility = 0.5f;
    IDirect3DDevice9* device = FuzzDevice();
    for (uint32_t i = 0; i < shape.meshes.count; ++i) {
        KShapeMesh* mesh = shape.ObjectMesh(i);
        if (!mesh) continue;
        mesh->Render(0, 0, shape.materials, device);
        const int last = mesh->frameCount > 1 ? int(mesh->frameCount - 1) : 0;
        const int lastMaterial = mesh->materialFrameCount > 1 ? int(mesh->materialFrameCount - 1) : 0;
        mesh->Render(last, lastMaterial, shape.materials, device);
    }
    ResetShapeDrawParams();
    // The fuzz device outlives the shape: let go of what the draws bound.
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
}
