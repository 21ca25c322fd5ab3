// The particle system's ownership, factories and update.
#include <algorithm>
#include <new>

#include "effects/EffectDeviceObjects.h"
#include "effects/KParticleSystem.h"
#include "shell/ComRelease.h"

namespace {

KEmissionRange RangeOf(uint32_t rateMin, uint32_t rateMax, const float c1[4], const float c2[4], uint32_t lifeMin,
                       uint32_t lifeMax) {
    KEmissionRange range{rateMin, rateMax, {c1[0], c1[1], c1[2], c1[3]}, {c2[0], c2[1], c2[2], c2[3]}, lifeMin,
                         lifeMax};
    return range;
}

}  // namespace

KParticleSystem::KParticleSystem() {
    D3DXMatrixIdentity(&world);
    TrackDeviceObjects(this);
}

// Affectors themselves go with ClearAffectors; the list's nodes go here.
KParticleSystem::~KParticleSystem() { ForgetDeviceObjects(this); }

void KParticleSystem::SetParticleSize(const float* size) {
    if (!size) return;
    particleSize[0] = size[0];
    particleSize[1] = size[1];
}

void KParticleSystem::SetEmitter(KParticleEmitter* newEmitter) {
    lastUpdateTime = timeGetTime();
    if (emitter != newEmitter) delete emitter;
    emitter = newEmitter;
}

void KParticleSystem::AddAffector(KParticleAffector* affector) {
    if (affector) affectors.push_back(affector);
}

void KParticleSystem::ClearAffectors() {
    for (KParticleAffector* affector : affectors) delete affector;
    affectors.clear();
}

KParticleEmitter* KParticleSystem::CreateSpreadEmitter(float vx, float vy, float vz, uint32_t rateMin,
                                                       uint32_t rateMax, float r1, float g1, float b1, float a1,
                                                       float r2, float g2, float b2, float a2, uint32_t lifeMin,
                                                       uint32_t lifeMax, int32_t spread) {
    const float v[3] = {vx, vy, vz}, c1[4] = {r1, g1, b1, a1}, c2[4] = {r2, g2, b2, a2};
    return new (std::nothrow) KSpreadEmitter(v, RangeOf(rateMin, rateMax, c1, c2, lifeMin, lifeMax), spread);
}

KParticleEmitter* KParticleSystem::CreateBoxEmitter(float minX, float minY, float minZ, float maxX, float maxY,
                                                    float maxZ, float vx, float vy, float vz, uint32_t rateMin,
                                                    uint32_t rateMax, float r1, float g1, float b1, float a1, float r2,
                                                    float g2, float b2, float a2, uint32_t lifeMin, uint32_t lifeMax,
                                                    uint32_t reserved) {
    const float lo[3] = {minX, minY, minZ}, hi[3] = {maxX, maxY, maxZ}, v[3] = {vx, vy, vz};
    const float c1[4] = {r1, g1, b1, a1}, c2[4] = {r2, g2, b2, a2};
    return new (std::nothrow) KBoxEmitter(lo, hi, v, RangeOf(rateMin, rateMax, c1, c2, lifeMin, lifeMax), reserved);
}

KParticleAffector* KParticleSystem::CreateColorFader(float r, float g, float b, float a, uint32_t durationMs) {
    const float target[4] = {r, g, b, a};
    return new (std::nothrow) KColorFader(target, durationMs);
}

KParticleAffector* KParticleSystem::CreateVectorBlender(float x, float y, float z, uint32_t durationMs) {
    return new (std::nothrow) KVectorBlender(x, y, z, durationMs);
}

void KParticleSystem::SetPosition(float x, float y, float z) {
    position[0] = x, position[1] = y, position[2] = z;
}

void KParticleSystem::GetPosition(float* x, float* y, float* z) {
    if (x) *x = position[0];
    if (y) *y = position[1];
    if (z) *z = position[2];
}

void KParticleSystem::ReleaseBuffers() {
    ReleaseAndNull(vertexBuffer);
    ReleaseAndNull(indexBuffer);
}

void KParticleSystem::ReleaseResources() {
    delete emitter;
    emitter = nullptr;
    ClearAffectors();
    ReleaseBuffers();
    ReleaseAndNull(texture);
}

// The system owns the texture it is given: a different one replaces (and
// releases) the one it held.
void KParticleSystem::SetTexture(IDirect3DTexture9* newTexture) {
    if (!newTexture || newTexture == texture) return;
    ReleaseAndNull(texture);
    texture = newTexture;
}

void KParticleSystem::UpdateParticles() {
    const uint32_t now = timeGetTime();
    const uint32_t elapsed = now - lastUpdateTime;
    lastUpdateTime = now;

    float p[3];
    if (emitter) {
        KParticle* first = nullptr;
        const uint32_t count = emitter->Emit(now, elapsed, &first);
        GetPosition(&p[0], &p[1], &p[2]);
        for (uint32_t i = 0; first && i < count && particles.size() < kMaxParticles; ++i) {
            KParticle particle = first[i];
            for (int axis = 0; axis < 3; ++axis) particle.birthOffset[axis] = p[axis] / 30.0f;
            particles.push_back(particle);
        }
    }

    for (KParticleAffector* affector : affectors)
        for (KParticle& particle : particles) affector->Apply(now, &particle, 1);

    // Dead particles leave in the same pass that moves the living.
    GetPosition(&p[0], &p[1], &p[2]);
    const float shift[3] = {p[0] / 30.0f, p[1] / 30.0f, p[2] / 30.0f};
    const auto step = static_cast<float>(elapsed);
    auto kept = particles.begin();
    for (KParticle& particle : particles) {
        if (particle.deathTime < now) continue;
        for (int axis = 0; axis < 3; ++axis) {
            particle.position[axis] += particle.velocity[axis] * step;
            particle.position[axis] += particle.birthOffset[axis] - shift[axis];
        }
        *kept++ = particle;
    }
    particles.erase(kept, particles.end());
}

bool KParticleSystem::Render() {
    UpdateParticles();
    Draw();
    return true;
}
