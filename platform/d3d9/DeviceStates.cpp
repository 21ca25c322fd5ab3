// Pipeline state: every Set stores what a Get returns; out-of-range states,
// stages and indices and null pointers are refused.
#include <algorithm>
#include <bitset>

#include "d3d9/Buffers.h"
#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/ShaderObjects.h"
#include "d3d9/Surface.h"
#include "d3d9/Texture.h"
#include "d3dx9/VertexFormat.h"

namespace lumiva::d3d9 {
namespace {

// The furthest a viewport may reach, in pixels.
constexpr uint64_t kViewportLimit = 16384;

const std::bitset<kRenderStateCount>& KnownRenderStates() {
    static const std::bitset<kRenderStateCount> known = [] {
        std::bitset<kRenderStateCount> bits;
        const int states[] = {7, 8, 9, 14, 15, 16, 19, 20, 22, 23, 24, 25, 26, 27, 28, 29, 34, 35, 36, 37, 38, 48,
                              52, 53, 54, 55, 56, 57, 58, 59, 60, 136, 137, 139, 140, 141, 142, 143, 145, 146, 147,
                              148, 151, 152, 154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 165, 166, 167, 168,
                              170, 171, 172, 173, 174, 175, 176};
        for (int state : states) bits.set(state);
        for (int state = D3DRS_WRAP0; state <= D3DRS_WRAP7; ++state) bits.set(state);
        for (int state = D3DRS_MINTESSELLATIONLEVEL; state <= D3DRS_DEPTHBIAS; ++state) bits.set(state);
        for (int state = D3DRS_WRAP8; state <= D3DRS_BLENDOPALPHA; ++state) bits.set(state);
        return bits;
    }();
    return known;
}

bool IsKnownRenderState(D3DRENDERSTATETYPE state) {
    return static_cast<DWORD>(state) < kRenderStateCount && KnownRenderStates().test(state);
}

bool IsKnownStageState(D3DTEXTURESTAGESTATETYPE type) {
    const DWORD t = type;
    return (t >= D3DTSS_COLOROP && t <= D3DTSS_TEXCOORDINDEX) || t == D3DTSS_BUMPENVLSCALE ||
           t == D3DTSS_BUMPENVLOFFSET || t == D3DTSS_TEXTURETRANSFORMFLAGS || t == D3DTSS_COLORARG0 ||
           t == D3DTSS_ALPHAARG0 || t == D3DTSS_RESULTARG || t == D3DTSS_CONSTANT;
}

bool IsKnownSamplerState(D3DSAMPLERSTATETYPE type) {
    return type >= D3DSAMP_ADDRESSU && type <= D3DSAMP_DMAPOFFSET;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[r][k] * b.m[k][c];
            out.m[r][c] = sum;
        }
    return out;
}

// The matrix args of a recorded call: the state, then the 16 floats.
HRESULT RecordMatrix(const char* name, D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m, HRESULT result) {
    if (!IsRecordingCalls()) return result;
    if (!m) return RecordCall(name, {static_cast<uint64_t>(state), 0}, result);
    const float* f = &m->_11;
    return RecordCall(name,
                      {static_cast<uint64_t>(state), FloatArg(f[0]), FloatArg(f[1]), FloatArg(f[2]), FloatArg(f[3]),
                       FloatArg(f[4]), FloatArg(f[5]), FloatArg(f[6]), FloatArg(f[7]), FloatArg(f[8]),
                       FloatArg(f[9]), FloatArg(f[10]), FloatArg(f[11]), FloatArg(f[12]), FloatArg(f[13]),
                       FloatArg(f[14]), FloatArg(f[15])},
                      result);
}

}  // namespace

