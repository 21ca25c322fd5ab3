#include "d3d9/raster/DeviceAdapter.h"

#include <cstring>
#include <vector>

#include "d3d9/ShaderObjects.h"
#include "d3d9/Texture.h"
#include "d3d9/raster/RasterPipeline.h"
#include "d3d9/raster/RasterWorkers.h"
#include "d3d9/raster/VertexFetch.h"
#include "d3d9/raster/VertexLayout.h"

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

// The enabled lights in index order: the ones lighting reads.
std::vector<D3DLIGHT9> EnabledLights(const DeviceState& state) {
    std::vector<D3DLIGHT9> lights;
    for (const auto& [index, slot] : state.lights)
        if (slot.enabled) lights.push_back(slot.light);
    return lights;
}

void CopyStates(const DeviceState& state, StateBlock& out) {
    for (int i = 0; i < kRenderStateCount; ++i) out.render[i] = state.renderStates[size_t(i)];
    for (int s = 0; s < kMaxStages; ++s) {
        for (int i = 0; i < kStageStateCount; ++i) out.stage[s][i] = state.stageStates[size_t(s)][size_t(i)];
        for (int i = 0; i < kSamplerStateCount; ++i) out.sampler[s][i] = state.samplerStates[size_t(s)][size_t(i)];
        out.texture[s] = FromDevice(state.textureMatrices[size_t(s)]);
    }
    for (int i = 0; i < kMaxBlendMatrices; ++i) out.world[i] = FromDevice(state.worldMatrices[size_t(i)]);
    out.worldPalette = state.worldMatrices.data();
    out.worldPaletteCount = uint32_t(state.worldMatrices.size());
    out.view = FromDevice(state.view);
    out.projection = FromDevice(state.projection);
    const D3DVIEWPORT9& vp = state.viewport;
    out.viewport = Viewport{vp.X, vp.Y, vp.Width, vp.Height, vp.MinZ, vp.MaxZ};
    out.scissor = Rect{state.scissorRect.left, state.scissorRect.top, state.scissorRect.right, state.scissorRect.bottom};
    out.material = state.material;
}

// sources: the levels' own memory when the view reads an expanded copy, so
// a kept draw still flushes before a write to them.
bool TextureViewOf(IDirect3DBaseTexture9* bound, const DeviceState& state, TextureView& out,
                   const void* (&sources)[kMaxMipLevels]) {
    lumiva::d3d9::Texture* texture = lumiva::d3d9::AsTexture(bound);
    if (!texture || texture->LevelCount() == 0) return false;
    out.levelCount = std::min<uint32_t>(texture->LevelCount(), kMaxMipLevels);
    const bool expanded = texture->UseExpandedLevels(lumiva::d3d9::AsSurface(state.renderTarget));
    for (uint32_t l = 0; l < out.levelCount; ++l) {
        out.levels[l] = ViewOf(expanded ? texture->ExpandedLevel(l) : texture->Level(l));
        sources[l] = expanded ? texture->Level(l).bytes.data() : nullptr;
    }
    return true;
}

bool SameView(const SurfaceView& a, const SurfaceView& b) {
    return a.format == b.format && a.width == b.width && a.height == b.height && a.pitch == b.pitch &&
           a.bits == b.bits;
}

std::vector<VertexElement> DeclarationOf(const DrawCall& call) {
    std::vector<VertexElement> declaration;
    for (const D3DVERTEXELEMENT9& e : *call.declaration)
        declaration.push_back(VertexElement{e.Stream, e.Offset, e.Type, e.Method, e.Usage, e.UsageIndex});
    declaration.push_back(VertexElement{0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0});
    return declaration;
}

StreamView StreamOf(const DrawCall& call, int s) {
    const lumiva::d3d9::StreamData& data = call.streams[size_t(s)];
    return StreamView{data.data, data.size, data.stride};
}

}  // namespace

