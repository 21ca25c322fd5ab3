// The platform's initial pipeline state.
#include <cstring>

#include "d3d9/State.h"

namespace lumiva::d3d9 {
namespace {

DWORD FloatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

void SetRenderStateDefaults(std::array<DWORD, kRenderStateCount>& rs, DWORD zEnable) {
    rs.fill(0);
    rs[D3DRS_ZENABLE] = zEnable;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_ALPHATESTENABLE] = FALSE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAREF] = 0;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGSTART] = FloatBits(0.0f);
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_AMBIENT] = 0;
    rs[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_NORMALIZENORMALS] = FALSE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_VERTEXBLEND] = D3DVBF_DISABLE;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_B] = FloatBits(0.0f);
    rs[D3DRS_POINTSCALE_C] = FloatBits(0.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_DEBUGMONITORTOKEN] = 0xBAADCAFE;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = 0x0000000F;
    rs[D3DRS_TWEENFACTOR] = FloatBits(0.0f);
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONDEGREE] = 3;  // cubic
    rs[D3DRS_NORMALDEGREE] = 1;    // linear
    rs[D3DRS_MINTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.0f);
    rs[D3DRS_CCW_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_COLORWRITEENABLE1] = 0x0000000F;
    rs[D3DRS_COLORWRITEENABLE2] = 0x0000000F;
    rs[D3DRS_COLORWRITEENABLE3] = 0x0000000F;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
}

void SetStageDefaults(std::array<DWORD, kStageStateCount>& ss, UINT stage) {
    ss.fill(0);
    ss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ss[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    ss[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    ss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ss[D3DTSS_TEXCOORDINDEX] = stage;
    ss[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    ss[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    ss[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    ss[D3DTSS_RESULTARG] = D3DTA_CURRENT;
}

void SetSamplerDefaults(std::array<DWORD, kSamplerStateCount>& s) {
    s.fill(0);
    s[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    s[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    s[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    s[D3DSAMP_MAXANISOTROPY] = 1;
}

}  // namespace

void ResetToDefaults(DeviceState& state, DWORD zEnable) {
    // Bindings (textures, streams, targets) are the device's to release first.
    SetRenderStateDefaults(state.renderStates, zEnable);
    for (UINT stage = 0; stage < kTextureStageCount; ++stage) SetStageDefaults(state.stageStates[stage], stage);
    for (auto& sampler : state.samplerStates) SetSamplerDefaults(sampler);
    state.textures.fill(nullptr);
    state.view = Identity();
    state.projection = Identity();
    state.textureMatrices.fill(Identity());
    state.worldMatrices.fill(Identity());
    state.viewport = D3DVIEWPORT9{};
    D3DMATERIAL9 material{};
    state.material = material;
    state.lights.clear();
    for (auto& plane : state.clipPlanes) plane.fill(0.0f);
    state.scissorRect = RECT{};
    state.fvf = 0;
    state.declaration = nullptr;
    state.streams.fill(StreamBinding{});
    state.indices = nullptr;
    state.vertexShader = nullptr;
    state.pixelShader = nullptr;
    for (auto& c : state.vertexFloatConstants) c.fill(0.0f);
    for (auto& c : state.vertexIntConstants) c.fill(0);
    state.vertexBoolConstants.fill(FALSE);
    for (auto& c : state.pixelFloatConstants) c.fill(0.0f);
    for (auto& c : state.pixelIntConstants) c.fill(0);
    state.pixelBoolConstants.fill(FALSE);
    state.renderTarget = nullptr;
    state.depthStencil = nullptr;
    state.softwareVertexProcessing = FALSE;
    state.nPatchSegments = 0.0f;
}

}  // namespace lumiva::d3d9