// --- Render, stage and sampler states ---

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (!IsKnownRenderState(state)) return RecordCall("SetRenderState", {static_cast<uint64_t>(state), value}, D3DERR_INVALIDCALL);
    Change(state_.renderStates[state], value);
    return RecordCall("SetRenderState", {static_cast<uint64_t>(state), value}, D3D_OK);
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (!value || !IsKnownRenderState(state))
        return RecordCall("GetRenderState", {static_cast<uint64_t>(state)}, D3DERR_INVALIDCALL);
    *value = state_.renderStates[state];
    return RecordCall("GetRenderState", {static_cast<uint64_t>(state), *value}, D3D_OK);
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    const std::initializer_list<uint64_t> args = {stage, static_cast<uint64_t>(type), value};
    if (stage >= kTextureStageCount || !IsKnownStageState(type))
        return RecordCall("SetTextureStageState", args, D3DERR_INVALIDCALL);
    Change(state_.stageStates[stage][type], value);
    return RecordCall("SetTextureStageState", args, D3D_OK);
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (!value || stage >= kTextureStageCount || !IsKnownStageState(type))
        return RecordCall("GetTextureStageState", {stage, static_cast<uint64_t>(type)}, D3DERR_INVALIDCALL);
    *value = state_.stageStates[stage][type];
    return RecordCall("GetTextureStageState", {stage, static_cast<uint64_t>(type), *value}, D3D_OK);
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    const std::initializer_list<uint64_t> args = {sampler, static_cast<uint64_t>(type), value};
    if (sampler >= kSamplerCount || !IsKnownSamplerState(type))
        return RecordCall("SetSamplerState", args, D3DERR_INVALIDCALL);
    Change(state_.samplerStates[sampler][type], value);
    return RecordCall("SetSamplerState", args, D3D_OK);
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (!value || sampler >= kSamplerCount || !IsKnownSamplerState(type))
        return RecordCall("GetSamplerState", {sampler, static_cast<uint64_t>(type)}, D3DERR_INVALIDCALL);
    *value = state_.samplerStates[sampler][type];
    return RecordCall("GetSamplerState", {sampler, static_cast<uint64_t>(type), *value}, D3D_OK);
}

// --- Transforms ---

static D3DMATRIX* TransformSlot(DeviceState& state, D3DTRANSFORMSTATETYPE type) {
    const DWORD t = type;
    if (t == D3DTS_VIEW) return &state.view;
    if (t == D3DTS_PROJECTION) return &state.projection;
    if (t >= D3DTS_TEXTURE0 && t <= D3DTS_TEXTURE7) return &state.textureMatrices[t - D3DTS_TEXTURE0];
    if (t >= 256 && t < 256 + kWorldMatrixCount) return &state.worldMatrices[t - 256];
    return nullptr;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    D3DMATRIX* slot = TransformSlot(state_, type);
    if (!slot || !matrix) return RecordMatrix("SetTransform", type, matrix, D3DERR_INVALIDCALL);
    Change(*slot, *matrix);
    return RecordMatrix("SetTransform", type, matrix, D3D_OK);
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
    D3DMATRIX* slot = TransformSlot(state_, type);
    if (!slot || !matrix) return RecordCall("GetTransform", {static_cast<uint64_t>(type)}, D3DERR_INVALIDCALL);
    *matrix = *slot;
    return RecordCall("GetTransform", {static_cast<uint64_t>(type)}, D3D_OK);
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    D3DMATRIX* slot = TransformSlot(state_, type);
    if (!slot || !matrix) return RecordMatrix("MultiplyTransform", type, matrix, D3DERR_INVALIDCALL);
    Change(*slot, Multiply(*matrix, *slot));
    return RecordMatrix("MultiplyTransform", type, matrix, D3D_OK);
}

// --- Viewport, material, lights, clipping ---

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport) return RecordCall("SetViewport", {0}, D3DERR_INVALIDCALL);
    const auto& v = *viewport;
    const std::initializer_list<uint64_t> args = {v.X, v.Y, v.Width, v.Height, FloatArg(v.MinZ), FloatArg(v.MaxZ)};
    // The rectangle may reach past the target, which the raster clips to; it
    // must start on the target and stay within the screen coordinates the
    // raster can hold.
    const Surface* target = AsSurface(state_.renderTarget);
    const uint64_t right = static_cast<uint64_t>(v.X) + v.Width;
    const uint64_t bottom = static_cast<uint64_t>(v.Y) + v.Height;
    if (v.Width == 0 || v.Height == 0 || !target || v.X >= target->Width() || v.Y >= target->Height() ||
        right > kViewportLimit || bottom > kViewportLimit || !(v.MinZ >= 0.0f && v.MinZ <= 1.0f) ||
        !(v.MaxZ >= 0.0f && v.MaxZ <= 1.0f))
        return RecordCall("SetViewport", args, D3DERR_INVALIDCALL);
    Change(state_.viewport, v);
    return RecordCall("SetViewport", args, D3D_OK);
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = state_.viewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material) {
    if (!material) return RecordCall("SetMaterial", {0}, D3DERR_INVALIDCALL);
    Change(state_.material, *material);
    return RecordCall("SetMaterial", {PointerArg(material)}, D3D_OK);
}

