#include "d3d9/Recorder.h"

#include <cstdio>
#include <memory>

#include "d3d9/Registry.h"

namespace lumiva::d3d9 {
namespace {

// A draw's state is some 25 KB. Draws share the snapshot of an equal state
// seen among the last few (drawers toggle a handful of states back and
// forth), and the recorder stops, saying so, once it holds this many
// distinct snapshots (about 100 MB): a test that records more is recording
// far more than it can check.
constexpr size_t kRecentSnapshots = 8;
constexpr size_t kSnapshotLimit = 4096;

template <typename T>
bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool SameLights(const std::map<DWORD, LightSlot>& a, const std::map<DWORD, LightSlot>& b) {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (i->first != j->first || !SameBytes(i->second, j->second)) return false;
    return true;
}

bool SameState(const DeviceState& a, const DeviceState& b) {
    return SameBytes(a.renderStates, b.renderStates) && SameBytes(a.stageStates, b.stageStates) &&
           SameBytes(a.samplerStates, b.samplerStates) && SameBytes(a.textures, b.textures) &&
           SameBytes(a.view, b.view) && SameBytes(a.projection, b.projection) &&
           SameBytes(a.textureMatrices, b.textureMatrices) && SameBytes(a.worldMatrices, b.worldMatrices) &&
           SameBytes(a.viewport, b.viewport) && SameBytes(a.material, b.material) && SameLights(a.lights, b.lights) &&
           SameBytes(a.clipPlanes, b.clipPlanes) && SameBytes(a.scissorRect, b.scissorRect) && a.fvf == b.fvf &&
           a.declaration == b.declaration && SameBytes(a.streams, b.streams) && a.indices == b.indices &&
           a.vertexShader == b.vertexShader && a.pixelShader == b.pixelShader &&
           SameBytes(a.vertexFloatConstants, b.vertexFloatConstants) &&
           SameBytes(a.vertexIntConstants, b.vertexIntConstants) &&
           SameBytes(a.vertexBoolConstants, b.vertexBoolConstants) &&
           SameBytes(a.pixelFloatConstants, b.pixelFloatConstants) &&
           SameBytes(a.pixelIntConstants, b.pixelIntConstants) &&
           SameBytes(a.pixelBoolConstants, b.pixelBoolConstants) && a.renderTarget == b.renderTarget &&
           a.depthStencil == b.depthStencil && a.softwareVertexProcessing == b.softwareVertexProcessing &&
           SameBytes(a.nPatchSegments, b.nPatchSegments);
}

std::shared_ptr<const DeviceState> Snapshot(Registry& registry, const DeviceState& state) {
    for (const auto& recent : registry.recentSnapshots)
        if (SameState(*recent, state)) return recent;
    if (registry.snapshotCount >= kSnapshotLimit) return nullptr;
    auto snapshot = std::make_shared<const DeviceState>(state);
    ++registry.snapshotCount;
    registry.recentSnapshots.push_front(snapshot);
    if (registry.recentSnapshots.size() > kRecentSnapshots) registry.recentSnapshots.pop_back();
    return snapshot;
}

}  // namespace

std::atomic<bool> RecorderSwitch::on_{false};

HRESULT RecordCallNow(const char* name, std::initializer_list<uint64_t> args, HRESULT result) {
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    if (!IsRecordingCalls()) return result;
    registry.calls.push_back(RecordedCall{name, std::vector<uint64_t>(args), result, nullptr});
    return result;
}

HRESULT RecordDrawNow(const char* name, std::initializer_list<uint64_t> args, HRESULT result,
                      const DeviceState& state) {
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    if (!IsRecordingCalls()) return result;
    std::shared_ptr<const DeviceState> snapshot = Snapshot(registry, state);
    if (!snapshot) {
        std::fprintf(stderr,
                     "d3d9 call recorder: stopped at %zu distinct draw states (about %zu MB); record fewer draws\n",
                     kSnapshotLimit, kSnapshotLimit * sizeof(DeviceState) >> 20);
        RecorderSwitch::Set(false);
        return result;
    }
    registry.calls.push_back(RecordedCall{name, std::vector<uint64_t>(args), result, std::move(snapshot)});
    return result;
}

}  // namespace lumiva::d3d9
