// Shape instances over any shape the reader accepts: a thread on every
// sequence (blends and triggers included), time moved forwards and back,
// every detail animated, drawn and cross-faded on the fuzz device.
#include <vector>

#include "DtsSamples.h"
#include "DtsWriter.h"
#include "shape/KShape.h"
#include "shape/KShapeInstance.h"
#include "shape/ShapeAnimScratch.h"
#include "shape/ShapeDrawParams.h"
#include "support/FuzzDevice.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(dts_instance) {
    SeedList seeds;
    for (uint32_t v : {16u, 22u, 24u})
        seeds.push_back({"sample-v" + std::to_string(v), dts::WriteDts(dts::SampleShape(v))});
    seeds.push_back({"tree", dts::WriteDts(dts::AnimatedTreeShape(12, 4))});
    return seeds;
}

LUMIVA_FUZZ_TARGET(dts_instance, data, size) {
    KShape shape;
    if (!ReadShape(data, size, &shape)) return;
    IDirect3DDevice9* device = FuzzDevice();
    {
        KShapeInstance instance(&shape, true, device);
        for (uint32_t s = 0; s < shape.sequences.Count() && s < 8; ++s) {
            KShapeThread* thread = instance.AddThread();
            instance.SetSequence(thread, s, float(s) * 0.3f);
        }
        for (float seconds : {0.25f, 1.7f, -0.6f, 40.0f}) {
            instance.AdvanceTime(seconds);
            for (int32_t d = -1; d <= int32_t(shape.details.count); ++d) {
                instance.Animate(d);
                instance.RenderDetail(d, &shape.materials, device);
                instance.SetCurrentSize(seconds);
                instance.RenderFaded(d, nullptr);
            }
        }
        if (instance.GetThreadCount()) instance.RemoveThread(instance.GetThread(0));
        instance.Animate(0);
    }
    ResetShapeDrawParams();
    ResetShapeAnimScratch();
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
}