HRESULT Device::GetMaterial(D3DMATERIAL9* material) {
    if (!material) return D3DERR_INVALIDCALL;
    *material = state_.material;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
        return RecordCall("SetLight", {index}, D3DERR_INVALIDCALL);
    auto [slot, added] = state_.lights.try_emplace(index, LightSlot{*light, FALSE});
    if (!added) Change(slot->second.light, *light);
    return RecordCall("SetLight", {index, static_cast<uint64_t>(light->Type)}, D3D_OK);
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9* light) {
    auto found = state_.lights.find(index);
    if (!light || found == state_.lights.end()) return D3DERR_INVALIDCALL;
    *light = found->second.light;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
    auto found = state_.lights.find(index);
    if (found == state_.lights.end()) {
        // Enabling a light never set gives it the platform's default: white,
        // directional, pointing along +z.
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
        light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
        found = state_.lights.emplace(index, LightSlot{light, FALSE}).first;
    }
    Change(found->second.enabled, enable ? TRUE : FALSE);
    return RecordCall("LightEnable", {index, static_cast<uint64_t>(enable)}, D3D_OK);
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
    auto found = state_.lights.find(index);
    if (!enable || found == state_.lights.end()) return D3DERR_INVALIDCALL;
    *enable = found->second.enabled;
    return D3D_OK;
}

HRESULT Device::SetClipPlane(DWORD index, const float* plane) {
    if (!plane || index >= kClipPlaneCount) return D3DERR_INVALIDCALL;
    std::copy(plane, plane + 4, state_.clipPlanes[index].begin());
    return RecordCall("SetClipPlane", {index}, D3D_OK);
}

HRESULT Device::GetClipPlane(DWORD index, float* plane) {
    if (!plane || index >= kClipPlaneCount) return D3DERR_INVALIDCALL;
    std::copy(state_.clipPlanes[index].begin(), state_.clipPlanes[index].end(), plane);
    return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    Change(state_.scissorRect, *rect);
    return RecordCall("SetScissorRect",
                      {static_cast<uint64_t>(rect->left), static_cast<uint64_t>(rect->top),
                       static_cast<uint64_t>(rect->right), static_cast<uint64_t>(rect->bottom)},
                      D3D_OK);
}

HRESULT Device::GetScissorRect(RECT* rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    *rect = state_.scissorRect;
    return D3D_OK;
}

// --- Textures ---

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    const std::initializer_list<uint64_t> args = {stage, PointerArg(texture)};
    if (stage >= kSamplerCount) return RecordCall("SetTexture", args, D3DERR_INVALIDCALL);
    if (texture) {
        const Texture* t = AsTexture(texture);
        // Only textures the device can sample: not system memory or scratch.
        if (t->IsDead() || t->Pool() == D3DPOOL_SYSTEMMEM || t->Pool() == D3DPOOL_SCRATCH)
            return RecordCall("SetTexture", args, D3DERR_INVALIDCALL);
    }
    BindState(state_.textures[stage], texture);
    return RecordCall("SetTexture", args, D3D_OK);
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    if (!texture || stage >= kSamplerCount) return D3DERR_INVALIDCALL;
    HandOut(texture, state_.textures[stage]);
    return RecordCall("GetTexture", {stage, PointerArg(*texture)}, D3D_OK);
}

// --- Vertex input ---

// The format and the declaration describe one vertex layout: SetFVF unbinds
// the declaration object (GetVertexDeclaration then describes the format)
// and a declaration brings the format it equals, or none.
HRESULT Device::SetFVF(DWORD fvf) {
    Change(state_.fvf, fvf);
    BindState<IDirect3DVertexDeclaration9>(state_.declaration, nullptr);
    return RecordCall("SetFVF", {fvf}, D3D_OK);
}

