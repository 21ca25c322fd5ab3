#include "d3d9/Recorder.h"

#include <memory>

#include "d3d9/Registry.h"

namespace lumiva::d3d9 {

bool IsRecordingCalls() { return Registry::Get().recording; }

HRESULT RecordCall(const char* name, std::initializer_list<uint64_t> args, HRESULT result) {
    Registry& registry = Registry::Get();
    if (!registry.recording) return result;
    std::lock_guard guard(registry.lock);
    registry.calls.push_back(RecordedCall{name, std::vector<uint64_t>(args), result, nullptr});
    return result;
}

HRESULT RecordDraw(const char* name, std::initializer_list<uint64_t> args, HRESULT result, const DeviceState& state) {
    Registry& registry = Registry::Get();
    if (!registry.recording) return result;
    std::lock_guard guard(registry.lock);
    registry.calls.push_back(
        RecordedCall{name, std::vector<uint64_t>(args), result, std::make_shared<const DeviceState>(state)});
    return result;
}

}  // namespace lumiva::d3d9
