// The effect objects the shell's factories hand out, as this host calls
// them: by slot, through its own view of their tables (the module's classes
// are final, see ModelHandle.h).
#pragma once

class KChannelMagic;
class KLightning;

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

inline IChannelBeam* Beam(KChannelMagic* beam) { return reinterpret_cast<IChannelBeam*>(beam); }
inline ILightningEnds* Ends(KLightning* lightning) { return reinterpret_cast<ILightningEnds*>(lightning); }
