// Plain views of everything one draw needs: the device snapshots its state,
// resources and target into these and the pipeline reads nothing else.
#pragma once

#include <cstddef>
#include <cstdint>

#include <d3d9.h>

namespace raster {

constexpr int kMaxStages = 8;
constexpr int kMaxStreams = 16;
constexpr int kMaxMipLevels = 16;
constexpr int kRenderStateCount = 256;
constexpr int kStageStateCount = 33;
constexpr int kSamplerStateCount = 14;
constexpr int kMaxBlendMatrices = 4;

// Pixel memory of one surface or one mip level.
struct SurfaceView {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t pitch = 0;  // bytes per row (per row of 4x4 blocks for DXT)
    uint8_t* bits = nullptr;
};

struct TextureView {
    uint32_t levelCount = 0;
    SurfaceView levels[kMaxMipLevels];
};

struct StreamView {
    const uint8_t* data = nullptr;
    size_t size = 0;  // bytes readable from data
    uint32_t stride = 0;
};

// The platform's vertex element record, field for field.
struct VertexElement {
    uint16_t stream;
    uint16_t offset;
    uint8_t type;
    uint8_t method;
    uint8_t usage;
    uint8_t usageIndex;
};

struct Matrix {
    float m[4][4];
};

struct Viewport {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    float minZ = 0.0f, maxZ = 1.0f;
};

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Render, stage and sampler states indexed by the platform's numeric values.
struct StateBlock {
    uint32_t render[kRenderStateCount] = {};
    uint32_t stage[kMaxStages][kStageStateCount] = {};
    uint32_t sampler[kMaxStages][kSamplerStateCount] = {};
    Matrix world[kMaxBlendMatrices] = {};
    // Indexed vertex blending reads its matrices here when set (else world).
    const D3DMATRIX* worldPalette = nullptr;
    uint32_t worldPaletteCount = 0;
    Matrix view = {};
    Matrix projection = {};
    Matrix texture[kMaxStages] = {};
    Viewport viewport;
    Rect scissor;
    D3DMATERIAL9 material = {};
    const D3DLIGHT9* lights = nullptr;  // the enabled lights
    uint32_t lightCount = 0;
};

// The platform's defaults: what a new device starts with.
void SetDefaultStates(StateBlock& states);
Matrix IdentityMatrix();

struct IndexView {
    const uint8_t* data = nullptr;
    size_t size = 0;          // bytes readable from data
    uint32_t indexSize = 2;   // 2 or 4
};

struct VertexProgram;

// One validated draw. Counts are as the caller passed them; the pipeline
// checks every vertex and index it reads against the views' sizes.
struct DrawCommand {
    uint32_t primitiveType = D3DPT_TRIANGLELIST;
    uint32_t primitiveCount = 0;
    bool indexed = false;
    uint32_t startVertex = 0;      // first vertex (non-indexed)
    int32_t baseVertexIndex = 0;   // added to every index (indexed)
    uint32_t minIndex = 0;
    uint32_t numVertices = 0;
    uint32_t startIndex = 0;
    IndexView indices;
    StreamView streams[kMaxStreams];
    uint32_t fvf = 0;                          // used when declaration is null
    const VertexElement* declaration = nullptr;  // ends with stream 0xFF
    const TextureView* textures[kMaxStages] = {};
    SurfaceView target;
    SurfaceView depth;  // bits null when there is no depth surface
    const StateBlock* states = nullptr;
    // A vertex shader takes the place of the fixed-function vertex stage.
    const VertexProgram* vertexProgram = nullptr;
    const float (*shaderConstants)[4] = nullptr;
    uint32_t shaderConstantCount = 0;  // registers past it read zero
};

}  // namespace raster
