// The two affectors: a colour fade at the end of a life and a velocity
// blend from its start.
#include <algorithm>
#include <cstring>

#include "effects/KParticleSystem.h"

namespace {

// A zero duration would divide by zero; it acts as one millisecond.
float DurationOf(uint32_t ms) { return ms == 0 ? 1.0f : static_cast<float>(ms); }

}  // namespace

KColorFader::KColorFader(const float colour[4], uint32_t durationMs) : duration(DurationOf(durationMs)) {
    std::memcpy(target, colour, sizeof target);
}

HRESULT KColorFader::Apply(uint32_t now, KParticle* first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        KParticle& p = first[i];
        const auto remaining = static_cast<float>(p.deathTime - now);
        if (remaining >= duration) continue;
        const float f = 1.0f - remaining / duration;
        for (int c = 0; c < 4; ++c) p.colour[c] = p.startColour[c] + (target[c] - p.startColour[c]) * f;
    }
    return 0;
}

KVectorBlender::KVectorBlender(float x, float y, float z, uint32_t durationMs)
    : duration(DurationOf(durationMs)), target{x, y, z} {}

HRESULT KVectorBlender::Apply(uint32_t now, KParticle* first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        KParticle& p = first[i];
        const float t = std::clamp(static_cast<float>(now - p.birthTime) / duration, 0.0f, 1.0f);
        for (int c = 0; c < 3; ++c) p.velocity[c] = p.startVelocity[c] * (1.0f - t) + target[c] * t;
    }
    return 0;
}
