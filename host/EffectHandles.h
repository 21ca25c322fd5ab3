// The effect objects the shell's factories hand out, as this host calls
// them: by slot, through its own view of their tables (the module's classes
// are final, see ModelHandle.h).
#pragma once

#include <cstdint>

class KChannelMagic;
class KLightning;
class KParticleAffector;
class KParticleEmitter;
class KParticleSystem;

// A channel beam (CreateChannelMagic, slot 125).
class IChannelBeam {
public:
    virtual void Load(const char* path) = 0;
    virtual void SetEndPoints(float x0, float y0, float z0, float x1, float y1, float z1) = 0;
    virtual void Render() = 0;

protected:
    ~IChannelBeam() = default;
};

// A lightning definition (LoadLightning, slot 71); drawn by type-14 records.
class ILightningEnds {
public:
    virtual void SetStart(float x, float y, float z) = 0;
    virtual void SetEnd(float x, float y, float z) = 0;

protected:
    ~ILightningEnds() = default;
};

// A particle system of one of the shell's presets (CreateParticleSystem,
// slot 16); the host places and draws it. Only the first ten slots are
// called.
class IParticles {
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

protected:
    ~IParticles() = default;
};

inline IChannelBeam* Beam(KChannelMagic* beam) { return reinterpret_cast<IChannelBeam*>(beam); }
inline ILightningEnds* Ends(KLightning* lightning) { return reinterpret_cast<ILightningEnds*>(lightning); }
inline IParticles* Particles(KParticleSystem* system) { return reinterpret_cast<IParticles*>(system); }