BlendIndexSource FindBlendIndices(const DrawCall& call) {
    BlendIndexSource source;
    VertexLayout layout;
    const bool ok = call.declaration ? LayoutFromDeclaration(DeclarationOf(call).data(), layout)
                                     : LayoutFromFvf(call.fvf, layout);
    if (!ok || !layout.position.present || layout.pretransformed) return source;
    source.transformed = true;
    if (!layout.blendIndices.present) return source;
    source.hasIndices = true;
    source.stream = layout.blendIndices.stream;
    source.offset = layout.blendIndices.offset;
    source.type = layout.blendIndices.type;
    return source;
}

int LargestBlendIndex(const DrawCall& call, const BlendIndexSource& source, uint32_t first, uint32_t count,
                      int matrices) {
    StreamView streams[kMaxStreams];
    for (int s = 0; s < kMaxStreams; ++s) streams[s] = StreamOf(call, s);
    AttributeSlot slot;
    slot.present = true;
    slot.stream = uint8_t(source.stream);
    slot.offset = uint16_t(source.offset);
    slot.type = uint8_t(source.type);
    const bool colour = source.type == D3DDECLTYPE_D3DCOLOR;
    int largest = -1;
    for (uint64_t v = first; v < uint64_t(first) + count; ++v) {
        float indices[4];
        if (colour ? !ReadColour(streams, slot, uint32_t(v), indices)
                   : !ReadElement(streams, slot, uint32_t(v), indices))
            continue;
        for (int i = 0; i < matrices && i < 4; ++i)
            if (indices[i] > float(largest)) largest = int(indices[i]);
    }
    return largest;
}

bool DeviceDrawCache::Current(uint64_t generation, const DrawCall& call, const SurfaceView& target,
                              const SurfaceView& depth) const {
    const auto same = [](const SurfaceView& a, const SurfaceView& b) {
        return a.bits == b.bits && a.format == b.format && a.width == b.width && a.height == b.height &&
               a.pitch == b.pitch;
    };
    const DrawCommand& c = compiled_->command;
    return generation == generation_ && same(target, c.target) && same(depth, c.depth) &&
           call.vertexShaderConstants == c.shaderConstantCount;
}

bool DeviceDrawCache::SameTextures(const Compiled& compiled, const BoundTextures& bound) {
    for (int s = 0; s < kMaxStages; ++s) {
        if (bound.present[s] != (compiled.command.textures[s] != nullptr)) return false;
        if (!bound.present[s]) continue;
        const TextureView& a = bound.views[s];
        const TextureView& b = compiled.textures[s];
        if (a.levelCount != b.levelCount) return false;
        for (uint32_t l = 0; l < a.levelCount; ++l)
            if (!SameView(a.levels[l], b.levels[l]) || bound.sources[s][l] != compiled.sources[s][l]) return false;
    }
    return true;
}

void DeviceDrawCache::Rebuild(const DeviceState& state, const DrawCall& call, const BoundTextures& bound,
                              Compiled& out) {
    DrawCommand& command = out.command;
    CopyStates(state, out.states);
    out.lights = EnabledLights(state);
    out.states.lights = out.lights.data();
    out.states.lightCount = uint32_t(out.lights.size());
    command.states = &out.states;
    for (int s = 0; s < kMaxStages; ++s) {
        out.textures[s] = bound.present[s] ? bound.views[s] : TextureView{};
        std::copy(std::begin(bound.sources[s]), std::end(bound.sources[s]), std::begin(out.sources[s]));
        command.textures[s] = bound.present[s] ? &out.textures[s] : nullptr;
    }
    out.declaration.clear();
    command.declaration = nullptr;
    command.fvf = 0;
    if (call.declaration) {
        out.declaration = DeclarationOf(call);
        command.declaration = out.declaration.data();
    } else {
        command.fvf = call.fvf;
    }
    command.vertexProgram = nullptr;
    command.shaderConstants = nullptr;
    command.shaderConstantCount = call.vertexShaderConstants;
    if (state.vertexShader) {
        command.vertexProgram = lumiva::d3d9::AsVertexShader(state.vertexShader)->Program();
        command.shaderConstants = reinterpret_cast<const float(*)[4]>(state.vertexFloatConstants.data());
    }
    CompileDraw(command, out.draw);
}

