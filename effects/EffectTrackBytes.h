// Key values as the effect file stores them: three floats for the vector
// tracks, one 32-bit value for the others.
#pragma once

#include <windows.h>
#include <d3dx9math.h>

#include <cstdint>

#include "effects/EffectFileFormat.h"

namespace effect_bytes {

template <class V>
constexpr uint32_t kValueBytes = 4;
template <>
inline constexpr uint32_t kValueBytes<D3DXVECTOR3> = 12;

inline void GetValue(const uint8_t* p, D3DXVECTOR3* v) { *v = D3DXVECTOR3(GetF32(p), GetF32(p + 4), GetF32(p + 8)); }
inline void GetValue(const uint8_t* p, float* v) { *v = GetF32(p); }
inline void GetValue(const uint8_t* p, DWORD* v) { *v = GetU32(p); }
inline void GetValue(const uint8_t* p, int32_t* v) { *v = int32_t(GetU32(p)); }

inline void PutValue(uint8_t* p, const D3DXVECTOR3& v) {
    PutF32(p, v.x);
    PutF32(p + 4, v.y);
    PutF32(p + 8, v.z);
}
inline void PutValue(uint8_t* p, float v) { PutF32(p, v); }
inline void PutValue(uint8_t* p, DWORD v) { PutU32(p, v); }
inline void PutValue(uint8_t* p, int32_t v) { PutU32(p, uint32_t(v)); }

}  // namespace effect_bytes
