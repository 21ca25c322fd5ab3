// Model records through DrawPrimitives: 200 handles sharing one plain mesh
// (2 subsets, 500 triangles) with its material and a playing animation,
// one type-12 call per iteration: us per model with the device's "no
// raster" switch on (the module's own cost) and off (with pixels).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <d3d9.h>

#include "AnimationFileWriter.h"
#include "BenchShell.h"
#include "ByteWriter.h"
#include "DxtBlocks.h"
#include "MaterialFileWriter.h"
#include "MeshFileWriter.h"
#include "SprWriter.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "lumiva/PrimitiveRecords.h"
#include "scene/KModelProxy.h"
#include "shell/D3DShellStartup.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace {

constexpr int kModels = 200;

void WriteOrDie(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (!WriteFileBytes(path, bytes)) std::abort();
}

void WriteModelFiles(const std::string& root) {
    std::filesystem::create_directories(root + "/bench/texture");
    meshfile::File mesh;
    mesh.blocks = {meshfile::GridBlock(25, 10, 2)};  // 500 triangles
    WriteOrDie(root + "/bench/unit.mesh", meshfile::Write(mesh));
    mtlfile::File material;
    for (int i = 0; i < 2; ++i) {
        mtlfile::Record record;
        mtlfile::Stage stage;
        stage.textureName = "art\\skin.dds";
        record.stages = {stage};
        material.records.push_back(record);
    }
    WriteOrDie(root + "/bench/unit.mtl", mtlfile::Write(material));
    std::vector<uint8_t> dds = MakeDxt5DdsHeader(4, 4);
    const std::vector<uint32_t> texels(16, 0xFF808080);
    const std::vector<uint8_t> blocks = EncodeDxt5(texels.data(), 4, 4);
    dds.insert(dds.end(), blocks.begin(), blocks.end());
    WriteOrDie(root + "/bench/texture/skin.dds", dds);
    animfile::File animation;
    animfile::Track track;
    track.name = "idle";
    track.frameCount = 10;
    track.interval = 100.0f;
    track.boneNames = {"bone0"};
    for (int f = 0; f < 10; ++f) track.matrices.push_back(animfile::Translation(float(f), 0, 0));
    animation.tracks = {track};
    WriteOrDie(root + "/bench/unit.anim", animfile::Write(animation));
}

struct ModelScene : BenchShell {
    std::vector<KModelProxy*> handles;
    std::vector<KPrimModel> records = std::vector<KPrimModel>(kModels);

    ModelScene()
        : BenchShell("models", [](const std::string& root) {
              basrel::SetDebugLogToFile(false);
              WriteModelFiles(root);
          }) {
        for (int i = 0; i < kModels; ++i) {
            KModelProxy* handle = shell->CreateModel("\\bench\\unit");
            if (!handle) std::abort();
            handle->PlayAnimation("\\bench\\unit.anim", 0, 1);
            handle->SetPosition(float(i % 20) * 30.0f, 0.0f, float(i / 20) * 30.0f, 0);
            handles.push_back(handle);
            records[size_t(i)] = KPrimModel{};
            records[size_t(i)].model = handle;
            records[size_t(i)].computeTransform = 1;
        }
    }
    ~ModelScene() {
        for (KModelProxy* handle : handles) shell->ReleaseModel(handle);
    }
};

void Run(benchmark::State& state, bool noRaster) {
    ModelScene scene;
    lumiva::d3d9::SetNoRaster(noRaster);
    for (auto _ : state) scene.shell->DrawPrimitives(kModels, scene.records.data(), PRIM_MODELS, 0, 0, -1, -1);
    lumiva::d3d9::SetNoRaster(false);
    state.counters["us_per_model"] = benchmark::Counter(double(state.iterations() * kModels) / 1e6,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ModelDrawNoRaster(benchmark::State& state) { Run(state, true); }
void BM_ModelDrawWithPixels(benchmark::State& state) { Run(state, false); }

}  // namespace

BENCHMARK(BM_ModelDrawNoRaster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelDrawWithPixels)->Unit(benchmark::kMillisecond);