HRESULT Device::GetFVF(DWORD* fvf) {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = state_.fvf;
    return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    BindState(state_.declaration, declaration);
    Change(state_.fvf, declaration ? d3dx::FvfOfElements(AsVertexDeclaration(declaration)->Elements()) : DWORD{0});
    return RecordCall("SetVertexDeclaration", {PointerArg(declaration)}, D3D_OK);
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
    if (!declaration) return D3DERR_INVALIDCALL;
    std::vector<D3DVERTEXELEMENT9> elements;
    UINT stride = 0;
    if (!state_.declaration && state_.fvf != 0 && d3dx::DescribeFvf(state_.fvf, elements, stride)) {
        *declaration = new VertexDeclaration(this, std::move(elements));
        return D3D_OK;
    }
    HandOut(declaration, state_.declaration);
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    const std::initializer_list<uint64_t> args = {stream, PointerArg(buffer), offset, stride};
    if (stream >= kStreamCount) return RecordCall("SetStreamSource", args, D3DERR_INVALIDCALL);
    if (buffer && offset > AsVertexBuffer(buffer)->Memory().Length())
        return RecordCall("SetStreamSource", args, D3DERR_INVALIDCALL);
    Bind(state_.streams[stream].buffer, buffer);
    state_.streams[stream].offset = offset;
    state_.streams[stream].stride = stride;
    return RecordCall("SetStreamSource", args, D3D_OK);
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride) {
    if (stream >= kStreamCount || !buffer || !offset || !stride) return D3DERR_INVALIDCALL;
    HandOut(buffer, state_.streams[stream].buffer);
    *offset = state_.streams[stream].offset;
    *stride = state_.streams[stream].stride;
    return D3D_OK;
}

HRESULT Device::SetStreamSourceFreq(UINT stream, UINT setting) {
    if (stream >= kStreamCount) return D3DERR_INVALIDCALL;
    state_.streams[stream].frequency = setting;
    return RecordCall("SetStreamSourceFreq", {stream, setting}, D3D_OK);
}

HRESULT Device::GetStreamSourceFreq(UINT stream, UINT* setting) {
    if (stream >= kStreamCount || !setting) return D3DERR_INVALIDCALL;
    *setting = state_.streams[stream].frequency;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* indices) {
    Bind(state_.indices, indices);
    return RecordCall("SetIndices", {PointerArg(indices)}, D3D_OK);
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** indices) {
    if (!indices) return D3DERR_INVALIDCALL;
    HandOut(indices, state_.indices);
    return D3D_OK;
}

// --- Shaders and their constants (stored; executed by a later stage) ---

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
    BindState(state_.vertexShader, shader);
    return RecordCall("SetVertexShader", {PointerArg(shader)}, D3D_OK);
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** shader) {
    if (!shader) return D3DERR_INVALIDCALL;
    HandOut(shader, state_.vertexShader);
    return D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) {
    BindState(state_.pixelShader, shader);
    return RecordCall("SetPixelShader", {PointerArg(shader)}, D3D_OK);
}

HRESULT Device::GetPixelShader(IDirect3DPixelShader9** shader) {
    if (!shader) return D3DERR_INVALIDCALL;
    HandOut(shader, state_.pixelShader);
    return D3D_OK;
}

namespace {

// Copies count registers between the caller and a register file, refusing
// null data and ranges past the file's end.
template <class Registers, class Value>
HRESULT CopyIn(Registers& file, UINT start, const Value* data, UINT count, UINT width) {
    if (!data || static_cast<uint64_t>(start) + count > file.size()) return D3DERR_INVALIDCALL;
    for (UINT i = 0; i < count; ++i) {
        if constexpr (std::is_same_v<typename Registers::value_type, BOOL>) {
            file[start + i] = data[i];
        } else {
            for (UINT j = 0; j < width; ++j) file[start + i][j] = data[i * width + j];
        }
    }
    return D3D_OK;
}

template <class Registers, class Value>
HRESULT CopyOut(const Registers& file, UINT start, Value* data, UINT count, UINT width) {
    if (!data || static_cast<uint64_t>(start) + count > file.size()) return D3DERR_INVALIDCALL;
    for (UINT i = 0; i < count; ++i) {
        if constexpr (std::is_same_v<typename Registers::value_type, BOOL>) {
            data[i] = file[start + i];
        } else {
            for (UINT j = 0; j < width; ++j) data[i * width + j] = file[start + i][j];
        }
    }
    return D3D_OK;
}

}  // namespace

