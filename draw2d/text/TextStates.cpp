#include "draw2d/text/TextStates.h"

namespace {
constexpr TextState Render(D3DRENDERSTATETYPE state, DWORD value) {
    return {TextStateKind::Render, 0, DWORD(state), value};
}
constexpr TextState Stage(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) {
    return {TextStateKind::Stage, stage, DWORD(state), value};
}
constexpr TextState Sampler(D3DSAMPLERSTATETYPE state, DWORD value) {
    return {TextStateKind::Sampler, 0, DWORD(state), value};
}

void SetState(IDirect3DDevice9* device, const TextState& s, DWORD value) {
    switch (s.kind) {
        case TextStateKind::Render:
            device->SetRenderState(D3DRENDERSTATETYPE(s.state), value);
            break;
        case TextStateKind::Stage:
            device->SetTextureStageState(s.stage, D3DTEXTURESTAGESTATETYPE(s.state), value);
            break;
        case TextStateKind::Sampler:
            device->SetSamplerState(s.stage, D3DSAMPLERSTATETYPE(s.state), value);
            break;
    }
}

DWORD GetState(IDirect3DDevice9* device, const TextState& s) {
    DWORD value = 0;
    switch (s.kind) {
        case TextStateKind::Render:
            device->GetRenderState(D3DRENDERSTATETYPE(s.state), &value);
            break;
        case TextStateKind::Stage:
            device->GetTextureStageState(s.stage, D3DTEXTURESTAGESTATETYPE(s.state), &value);
            break;
        case TextStateKind::Sampler:
            device->GetSamplerState(s.stage, D3DSAMPLERSTATETYPE(s.state), &value);
            break;
    }
    return value;
}
}  // namespace

const std::array<TextState, kTextStateCount> kTextStates = {{
    Render(D3DRS_ZENABLE, 0),
    Render(D3DRS_ALPHABLENDENABLE, 1),
    Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
    Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA),
    Render(D3DRS_ALPHATESTENABLE, 0),
    Render(D3DRS_ALPHAREF, 8),
    Render(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL),
    Render(D3DRS_FILLMODE, D3DFILL_SOLID),
    Render(D3DRS_CULLMODE, D3DCULL_NONE),
    Render(D3DRS_STENCILENABLE, 0),
    Render(D3DRS_CLIPPING, 1),
    Render(D3DRS_CLIPPLANEENABLE, 0),
    Render(D3DRS_VERTEXBLEND, 0),
    Render(D3DRS_INDEXEDVERTEXBLENDENABLE, 0),
    Render(D3DRS_FOGENABLE, 0),
    Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE),
    Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE),
    Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE),
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE),
    Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE),
    Stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE),
    Sampler(D3DSAMP_MINFILTER, D3DTEXF_POINT),
    Sampler(D3DSAMP_MAGFILTER, D3DTEXF_POINT),
    Sampler(D3DSAMP_MIPFILTER, D3DTEXF_NONE),
    Stage(0, D3DTSS_TEXCOORDINDEX, 0),
    Stage(0, D3DTSS_TEXTURETRANSFORMFLAGS, 0),
    Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE),
    Stage(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE),
}};

void ApplyTextStates(IDirect3DDevice9* device) {
    if (!device) return;
    for (const TextState& s : kTextStates) SetState(device, s, s.value);
}

void ReadTextStates(IDirect3DDevice9* device, TextStateValues& values) {
    if (!device) return;
    for (int i = 0; i < kTextStateCount; ++i) values[i] = GetState(device, kTextStates[i]);
}

void WriteTextStates(IDirect3DDevice9* device, const TextStateValues& values) {
    if (!device) return;
    for (int i = 0; i < kTextStateCount; ++i) SetState(device, kTextStates[i], values[i]);
}
