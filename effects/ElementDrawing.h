// What effect nodes and effect instances share when they draw an element:
// its tracks sampled at a time, its texture factor, its scale on the matrix
// diagonal, its picture's texture and the strips of its geometry.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include "effects/K3DEffectSet.h"

// One element's six tracks at one time.
struct KSampledElement {
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float yaw = 0.0f;
    DWORD color = 0xFFFFFFFF;
    D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};
    int visible = 1;
    D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
};

// Through the set's evaluator; an element without tracks samples as one
// with empty tracks.
KSampledElement SampleElement(K3DEffectSet& set, const K3DEffectKeyTracks* tracks, int time);

// The stage-0 texture factor of an element of the sampled colour and the
// signed brightness: pure white gives the grey (brightness + 127) mod 256;
// any other colour half of each channel plus twice the brightness, clamped.
// Alpha is always 255.
DWORD ElementTextureFactor(DWORD color, int brightness);
// Colour = texture x factor x 2; alpha = texture x vertex alpha.
void SetTextureFactorStage(IDirect3DDevice9* device, DWORD factor);

// The sampled scale on M's diagonal, by element type (ground quad x and z,
// upright quad and camera quad x and y, dome x, y, x, model x, y, z; the
// ring's geometry scales itself).
void ApplyElementScale(int type, const D3DXVECTOR3& scale, D3DXMATRIX* m);

// numerator / denominator, or 0 when the denominator is 0 (a set or an
// animation without length).
float FractionOf(float numerator, float denominator);

// The texture of tile 0 of the frame of the element's picture, through the
// image cache (a sprite, tiles made, throttled, unpinned); null when the
// element has no frame timer or the picture cannot be had this frame.
IDirect3DTexture9* ElementFrameTexture(K3DEffectElement& element, int frame, int loadArgument);

// Draws the strips of a type 1 to 5 element's geometry with the current
// states; nothing for empty geometry or another type. The number of draws.
int DrawElementStrips(IDirect3DDevice9* device, const K3DEffectElement& element, const KEffectGeometry& geometry);

// Device states saved and put back as one block.
enum class KFxStateKind { Render, Stage0, Sampler0 };
struct KFxStateRef {
    KFxStateKind kind;
    DWORD type;
};

class KFxSavedStates {
public:
    static constexpr int kMaxStates = 16;
    // Reads the states now; refs must outlive the block.
    KFxSavedStates(IDirect3DDevice9* device, const KFxStateRef* refs, int count);
    void Restore() const;

private:
    IDirect3DDevice9* m_device;
    const KFxStateRef* m_refs;
    int m_count;
    DWORD m_values[kMaxStates] = {};
};