HRESULT Device::SetVertexShaderConstantF(UINT start, const float* data, UINT count) {
    // Hardware processing has the caps' registers; software the whole file.
    if (!state_.softwareVertexProcessing && static_cast<uint64_t>(start) + count > caps_.MaxVertexShaderConst)
        return RecordCall("SetVertexShaderConstantF", {start, count}, D3DERR_INVALIDCALL);
    return RecordCall("SetVertexShaderConstantF", {start, count},
                      CopyIn(state_.vertexFloatConstants, start, data, count, 4));
}
HRESULT Device::GetVertexShaderConstantF(UINT start, float* data, UINT count) {
    return CopyOut(state_.vertexFloatConstants, start, data, count, 4);
}
HRESULT Device::SetVertexShaderConstantI(UINT start, const int* data, UINT count) {
    return RecordCall("SetVertexShaderConstantI", {start, count},
                      CopyIn(state_.vertexIntConstants, start, data, count, 4));
}
HRESULT Device::GetVertexShaderConstantI(UINT start, int* data, UINT count) {
    return CopyOut(state_.vertexIntConstants, start, data, count, 4);
}
HRESULT Device::SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) {
    return RecordCall("SetVertexShaderConstantB", {start, count},
                      CopyIn(state_.vertexBoolConstants, start, data, count, 1));
}
HRESULT Device::GetVertexShaderConstantB(UINT start, BOOL* data, UINT count) {
    return CopyOut(state_.vertexBoolConstants, start, data, count, 1);
}
HRESULT Device::SetPixelShaderConstantF(UINT start, const float* data, UINT count) {
    return RecordCall("SetPixelShaderConstantF", {start, count},
                      CopyIn(state_.pixelFloatConstants, start, data, count, 4));
}
HRESULT Device::GetPixelShaderConstantF(UINT start, float* data, UINT count) {
    return CopyOut(state_.pixelFloatConstants, start, data, count, 4);
}
HRESULT Device::SetPixelShaderConstantI(UINT start, const int* data, UINT count) {
    return RecordCall("SetPixelShaderConstantI", {start, count},
                      CopyIn(state_.pixelIntConstants, start, data, count, 4));
}
HRESULT Device::GetPixelShaderConstantI(UINT start, int* data, UINT count) {
    return CopyOut(state_.pixelIntConstants, start, data, count, 4);
}
HRESULT Device::SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) {
    return RecordCall("SetPixelShaderConstantB", {start, count},
                      CopyIn(state_.pixelBoolConstants, start, data, count, 1));
}
HRESULT Device::GetPixelShaderConstantB(UINT start, BOOL* data, UINT count) {
    return CopyOut(state_.pixelBoolConstants, start, data, count, 1);
}

// --- Vertex processing mode ---

HRESULT Device::SetSoftwareVertexProcessing(BOOL software) {
    // Only a mixed device switches; the others stay what they were made.
    HRESULT result = D3D_OK;
    if (behaviorFlags_ & D3DCREATE_MIXED_VERTEXPROCESSING)
        state_.softwareVertexProcessing = software ? TRUE : FALSE;
    else if (static_cast<bool>(software) != static_cast<bool>(behaviorFlags_ & D3DCREATE_SOFTWARE_VERTEXPROCESSING))
        result = D3DERR_INVALIDCALL;
    return RecordCall("SetSoftwareVertexProcessing", {static_cast<uint64_t>(software)}, result);
}

BOOL Device::GetSoftwareVertexProcessing() { return state_.softwareVertexProcessing; }

HRESULT Device::SetNPatchMode(float segments) {
    if (segments < 0.0f) return D3DERR_INVALIDCALL;
    state_.nPatchSegments = segments;
    return D3D_OK;
}

float Device::GetNPatchMode() { return state_.nPatchSegments; }

}  // namespace lumiva::d3d9
