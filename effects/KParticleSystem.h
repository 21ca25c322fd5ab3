// A small camera-facing particle system the host holds by pointer: one
// emitter makes particles at a drawn rate, affectors change them with their
// age, and every particle is drawn as a textured quad in one indexed draw
// with additive blending under the system's own fixed camera. Time is in
// milliseconds of timeGetTime.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <list>
#include <vector>

#include "scene/LiveHandles.h"

// Copied by value between emitter and system.
struct KParticle {
    float position[3];
    float velocity[3];  // units per millisecond
    uint32_t birthTime;
    uint32_t deathTime;
    float colour[4];  // r, g, b, a in 0..1
    float startColour[4];
    float startVelocity[3];
    float birthOffset[3];  // the system position at emission / 30
};
static_assert(sizeof(KParticle) == 88);

// Position, normal, ARGB colour, u, v.
struct KParticleVertex {
    float x, y, z;
    float nx, ny, nz;
    DWORD colour;
    float u, v;
};
static_assert(sizeof(KParticleVertex) == 36);

constexpr DWORD kParticleVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x152
constexpr uint32_t kMaxParticles = 16250;

class KParticleEmitter {
public:
    virtual ~KParticleEmitter() = default;
    // The number of new particles; *first points at them (owned by the
    // emitter, valid until its next Emit). Untouched when it returns 0.
    virtual uint32_t Emit(uint32_t now, uint32_t elapsed, KParticle** first) = 0;
    // Index 0 sets the velocity; others do nothing.
    virtual HRESULT SetVector(uint32_t index, const float* vector) = 0;
    virtual HRESULT SetVelocity(float x, float y, float z) = 0;
    virtual void Release() = 0;
};

// What both emitters draw from: the rate, the colours and the life.
struct KEmissionRange {
    uint32_t rateMin, rateMax;  // particles per second
    float colour1[4], colour2[4];
    uint32_t lifeMin, lifeMax;  // ms
};

class KBoxEmitter final : public KParticleEmitter {
public:
    KBoxEmitter(const float boxMin[3], const float boxMax[3], const float velocity[3], const KEmissionRange& range,
                uint32_t reserved);
    uint32_t Emit(uint32_t now, uint32_t elapsed, KParticle** first) override;
    HRESULT SetVector(uint32_t index, const float* vector) override;
    HRESULT SetVelocity(float x, float y, float z) override;
    void Release() override;
    virtual float* GetVelocity(float* out);

    std::vector<KParticle> particles;
    float boxMin[3];
    float boxMax[3];
    float velocity[3];
    KEmissionRange range;
    uint32_t reserved0 = 0;
    uint32_t accumulated = 0;
    uint32_t reserved;
};

class KSpreadEmitter final : public KParticleEmitter {
public:
    KSpreadEmitter(const float velocity[3], const KEmissionRange& range, int32_t spreadDegrees);
    uint32_t Emit(uint32_t now, uint32_t elapsed, KParticle** first) override;
    HRESULT SetVector(uint32_t index, const float* vector) override;
    HRESULT SetVelocity(float x, float y, float z) override;
    void Release() override;

    KParticle particle{};
    float baseVelocity[3];
    KEmissionRange range;
    int32_t spread;  // degrees
    uint32_t accumulated = 0;
    uint32_t reserved = 0;
};

class KParticleAffector {
public:
    virtual HRESULT Apply(uint32_t now, KParticle* first, uint32_t count) = 0;
    virtual ~KParticleAffector() = default;
};

// Fades the colour to the target over the last `duration` ms of a life.
class KColorFader final : public KParticleAffector {
public:
    KColorFader(const float target[4], uint32_t durationMs);
    HRESULT Apply(uint32_t now, KParticle* first, uint32_t count) override;

    float target[4];
    float duration;
};

// Blends the velocity from the start velocity to the target over
// `duration` ms from birth.
class KVectorBlender final : public KParticleAffector {
public:
    KVectorBlender(float x, float y, float z, uint32_t durationMs);
    HRESULT Apply(uint32_t now, KParticle* first, uint32_t count) override;

    float duration;
    float target[3];
};

