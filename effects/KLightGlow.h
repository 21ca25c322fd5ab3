// The light glow: a screen overlay that works as a light map. A 128 x 128
// render target is cleared to the shell's ambient colour, each glow light
// the host listed is added to it as a radial spot, and the target is then
// multiplied over the whole screen.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <vector>

constexpr UINT kGlowTargetSize = 128;
constexpr UINT kGlowSpriteSize = 64;
constexpr float kGlowSpriteLift = 20.0f;  // added to a light's z

class KLightGlow {
public:
    // The clear colour is the shell's ambient colour, shared with it.
    explicit KLightGlow(DWORD& ambientColour) : clearColour(ambientColour) {}
    ~KLightGlow();
    KLightGlow(const KLightGlow&) = delete;
    KLightGlow& operator=(const KLightGlow&) = delete;

    void Init() { Reset(); }
    void Reset();
    HRESULT LoadSettings() { return 0; }
    HRESULT RestoreDeviceObjects();
    void InvalidateDeviceObjects();
    HRESULT DeleteDeviceObjects() { return 0; }
    // The glow pass into the target; always empties the glow list.
    void Render();
    void DrawGlowSprite(float x, float y, float z, float halfSize, DWORD colour);
    // The target multiplied over the screen.
    void Draw();

    uint8_t glowOn = 0;    // option 8
    uint8_t gridFlag = 0;  // option 0
    IDirect3DTexture9* target = nullptr;
    IDirect3DTexture9* sprite = nullptr;
    std::vector<D3DLIGHT9> glowLights;
    DWORD& clearColour;

private:
    void DrawSprites(IDirect3DDevice9* device);
};

// The glow spot: white at the centre fading to black at the edge.
HRESULT CreateGlowSprite(IDirect3DDevice9* device, IDirect3DTexture9** sprite);
