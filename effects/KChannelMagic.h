// A channel beam: a textured strip between two scene points, rebuilt with a
// random vertical jitter whenever the shared refresh clock allows, so the
// band flickers. The host loads, places and renders it itself; the shell
// only makes and deletes it. Drawing thread only.
#pragma once

#include <windows.h>

#include <vector>

#include "draw2d/render/VertexBuilders.h"
#include "scene/LiveHandles.h"

struct KTextureRecord;

class IKChannelMagic {
public:
    virtual void Load(const char* path) = 0;
    virtual void SetEndPoints(float x0, float y0, float z0, float x1, float y1, float z1) = 0;
    virtual void Render() = 0;
    virtual ~IKChannelMagic() = default;
};

// Limits that keep the rebuild finite: the step count along the beam.
constexpr int kChannelMinSegments = 1;
constexpr int kChannelMaxSegments = 1000;

class KChannelMagic final : public IKChannelMagic {
public:
    KChannelMagic() = default;
    // Gives the texture back to the texture manager.
    ~KChannelMagic() override;
    KChannelMagic(const KChannelMagic&) = delete;
    KChannelMagic& operator=(const KChannelMagic&) = delete;

    // [ChannelMagic] of the ini file; a null path or an unreadable file
    // changes nothing.
    void Load(const char* path) override;
    void SetEndPoints(float x0, float y0, float z0, float x1, float y1, float z1) override;
    // Draws only on the frames on which it rebuilds (see the shared clock).
    void Render() override;

    // The strip of the last rebuild.
    const std::vector<KSceneVertex>& Strip() const { return m_strip; }

    float start[3] = {0, 0, 0};
    float end[3] = {0, 0, 0};
    float shake = 50.0f;
    float width = 50.0f;
    int segment = 10;
    int refreshTime = 0;
    KTextureRecord* texture = nullptr;

private:
    KLiveMark<KChannelMagic> m_live{this};
    void Rebuild();
    float Jitter() const;

    std::vector<KSceneVertex> m_strip;
};

// timeGetTime of the last rebuild of any beam; one beam's rebuild holds the
// others back for their refresh time.
extern DWORD g_ChannelMagicClock;
