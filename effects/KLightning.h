// A lightning definition read from a [Lightning] ini file: a jagged bolt
// from the start toward the end point, or (version 1) an arched band with
// a ring of sparks round the end point. The shape is drawn anew with rand()
// every LiveTime ms for LineLiveTime ms after the first Render, then the
// lightning rests until its start time is cleared. Definitions are shared
// by file name through KLightningCache. Drawing thread only.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>

#include "draw2d/render/VertexBuilders.h"

class ILightning {
public:
    virtual void SetStart(float x, float y, float z) = 0;
    virtual void SetEnd(float x, float y, float z) = 0;
    virtual ~ILightning() = default;
};

// Every generated shape fits the fixed vertex array.
constexpr int kLightningMaxVertices = 100;
constexpr int kLightningBoltPairs = kLightningMaxVertices / 2;
// A band step count that leaves room for the two end pairs of the band.
constexpr int kLightningMaxBandSteps = kLightningMaxVertices / 2 - 2;
constexpr int kLightningMaxRingSteps = 360;

class KLightning final : public ILightning {
public:
    // Reseeds rand() from the clock, as every new definition does.
    KLightning();
    // Releases the texture.
    ~KLightning() override;
    KLightning(const KLightning&) = delete;
    KLightning& operator=(const KLightning&) = delete;

    void SetStart(float x, float y, float z) override;
    void SetEnd(float x, float y, float z) override;

    // False (and the definition unusable) on an unreadable file, a missing
    // or malformed key, a TextureName that is empty, starts with a space or
    // makes no texture, and values the generation cannot work with.
    bool Load(const char* path);
    // Starts the life at the first call, regenerates when due and draws,
    // with the states the caller set, in the current world transform.
    void Render();
    void GenerateBolt();
    void GenerateCircles();

    const std::string& Name() const { return name; }
    const KSceneVertex* Vertices() const { return vertices; }

    std::string name;
    DWORD startTime = 0;  // 0: not started
    DWORD lastGeneration = 0;
    float start[3] = {0, 0, 0};
    float end[3] = {0, 0, 0};

    float width = 0, height = 0, segLength = 0;
    int liveTime = 0, randomA = 0, randomB = 0, randomC = 0, version = 0;
    int x1 = 0, x2 = 0, y1 = 0, y2 = 0, z1 = 0, z2 = 0;
    float reduce = 0;
    int overLimitDistance = 0, lineLiveTime = 0, circleLiveTime = 0;
    float distanceLimit = 0, radius = 0;
    int segementNumber = 0;
    float circleWidth = 0;
    int circleOffset = 0;

    KSceneVertex vertices[kLightningMaxVertices] = {};
    IDirect3DTexture9* texture = nullptr;
    int vertexCount = 0;
    int firstStripCount = 0;
    BYTE ringFlag = 0;

    // Holders of the definition (see KLightningCache); not part of the file.
    int users = 0;
    int hostUsers = 0;  // of users, those the host took by name

private:
    bool ReadKeys(const char* path);
    bool LoadTexture(const char* textureName);
    bool ValuesUsable() const;
    void AppendRing(const float* to);
    void Draw();

    bool m_loaded = false;
};
