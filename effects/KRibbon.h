// A ribbon: a textured band trailing behind a moving head. The shell keeps
// two maps of these by id: templates (from CreateRibbon) and active copies
// (from UpdateRibbon). Every record holds its own references to its texture
// record and vertex buffer: a copy takes one more of each, and each record
// gives back its own once, so ending an instance, replacing a template or
// releasing all of them before a reset never releases twice.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct KTextureRecord;

constexpr uint32_t kRibbonBytesPerPoint = 48;  // two 24-byte vertices

struct KRibbon {
    KRibbon() = default;
    ~KRibbon();
    KRibbon(const KRibbon& other);
    KRibbon& operator=(const KRibbon& other);
    KRibbon(KRibbon&& other) noexcept;
    KRibbon& operator=(KRibbon&& other) noexcept;

    // Gives back the texture and releases the buffer.
    void ReleaseDeviceObjects();
    // A new buffer and the texture again by name; false when the buffer
    // cannot be made.
    bool RecreateDeviceObjects();

    KTextureRecord* texture = nullptr;
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    uint32_t pointCount = 0;
    uint32_t shiftInterval = 0;  // ms
    uint32_t lastShiftTime = 0;
    DWORD textureFactor = 0;
    float width = 0.0f;
    float heightOffset = 0.0f;  // added to the head's z
    uint32_t additive = 0;
    std::vector<D3DXVECTOR3> points;  // head first
    uint32_t initialised = 0;
    uint32_t enabled = 0;
    std::string textureName;

private:
    void TakeReferences();
};

using KRibbonMap = std::map<uint32_t, KRibbon>;

// Both maps (templates and active copies) of the shell.
void ReleaseRibbons(KRibbonMap (&maps)[2]);
void RecreateRibbonBuffers(KRibbonMap (&maps)[2]);

// Draws an active ribbon with its head at `head`: the first draw puts every
// point at the head; later draws shift the points toward the tail once the
// shift interval has passed. Fewer than 3 points draw nothing.
void DrawRibbon(KRibbon& ribbon, const D3DXVECTOR3& head);

// Distance over x and y only; 1.0 when it is 0.
float Distance2D(float ax, float ay, float az, float bx, float by);
