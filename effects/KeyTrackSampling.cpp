// Sampling the key tracks at a time.
#include <algorithm>
#include <cstdint>

#include "effects/K3DEffectKeyTracks.h"

namespace {

// Where a linear track stands at a time: between key i - 1 and key i with
// the fraction f of the way; i = 0 blends from the base at time 0.
struct Blend {
    int i;
    float f;
};

// Time differences in 64 bits: keys far apart must not wrap. Before the
// first key the fraction stays within 0..1, and a first key at time 0 or
// earlier leaves the base (no division by zero).
template <class V>
Blend Locate(const KEffectKeyTrack<V>& track, int time) {
    const int i = track.KeysAtOrBefore(time);
    if (i == 0) {
        const int32_t first = track.times[0];
        if (first <= 0) return {0, 0.0f};
        return {0, std::clamp(float(time) / float(first), 0.0f, 1.0f)};
    }
    if (i == track.Count()) return {i, 1.0f};
    // times[i - 1] <= time < times[i], so the span is positive.
    const int64_t from = track.times[size_t(i - 1)];
    const int64_t to = track.times[size_t(i)];
    return {i, float(int64_t(time) - from) / float(to - from)};
}

D3DXVECTOR3 Lerp(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float f) { return a + (b - a) * f; }

DWORD LerpColor(DWORD a, DWORD b, float f) {
    DWORD out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = int(a >> shift & 0xFF);
        const int cb = int(b >> shift & 0xFF);
        const int c = int(float(ca) + float(cb - ca) * f);  // truncated toward zero
        out |= DWORD(std::clamp(c, 0, 255)) << shift;
    }
    return out;
}

// A linear track: the base before the first key (blended toward it), the
// last value after the last key, a blend between keys.
template <class V, class Mix>
V SampleLinear(const KEffectKeyTrack<V>& track, int time, const V& empty, const V& base, Mix mix) {
    if (track.Count() == 0) return empty;
    const Blend at = Locate(track, time);
    if (at.i == 0) return mix(base, track.values[0], at.f);
    if (at.i == track.Count()) return track.values[size_t(at.i - 1)];
    return mix(track.values[size_t(at.i - 1)], track.values[size_t(at.i)], at.f);
}

// A stepped track: the last key at or before the time, else the default.
template <class V>
V SampleStepped(const KEffectKeyTrack<V>& track, int time, const V& fallback) {
    const int i = track.KeysAtOrBefore(time);
    return i == 0 ? fallback : track.values[size_t(i - 1)];
}

const D3DXVECTOR3 kZero(0.0f, 0.0f, 0.0f);
const D3DXVECTOR3 kOne(1.0f, 1.0f, 1.0f);

}  // namespace

void K3DEffectKeyTracks::SamplePosition(int time, D3DXVECTOR3* out) const {
    if (out) *out = SampleLinear(position, time, kZero, kZero, Lerp);
}

void K3DEffectKeyTracks::SampleRotation(int time, float* out) const {
    if (out) *out = SampleLinear(rotation, time, 0.0f, 0.0f, [](float a, float b, float f) { return a + (b - a) * f; });
}

void K3DEffectKeyTracks::SampleColor(int time, DWORD* out) const {
    if (out) *out = SampleLinear(color, time, DWORD(0xFFFFFFFF), DWORD(0), LerpColor);
}

void K3DEffectKeyTracks::SampleScale(int time, D3DXVECTOR3* out) const {
    if (out) *out = SampleLinear(scale, time, kOne, kOne, Lerp);
}

void K3DEffectKeyTracks::SampleVisible(int time, int* out) const {
    if (out) *out = SampleStepped(visible, time, int32_t(1));
}

void K3DEffectKeyTracks::SampleOffset(int time, D3DXVECTOR3* out) const {
    if (out) *out = SampleStepped(offset, time, kZero);
}
