// Folding the device states into the pixel state of one draw.
#include "d3d9/raster/PixelState.h"

#include <cstring>

#include "d3d9/raster/TexelFormats.h"

namespace raster {

namespace {

bool IsTernary(uint32_t op) { return op == 25 || op == 26; }  // MULTIPLYADD, LERP

bool ArgumentReadsTexture(uint32_t arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

bool OpReadsTexture(uint32_t op, uint32_t arg1, uint32_t arg2, uint32_t arg0) {
    if (op == D3DTOP_DISABLE) return false;
    if (op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM) return true;
    bool reads = false;
    if (op != D3DTOP_SELECTARG2) reads |= ArgumentReadsTexture(arg1);
    if (op != D3DTOP_SELECTARG1) reads |= ArgumentReadsTexture(arg2);
    if (IsTernary(op)) reads |= ArgumentReadsTexture(arg0);
    return reads;
}

// A stage with no texture passes its incoming colour (alpha) through where
// the operation reads the texture, as drivers do: the channel selects
// CURRENT, which is the diffuse colour on stage 0. Rewritten here, once per
// draw, every span sees the same stage and none reads an unbound texture.
void PassIncomingWhereTextureIsRead(StageSetup& stage) {
    if (OpReadsTexture(stage.colorOp, stage.colorArg1, stage.colorArg2, stage.colorArg0)) {
        stage.colorOp = D3DTOP_SELECTARG1;
        stage.colorArg1 = D3DTA_CURRENT;
    }
    if (OpReadsTexture(stage.alphaOp, stage.alphaArg1, stage.alphaArg2, stage.alphaArg0)) {
        stage.alphaOp = D3DTOP_SELECTARG1;
        stage.alphaArg1 = D3DTA_CURRENT;
    }
}

float FloatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

void BuildSampler(const StateBlock& st, int s, const TextureView* texture, SamplerSetup& out) {
    const uint32_t* samp = st.sampler[s];
    out.texture = texture;
    out.fetch = TexelFetcherFor(texture->levels[0].format);
    out.addressU = samp[D3DSAMP_ADDRESSU];
    out.addressV = samp[D3DSAMP_ADDRESSV];
    out.border = samp[D3DSAMP_BORDERCOLOR];
    out.magFilter = samp[D3DSAMP_MAGFILTER];
    out.minFilter = samp[D3DSAMP_MINFILTER];
    out.mipFilter = samp[D3DSAMP_MIPFILTER];
    out.baseLevel = int(samp[D3DSAMP_MAXMIPLEVEL] < texture->levelCount ? samp[D3DSAMP_MAXMIPLEVEL] : 0);
    out.lodBias = FloatFromBits(samp[D3DSAMP_MIPMAPLODBIAS]);
    const bool mips = texture->levelCount > 1 && out.mipFilter != D3DTEXF_NONE;
    out.needsLod = mips || out.minFilter != out.magFilter;
}

bool UsableTexture(const TextureView* t) {
    if (!t || t->levelCount == 0 || t->levelCount > kMaxMipLevels) return false;
    for (uint32_t i = 0; i < t->levelCount; ++i) {
        const SurfaceView& l = t->levels[i];
        if (!l.bits || l.width == 0 || l.height == 0 || !IsTextureFormat(l.format)) return false;
        if (l.format != t->levels[0].format) return false;
    }
    return true;
}

}  // namespace

bool BuildPixelState(const DrawCommand& draw, PixelState& out) {
    out = PixelState{};
    const StateBlock& st = *draw.states;
    if (!draw.target.bits || !IsRenderTargetFormat(draw.target.format)) return false;
    out.target = draw.target;
    if (draw.depth.bits && IsDepthFormat(draw.depth.format) && draw.depth.width >= draw.target.width &&
        draw.depth.height >= draw.target.height)
        out.depth = draw.depth;

    out.attributeMask = 0x0Fu << kDiffuseR;
    for (int s = 0; s < kMaxStages; ++s) {
        const uint32_t* ts = st.stage[s];
        if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE || ts[D3DTSS_COLOROP] == 0) break;
        StageSetup& stage = out.stages[s];
        stage.colorOp = ts[D3DTSS_COLOROP];
        stage.colorArg1 = ts[D3DTSS_COLORARG1];
        stage.colorArg2 = ts[D3DTSS_COLORARG2];
        stage.colorArg0 = ts[D3DTSS_COLORARG0];
        stage.alphaOp = ts[D3DTSS_ALPHAOP];
        stage.alphaArg1 = ts[D3DTSS_ALPHAARG1];
        stage.alphaArg2 = ts[D3DTSS_ALPHAARG2];
        stage.alphaArg0 = ts[D3DTSS_ALPHAARG0];
        stage.resultToTemp = (ts[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP;
        stage.texcoordSet = s;
        stage.hasTexture = UsableTexture(draw.textures[s]);
        if (stage.hasTexture) BuildSampler(st, s, draw.textures[s], stage.sampler);
        else PassIncomingWhereTextureIsRead(stage);
        stage.readsTexture = OpReadsTexture(stage.colorOp, stage.colorArg1, stage.colorArg2, stage.colorArg0) ||
                             OpReadsTexture(stage.alphaOp, stage.alphaArg1, stage.alphaArg2, stage.alphaArg0);
        if (stage.readsTexture) out.attributeMask |= 3u << (kTexcoord0 + 2 * s);
        out.stageCount = s + 1;
    }
    out.textureFactor = st.render[D3DRS_TEXTUREFACTOR];
    out.specularAdd = st.render[D3DRS_SPECULARENABLE] != 0;
    out.needsSpecular = out.specularAdd;
    for (int s = 0; s < out.stageCount; ++s) {
        const StageSetup& stage = out.stages[s];
        for (uint32_t arg : {stage.colorArg1, stage.colorArg2, stage.colorArg0, stage.alphaArg1, stage.alphaArg2,
                             stage.alphaArg0})
            if ((arg & D3DTA_SELECTMASK) == D3DTA_SPECULAR) out.needsSpecular = true;
    }
    if (out.needsSpecular) out.attributeMask |= 0x0Fu << kSpecularR;

    out.alphaTest = st.render[D3DRS_ALPHATESTENABLE] != 0;
    out.alphaFunc = st.render[D3DRS_ALPHAFUNC];
    out.alphaRef = int32_t(st.render[D3DRS_ALPHAREF] & 0xFF);

    out.depthTest = st.render[D3DRS_ZENABLE] != D3DZB_FALSE && out.depth.bits;
    out.depthWrite = st.render[D3DRS_ZWRITEENABLE] != 0;
    out.depthFunc = st.render[D3DRS_ZFUNC];

    out.stencil = st.render[D3DRS_STENCILENABLE] != 0 && out.depth.bits && StencilBits(out.depth.format) > 0;
    out.stencilFunc = st.render[D3DRS_STENCILFUNC];
    out.stencilRef = st.render[D3DRS_STENCILREF];
    out.stencilMask = st.render[D3DRS_STENCILMASK];
    out.stencilWriteMask = st.render[D3DRS_STENCILWRITEMASK];
    out.stencilFail = st.render[D3DRS_STENCILFAIL];
    out.stencilDepthFail = st.render[D3DRS_STENCILZFAIL];
    out.stencilPass = st.render[D3DRS_STENCILPASS];

    out.blend = st.render[D3DRS_ALPHABLENDENABLE] != 0;
    out.srcBlend = st.render[D3DRS_SRCBLEND];
    out.destBlend = st.render[D3DRS_DESTBLEND];
    out.blendOp = st.render[D3DRS_BLENDOP];
    out.colorWriteMask = st.render[D3DRS_COLORWRITEENABLE] & 0xF;
    return true;
}

}  // namespace raster
