// The call recorder: device operations append their name, arguments and
// result while recording is on; draws add a snapshot of the state.
#pragma once

#include <atomic>
#include <cstring>
#include <initializer_list>

#include "d3d9/State.h"

namespace lumiva::d3d9 {

// The recorder's switch, read inline by every device call so that a call
// costs one load while nothing records.
class RecorderSwitch {
public:
    static bool On() { return on_.load(std::memory_order_relaxed); }
    static void Set(bool on) { on_.store(on, std::memory_order_relaxed); }

private:
    static std::atomic<bool> on_;
};

inline bool IsRecordingCalls() { return RecorderSwitch::On(); }

HRESULT RecordCallNow(const char* name, std::initializer_list<uint64_t> args, HRESULT result);
HRESULT RecordDrawNow(const char* name, std::initializer_list<uint64_t> args, HRESULT result,
                      const DeviceState& state);

inline HRESULT RecordCall(const char* name, std::initializer_list<uint64_t> args, HRESULT result) {
    return IsRecordingCalls() ? RecordCallNow(name, args, result) : result;
}
inline HRESULT RecordDraw(const char* name, std::initializer_list<uint64_t> args, HRESULT result,
                          const DeviceState& state) {
    return IsRecordingCalls() ? RecordDrawNow(name, args, result, state) : result;
}

inline uint64_t FloatArg(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline uint64_t PointerArg(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

}  // namespace lumiva::d3d9
