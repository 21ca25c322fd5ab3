// The blob shadow under a model: one textured quad flat on y = 0, alpha
// tested and blended, drawn without depth so it never fights the ground.
// Its vertex buffer is made at the first draw from the centre, extent,
// alpha and origin of that moment; later changes do not move or resize it.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <string>

struct KTextureRecord;

// Position, ARGB colour, u, v.
struct KShadowVertex {
    float x, y, z;
    DWORD colour;
    float u, v;
};
static_assert(sizeof(KShadowVertex) == 24);

constexpr DWORD kShadowVertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x142
constexpr DWORD kShadowAlphaRef = 10;

class KShadowQuad {
public:
    KShadowQuad() = default;
    // Gives the texture back to the texture manager and releases the buffer.
    ~KShadowQuad();
    KShadowQuad(const KShadowQuad&) = delete;
    KShadowQuad& operator=(const KShadowQuad&) = delete;

    // Draws on the module's device with the world transform the owner set.
    // A buffer that cannot be made or filled is let go, so the next draw
    // tries again.
    void Draw();

    KTextureRecord* texture = nullptr;  // the owner stores LoadTexture's record
    std::string textureName;
    BYTE shadowFlag = 0;  // the owner draws the quad only while set
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    float centreX = 0.0f;
    float centreZ = 0.0f;
    float halfWidth = 50.0f;  // along x
    float halfDepth = 50.0f;  // along z
    BYTE alpha = 255;
    D3DXVECTOR3 origin{0.0f, 0.0f, 0.0f};

private:
    bool BuildBuffer(IDirect3DDevice9* device);
};
