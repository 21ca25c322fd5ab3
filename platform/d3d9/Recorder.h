// The call recorder: device operations append their name, arguments and
// result while recording is on; draws add a snapshot of the state.
#pragma once

#include <cstring>
#include <initializer_list>

#include "d3d9/State.h"

namespace lumiva::d3d9 {

bool IsRecordingCalls();
HRESULT RecordCall(const char* name, std::initializer_list<uint64_t> args, HRESULT result);
HRESULT RecordDraw(const char* name, std::initializer_list<uint64_t> args, HRESULT result, const DeviceState& state);

inline uint64_t FloatArg(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline uint64_t PointerArg(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

}  // namespace lumiva::d3d9
