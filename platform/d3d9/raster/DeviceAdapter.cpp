#include "d3d9/raster/DeviceAdapter.h"

#include <cstring>
#include <vector>

#include "d3d9/Texture.h"
#include "d3d9/raster/RasterPipeline.h"

namespace raster {

namespace {

using lumiva::d3d9::DeviceState;
using lumiva::d3d9::DrawCall;
using lumiva::d3d9::DrawTargets;
using lumiva::d3d9::PixelBuffer;

Matrix FromDevice(const D3DMATRIX& m) {
    Matrix out;
    std::memcpy(out.m, m.m, sizeof(out.m));
    return out;
}

SurfaceView ViewOf(const PixelBuffer& p) {
    SurfaceView v;
    v.format = p.format;
    v.width = p.width;
    v.height = p.height;
    v.pitch = int32_t(p.pitch);
    v.bits = const_cast<uint8_t*>(p.bytes.data());
    return v;
}

void CopyStates(const DeviceState& state, StateBlock& out) {
    for (int i = 0; i < kRenderStateCount; ++i) out.render[i] = state.renderStates[size_t(i)];
    for (int s = 0; s < kMaxStages; ++s) {
        for (int i = 0; i < kStageStateCount; ++i) out.stage[s][i] = state.stageStates[size_t(s)][size_t(i)];
        for (int i = 0; i < kSamplerStateCount; ++i) out.sampler[s][i] = state.samplerStates[size_t(s)][size_t(i)];
        out.texture[s] = FromDevice(state.textureMatrices[size_t(s)]);
    }
    for (int i = 0; i < kMaxBlendMatrices; ++i) out.world[i] = FromDevice(state.worldMatrices[size_t(i)]);
    out.worldPalette = reinterpret_cast<const Matrix*>(state.worldMatrices.data());
    out.worldPaletteCount = uint32_t(state.worldMatrices.size());
    out.view = FromDevice(state.view);
    out.projection = FromDevice(state.projection);
    const D3DVIEWPORT9& vp = state.viewport;
    out.viewport = Viewport{vp.X, vp.Y, vp.Width, vp.Height, vp.MinZ, vp.MaxZ};
    out.scissor = Rect{state.scissorRect.left, state.scissorRect.top, state.scissorRect.right, state.scissorRect.bottom};
}

bool TextureViewOf(IDirect3DBaseTexture9* bound, TextureView& out) {
    const lumiva::d3d9::Texture* texture = lumiva::d3d9::AsTexture(bound);
    if (!texture || texture->LevelCount() == 0) return false;
    out.levelCount = std::min<uint32_t>(texture->LevelCount(), kMaxMipLevels);
    for (uint32_t l = 0; l < out.levelCount; ++l) out.levels[l] = ViewOf(texture->Level(l));
    return true;
}

static_assert(sizeof(Matrix) == sizeof(D3DMATRIX), "world palette is read in place");

}  // namespace

void DrawFromDevice(const DeviceState& state, const DrawCall& call, const DrawTargets& targets) {
    if (!targets.color) return;
    StateBlock states;
    CopyStates(state, states);

    TextureView textures[kMaxStages];
    DrawCommand d;
    for (int s = 0; s < kMaxStages; ++s)
        if (TextureViewOf(state.textures[size_t(s)], textures[s])) d.textures[s] = &textures[s];

    d.primitiveType = call.type;
    d.primitiveCount = call.primitiveCount;
    d.indexed = call.indexed;
    d.startVertex = call.startVertex;
    d.baseVertexIndex = call.baseVertexIndex;
    d.minIndex = call.minVertexIndex;
    d.numVertices = call.numVertices;
    d.startIndex = 0;  // the hand-off points at the first index used
    if (call.indexed) {
        const uint32_t size = call.indexFormat == D3DFMT_INDEX32 ? 4 : 2;
        d.indices = IndexView{call.indices, size_t(call.vertexCount) * size, size};
    }
    for (int s = 0; s < kMaxStreams; ++s)
        d.streams[s] = StreamView{call.streams[size_t(s)].data, call.streams[size_t(s)].size, call.streams[size_t(s)].stride};

    std::vector<VertexElement> declaration;
    if (call.declaration) {
        for (const D3DVERTEXELEMENT9& e : *call.declaration)
            declaration.push_back(VertexElement{e.Stream, e.Offset, e.Type, e.Method, e.Usage, e.UsageIndex});
        declaration.push_back(VertexElement{0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0});
        d.declaration = declaration.data();
    } else {
        d.fvf = call.fvf;
    }
    d.target = ViewOf(*targets.color);
    if (targets.depth) d.depth = ViewOf(*targets.depth);
    d.states = &states;
    Draw(d);
}

}  // namespace raster
