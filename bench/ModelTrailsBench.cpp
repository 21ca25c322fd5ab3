// Trails and bound effects of 100 models, "no raster": a 128-vertex weapon
// trail each (ns per trail vertex), a 16-sample cool trail each (ns per
// sample) and the placement of four one-quad bound effects each without
// the node's draw (ns per placement).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "A3eWriter.h"
#include "BenchShell.h"
#include "BindEffectIniWriter.h"
#include "DxtBlocks.h"
#include "MeshFileWriter.h"
#include "SprWriter.h"
#include "effects/KBindEffectSet.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "scene/KModelProxy.h"
#include "shell/ClientSettings.h"

namespace {

constexpr int kModels = 100;
constexpr int kTrailVertices = 128;
constexpr int kCoolSamples = 16;
constexpr int kBoundEffects = 4;
constexpr uint64_t kFrameMs = 16;
const char* const kSockets[kBoundEffects] = {"hand", "foot", "head", "back"};

void WriteFile(const std::string& root, const std::string& relative, const std::vector<uint8_t>& bytes) {
    const std::string path = root + "/" + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

void WriteData(const std::string& root) {
    meshfile::File mesh;
    mesh.blocks.push_back(meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 1, 2 + kBoundEffects));
    mesh.blocks[0].dummies[0].name = "BL1";
    mesh.blocks[0].dummies[1].name = "BL2";
    for (int i = 0; i < kBoundEffects; ++i) mesh.blocks[0].dummies[size_t(2 + i)].name = kSockets[i];
    WriteFile(root, "model/hero.mesh", meshfile::Write(mesh));

    std::vector<uint8_t> dds = MakeDxt5DdsHeader(4, 4);
    const std::vector<uint32_t> white(16, 0xFFFFFFFF);
    const std::vector<uint8_t> blocks = EncodeDxt5(white.data(), 4, 4);
    dds.insert(dds.end(), blocks.begin(), blocks.end());
    WriteFile(root, "portrait/common/trail.dds", dds);

    bindini::TrailSettings trail;
    trail.liveTime = 1000000;
    trail.maxQueueElemNum = kTrailVertices;
    trail.spreadFactor = 0.01f;
    WriteFile(root, "settings/trail.ini", Text(bindini::WriteTrailSettings(trail)));

    a3e::File quad;
    a3e::Element element;
    element.type = 2;
    element.dimension = {4, 4, 0};
    quad.elements = {element};
    quad.tracks.resize(1);
    quad.duration = 1000000;
    WriteFile(root, "fx/quad.a3e", a3e::WriteA3e(quad));
}

struct Crowd {
    BenchShell bench{"modeltrails", WriteData};
    std::vector<KModelProxy*> handles;
    std::vector<KModel*> models;

    Crowd() {
        lumiva::win32::InstallManualClock(100000);
        lumiva::d3d9::SetNoRaster(true);
        g_CoolSettings.interval = int(kFrameMs) - 1;
        g_CoolSettings.limitNum = kCoolSamples;
        g_CoolSettings.width = 8;
        g_CoolSettings.height = 30;
        for (int i = 0; i < kModels; ++i) {
            KModelProxy* handle = bench.shell->CreateModel("\\model\\hero.mesh");
            KModel* model = handle ? handle->GetModel() : nullptr;
            if (!model || !model->mesh) std::abort();
            if (model->LoadTrailSettings("\\settings\\trail.ini", "TEST_TYPE") != 1) std::abort();
            for (const char* socket : kSockets)
                if (model->AddBindEffect("fx\\quad.a3e", socket, 1 + i % 4, 1.0f, 0.0f) != 0) std::abort();
            model->SetTrailEnabled(1);
            model->SetCoolTrail(1);
            model->SetPosition(float(i), 0, 0, 0);
            handles.push_back(handle);
            models.push_back(model);
        }
        KMesh* mesh = models[0]->mesh;
        for (size_t d = 0; d < mesh->dummies.size(); ++d)
            D3DXMatrixTranslation(&mesh->dummies[d].worldMatrix, float(d), float(d) * 10.0f, 0.0f);
        for (int frame = 0; frame < kTrailVertices; ++frame) Frame();
    }
    ~Crowd() {
        for (KModelProxy* handle : handles) bench.shell->ReleaseModel(handle);
        g_CoolSettings = KCoolSettings{};
        lumiva::d3d9::SetNoRaster(false);
    }
    void Frame() {
        lumiva::win32::AdvanceClock(kFrameMs);
        for (KModel* model : models) {
            model->UpdateTrail();
            model->SortAndDraw(0.0f);
        }
    }
};

void BM_WeaponTrail(benchmark::State& state) {
    Crowd crowd;
    double vertices = 0;
    for (auto _ : state) {
        lumiva::win32::AdvanceClock(kFrameMs);
        for (KModel* model : crowd.models) model->UpdateTrail();
        vertices += double(kModels) * kTrailVertices;
    }
    state.counters["held"] = double(crowd.models[0]->trailVertices.size());
    state.counters["ns_per_vertex"] =
        benchmark::Counter(vertices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CoolTrail(benchmark::State& state) {
    Crowd crowd;
    double samples = 0;
    for (auto _ : state) {
        lumiva::win32::AdvanceClock(kFrameMs);
        for (KModel* model : crowd.models) model->SortAndDraw(0.0f);
        samples += double(kModels) * kCoolSamples;
    }
    state.counters["held"] = double(crowd.models[0]->coolTrailSamples.size());
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The placement alone: the socket looked up, the matrices composed and the
// node given its position, direction and scale.
void BM_BoundEffectPlacement(benchmark::State& state) {
    Crowd crowd;
    double placements = 0;
    for (auto _ : state) {
        for (KModel* model : crowd.models)
            for (int i = 0; i < kBoundEffects; ++i) model->currentBindEffects->GetEffect(i)->Update();
        placements += double(kModels) * kBoundEffects;
    }
    state.counters["ns_per_placement"] =
        benchmark::Counter(placements, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_WeaponTrail)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CoolTrail)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BoundEffectPlacement)->Unit(benchmark::kMicrosecond);
