// The software device's pipeline state: what Set* stores and Get* returns,
// what the rasterizer draws with and what the call recorder snapshots at
// each draw. Object pointers identify what was bound; a snapshot keeps no
// reference, so they are for comparison only once the call has returned.
#pragma once

#include <array>
#include <map>

#include <d3d9.h>

namespace lumiva::d3d9 {

inline constexpr UINT kRenderStateCount = 256;  // indexed by D3DRENDERSTATETYPE
inline constexpr UINT kTextureStageCount = 8;
inline constexpr UINT kStageStateCount = 33;    // indexed by D3DTEXTURESTAGESTATETYPE
inline constexpr UINT kSamplerCount = 16;
inline constexpr UINT kSamplerStateCount = 14;  // indexed by D3DSAMPLERSTATETYPE
inline constexpr UINT kWorldMatrixCount = 256;
inline constexpr UINT kTextureMatrixCount = 8;
inline constexpr UINT kStreamCount = 16;
inline constexpr UINT kVertexShaderFloatConstants = 256;
inline constexpr UINT kPixelShaderFloatConstants = 32;
inline constexpr UINT kIntConstants = 16;
inline constexpr UINT kBoolConstants = 16;
inline constexpr UINT kClipPlaneCount = 6;

struct LightSlot {
    D3DLIGHT9 light;
    BOOL enabled;
};

struct StreamBinding {
    IDirect3DVertexBuffer9* buffer = nullptr;
    UINT offset = 0;
    UINT stride = 0;
    UINT frequency = 1;
};

struct DeviceState {
    std::array<DWORD, kRenderStateCount> renderStates{};
    std::array<std::array<DWORD, kStageStateCount>, kTextureStageCount> stageStates{};
    std::array<std::array<DWORD, kSamplerStateCount>, kSamplerCount> samplerStates{};
    std::array<IDirect3DBaseTexture9*, kSamplerCount> textures{};

    D3DMATRIX view{};
    D3DMATRIX projection{};
    std::array<D3DMATRIX, kTextureMatrixCount> textureMatrices{};
    std::array<D3DMATRIX, kWorldMatrixCount> worldMatrices{};  // [0] is D3DTS_WORLD

    D3DVIEWPORT9 viewport{};
    D3DMATERIAL9 material{};
    std::map<DWORD, LightSlot> lights;  // index -> light; absent = never set
    std::array<std::array<float, 4>, kClipPlaneCount> clipPlanes{};
    RECT scissorRect{};

    DWORD fvf = 0;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    std::array<StreamBinding, kStreamCount> streams{};
    IDirect3DIndexBuffer9* indices = nullptr;

    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    std::array<std::array<float, 4>, kVertexShaderFloatConstants> vertexFloatConstants{};
    std::array<std::array<int, 4>, kIntConstants> vertexIntConstants{};
    std::array<BOOL, kBoolConstants> vertexBoolConstants{};
    std::array<std::array<float, 4>, kPixelShaderFloatConstants> pixelFloatConstants{};
    std::array<std::array<int, 4>, kIntConstants> pixelIntConstants{};
    std::array<BOOL, kBoolConstants> pixelBoolConstants{};

    IDirect3DSurface9* renderTarget = nullptr;
    IDirect3DSurface9* depthStencil = nullptr;
    BOOL softwareVertexProcessing = FALSE;
    float nPatchSegments = 0.0f;

    DWORD RenderState(D3DRENDERSTATETYPE state) const { return renderStates[state]; }
    DWORD StageState(UINT stage, D3DTEXTURESTAGESTATETYPE type) const { return stageStates[stage][type]; }
    DWORD SamplerState(UINT sampler, D3DSAMPLERSTATETYPE type) const { return samplerStates[sampler][type]; }
};

// The platform's defaults for a new or reset device. `zEnable` is D3DZB_TRUE
// when the device has an automatic depth buffer.
void ResetToDefaults(DeviceState& state, DWORD zEnable);

}  // namespace lumiva::d3d9
