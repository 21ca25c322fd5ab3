// The two emitters. Both accumulate elapsed time until it passes the
// interval of a rate drawn between the minimum and maximum per second.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "effects/KParticleSystem.h"

namespace {

constexpr float kDegreesToRadians = D3DX_PI / 180.0f;

unsigned Random() { return static_cast<unsigned>(std::rand()); }

// 1000 / rate ms; infinite when both rates are 0.
float DrawInterval(const KEmissionRange& range) {
    uint32_t rate = range.rateMin;
    if (range.rateMax != range.rateMin) rate = range.rateMin + Random() % (range.rateMax - range.rateMin);
    return 1000.0f / static_cast<float>(rate);
}

// Life and colour of a new particle, drawn in that order.
void DrawLifeAndColour(const KEmissionRange& range, uint32_t now, KParticle& p) {
    p.birthTime = now;
    p.deathTime = now + range.lifeMin;
    if (range.lifeMax != range.lifeMin) p.deathTime += Random() % (range.lifeMax - range.lifeMin);
    const float t = static_cast<float>(Random() % 100) / 100.0f;
    for (int i = 0; i < 4; ++i) {
        p.colour[i] = range.colour1[i] + (range.colour2[i] - range.colour1[i]) * t;
        p.startColour[i] = p.colour[i];
    }
}

// A whole-unit offset inside an extent; an empty extent gives 0 (the draw
// is still made, so the sequence of draws does not depend on the box).
float BoxOffset(float extent) {
    const auto drawn = static_cast<float>(std::rand());
    return extent == 0.0f ? 0.0f : std::fmod(drawn, extent);
}

// (rand mod 2s) - s degrees in radians, in 64 bits so no spread overflows.
float SpreadAngle(int32_t spread) {
    const int64_t span = 2 * int64_t{spread};
    const int64_t degrees = int64_t{std::rand()} % span - spread;
    return static_cast<float>(degrees) * kDegreesToRadians;
}

void Copy3(float* to, const float* from) { std::memcpy(to, from, 3 * sizeof(float)); }

}  // namespace

KBoxEmitter::KBoxEmitter(const float minimum[3], const float maximum[3], const float v[3], const KEmissionRange& r,
                         uint32_t reservedValue)
    : range(r), reserved(reservedValue) {
    Copy3(boxMin, minimum);
    Copy3(boxMax, maximum);
    Copy3(velocity, v);
}

uint32_t KBoxEmitter::Emit(uint32_t now, uint32_t elapsed, KParticle** first) {
    accumulated += elapsed;
    const float interval = DrawInterval(range);
    if (static_cast<float>(accumulated) <= interval) return 0;

    particles.clear();
    // Capped before the conversion, so a long pause at a high rate stays defined.
    const double wanted = std::floor(double(static_cast<float>(accumulated) / interval + 0.5f));
    const double cap = std::min<double>(2.0 * double(range.rateMax), kMaxParticles);
    const auto count = static_cast<uint32_t>(std::min(wanted, cap));
    accumulated = 0;

    for (uint32_t i = 0; i < count; ++i) {
        KParticle p{};
        for (int axis = 0; axis < 3; ++axis) p.position[axis] = BoxOffset(boxMax[axis] - boxMin[axis]) + boxMin[axis];
        Copy3(p.velocity, velocity);
        Copy3(p.startVelocity, velocity);
        DrawLifeAndColour(range, now, p);
        particles.push_back(p);
    }
    if (count && first) *first = particles.data();
    return count;
}

HRESULT KBoxEmitter::SetVector(uint32_t index, const float* vector) {
    if (index == 0 && vector) Copy3(velocity, vector);
    return 0;
}

HRESULT KBoxEmitter::SetVelocity(float x, float y, float z) {
    velocity[0] = x, velocity[1] = y, velocity[2] = z;
    return 0;
}

void KBoxEmitter::Release() { delete this; }

float* KBoxEmitter::GetVelocity(float* out) {
    if (out) Copy3(out, velocity);
    return out;
}

KSpreadEmitter::KSpreadEmitter(const float v[3], const KEmissionRange& r, int32_t spreadDegrees)
    : range(r), spread(spreadDegrees) {
    Copy3(baseVelocity, v);
}

uint32_t KSpreadEmitter::Emit(uint32_t now, uint32_t elapsed, KParticle** first) {
    accumulated += elapsed;
    const float interval = DrawInterval(range);
    if (static_cast<float>(accumulated) <= interval) return 0;
    accumulated = 0;

    particle = KParticle{};
    D3DXVECTOR3 v(baseVelocity[0], baseVelocity[1], baseVelocity[2]);
    if (spread != 0) {
        D3DXMATRIX rotation;
        D3DXMatrixRotationX(&rotation, SpreadAngle(spread));
        D3DXVec3TransformCoord(&v, &v, &rotation);
        D3DXMatrixRotationY(&rotation, SpreadAngle(spread));
        D3DXVec3TransformCoord(&v, &v, &rotation);
    }
    Copy3(particle.velocity, &v.x);
    Copy3(particle.startVelocity, &v.x);
    DrawLifeAndColour(range, now, particle);
    if (first) *first = &particle;
    return 1;
}

HRESULT KSpreadEmitter::SetVector(uint32_t index, const float* vector) {
    if (index == 0 && vector) Copy3(baseVelocity, vector);
    return 0;
}

HRESULT KSpreadEmitter::SetVelocity(float x, float y, float z) {
    baseVelocity[0] = x, baseVelocity[1] = y, baseVelocity[2] = z;
    return 0;
}

void KSpreadEmitter::Release() { delete this; }