class IKParticleSystem {
public:
    virtual bool Render() = 0;
    virtual void SetParticleSize(const float* size) = 0;
    virtual void SetEmitter(KParticleEmitter* emitter) = 0;
    virtual void AddAffector(KParticleAffector* affector) = 0;
    virtual void ClearAffectors() = 0;
    virtual KParticleEmitter* CreateSpreadEmitter(float vx, float vy, float vz, uint32_t rateMin, uint32_t rateMax,
                                                  float r1, float g1, float b1, float a1, float r2, float g2, float b2,
                                                  float a2, uint32_t lifeMin, uint32_t lifeMax, int32_t spread) = 0;
    virtual KParticleEmitter* CreateBoxEmitter(float minX, float minY, float minZ, float maxX, float maxY, float maxZ,
                                               float vx, float vy, float vz, uint32_t rateMin, uint32_t rateMax,
                                               float r1, float g1, float b1, float a1, float r2, float g2, float b2,
                                               float a2, uint32_t lifeMin, uint32_t lifeMax, uint32_t reserved) = 0;
    virtual KParticleAffector* CreateColorFader(float r, float g, float b, float a, uint32_t durationMs) = 0;
    virtual KParticleAffector* CreateVectorBlender(float x, float y, float z, uint32_t durationMs) = 0;
    virtual void SetPosition(float x, float y, float z) = 0;
    virtual void GetPosition(float* x, float* y, float* z) = 0;
    virtual void ReleaseResources() = 0;
    virtual int EmptySlot12() = 0;
    virtual int EmptySlot13() = 0;
    virtual void SetTexture(IDirect3DTexture9* texture) = 0;

protected:
    ~IKParticleSystem() = default;
};

class KParticleSystem final : public IKParticleSystem {
public:
    KParticleSystem();
    virtual ~KParticleSystem();
    KParticleSystem(const KParticleSystem&) = delete;
    KParticleSystem& operator=(const KParticleSystem&) = delete;

    bool Render() override;
    void SetParticleSize(const float* size) override;
    void SetEmitter(KParticleEmitter* emitter) override;
    void AddAffector(KParticleAffector* affector) override;
    void ClearAffectors() override;
    KParticleEmitter* CreateSpreadEmitter(float vx, float vy, float vz, uint32_t rateMin, uint32_t rateMax, float r1,
                                          float g1, float b1, float a1, float r2, float g2, float b2, float a2,
                                          uint32_t lifeMin, uint32_t lifeMax, int32_t spread) override;
    KParticleEmitter* CreateBoxEmitter(float minX, float minY, float minZ, float maxX, float maxY, float maxZ, float vx,
                                       float vy, float vz, uint32_t rateMin, uint32_t rateMax, float r1, float g1,
                                       float b1, float a1, float r2, float g2, float b2, float a2, uint32_t lifeMin,
                                       uint32_t lifeMax, uint32_t reserved) override;
    KParticleAffector* CreateColorFader(float r, float g, float b, float a, uint32_t durationMs) override;
    KParticleAffector* CreateVectorBlender(float x, float y, float z, uint32_t durationMs) override;
    void SetPosition(float x, float y, float z) override;
    void GetPosition(float* x, float* y, float* z) override;
    void ReleaseResources() override;
    int EmptySlot12() override { return 0; }
    int EmptySlot13() override { return 0; }
    void SetTexture(IDirect3DTexture9* texture) override;

    // The first step of Render: emission, affectors, death and motion.
    void UpdateParticles();
    // Makes both buffers hold the current particles; false (old buffers
    // kept) when a new buffer cannot be made or filled.
    bool GrowBuffers();
    // The default-pool buffers go before a device reset; the next Render
    // grows them again.
    void ReleaseBuffers();

    std::list<KParticleAffector*> affectors;
    KParticleEmitter* emitter = nullptr;
    std::vector<KParticle> particles;
    uint32_t lastUpdateTime = 0;
    float particleSize[2] = {0.0f, 0.0f};
    D3DXMATRIX world;
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    float position[3] = {0.0f, 0.0f, 0.0f};
    IDirect3DTexture9* texture = nullptr;

private:
    KLiveMark<KParticleSystem> m_live{this};
    void Draw();
    bool WriteQuads(const D3DXVECTOR3& right, const D3DXVECTOR3& down, const D3DXVECTOR3& normal);
    void SetDrawStates(IDirect3DDevice9* device);
};