// About 8 MB of screen vertices (a frame's worth that stays in the caches),
// or some thousands of compiled states (tens of KB each): a scene that keeps
// more is drawn in parts.
constexpr size_t kMostKeptVertices = size_t(1) << 16;
constexpr size_t kMostKeptStates = 2048;
// Compiled states kept for reuse after a flush.
constexpr size_t kMostSpareStates = 256;

// The frame holds the compiled state its draws point into, and notes the
// memory they touch.
void DeviceDrawCache::KeepForFrame() {
    if (compiled_->inFrame) return;
    compiled_->inFrame = true;
    framed_.push_back(compiled_);
    frame_.Keep(compiled_);
    const DrawCommand& c = compiled_->command;
    frame_.Uses(c.target.bits);
    frame_.Uses(c.depth.bits);
    for (int s = 0; s < kMaxStages; ++s) {
        const TextureView* texture = c.textures[s];
        if (!texture) continue;
        for (uint32_t l = 0; l < texture->levelCount; ++l) {
            frame_.Uses(texture->levels[l].bits);
            if (compiled_->sources[s][l]) frame_.Uses(compiled_->sources[s][l]);
        }
    }
}

std::shared_ptr<DeviceDrawCache::Compiled> DeviceDrawCache::FreeCompiled() {
    if (compiled_ && !compiled_->inFrame) return compiled_;
    if (spare_.empty()) return std::make_shared<Compiled>();
    std::shared_ptr<Compiled> free = std::move(spare_.back());
    spare_.pop_back();
    return free;
}

void DeviceDrawCache::Draw(const DeviceState& state, uint64_t generation, const DrawCall& call,
                           const DrawTargets& targets, bool inScene) {
    if (!targets.color) return;
    // Pixel shaders are not executed: no draw of the module needs them.
    if (state.pixelShader) return;
    const bool keep = inScene && RasterThreads() > 1;
    if (!keep) Flush();  // kept draws come first
    const SurfaceView target = ViewOf(*targets.color);
    const SurfaceView depth = targets.depth ? ViewOf(*targets.depth) : SurfaceView{};
    // A texture's expanded copy comes and goes with its writes and draws,
    // not with the state, so its views are asked for on every draw.
    BoundTextures& bound = bound_;
    for (int s = 0; s < kMaxStages; ++s)
        bound.present[s] = TextureViewOf(state.textures[size_t(s)], state, bound.views[s], bound.sources[s]);
    if (!compiled_ || !Current(generation, call, target, depth) || !SameTextures(*compiled_, bound)) {
        compiled_ = FreeCompiled();  // the frame's draws point into the old one
        compiled_->command.target = target;
        compiled_->command.depth = depth;
        Rebuild(state, call, bound, *compiled_);
        generation_ = generation;
    }
    DrawCommand d = compiled_->command;
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
    for (int s = 0; s < kMaxStreams; ++s) d.streams[s] = StreamOf(call, s);
    if (!keep) {
        DrawCompiled(d, compiled_->draw);
        return;
    }
    KeepForFrame();
    DrawCompiled(d, compiled_->draw, &frame_);
    if (frame_.VertexCount() > kMostKeptVertices || framed_.size() > kMostKeptStates) Flush();
}

void DeviceDrawCache::Flush() {
    if (!Pending()) return;
    frame_.Rasterize();
    for (std::shared_ptr<Compiled>& compiled : framed_) {
        compiled->inFrame = false;
        if (compiled != compiled_ && spare_.size() < kMostSpareStates) spare_.push_back(std::move(compiled));
    }
    framed_.clear();
}

}  // namespace raster
