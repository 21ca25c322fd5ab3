// The texture stages: each reads its arguments, applies its colour and alpha
// operations and leaves the result in CURRENT (or TEMP).
#include "d3d9/raster/PixelState.h"

namespace raster {

namespace {

struct Registers {
    Rgba diffuse, specular, current, temp, texture, factor;
};

Rgba SelectArgument(uint32_t arg, const Registers& r) {
    Rgba c;
    switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE: c = r.diffuse; break;
        case D3DTA_CURRENT: c = r.current; break;
        case D3DTA_TEXTURE: c = r.texture; break;
        case D3DTA_TFACTOR: c = r.factor; break;
        case D3DTA_SPECULAR: c = r.specular; break;
        case D3DTA_TEMP: c = r.temp; break;
        default: c = r.current; break;
    }
    if (arg & D3DTA_COMPLEMENT) c = Rgba{255 - c.r, 255 - c.g, 255 - c.b, 255 - c.a};
    if (arg & D3DTA_ALPHAREPLICATE) c.r = c.g = c.b = c.a;
    return c;
}

bool OpMixesArgumentAlpha(uint32_t op) { return op >= 18 && op <= 21; }

Rgba ApplyStage(const StageSetup& st, const Registers& r) {
    const Rgba c1 = SelectArgument(st.colorArg1, r), c2 = SelectArgument(st.colorArg2, r);
    const Rgba c0 = SelectArgument(st.colorArg0, r);
    OpInputs in{0, 0, 0, r.diffuse.a, r.texture.a, r.factor.a, r.current.a};
    const int32_t mixAlpha = OpMixesArgumentAlpha(st.colorOp) ? c1.a : -1;
    auto colour = [&](int32_t a0, int32_t a1, int32_t a2) {
        in.arg0 = mixAlpha >= 0 ? mixAlpha : a0;
        in.arg1 = a1;
        in.arg2 = a2;
        return CombineChannel(st.colorOp, in);
    };
    Rgba out;
    out.r = colour(c0.r, c1.r, c2.r);
    out.g = colour(c0.g, c1.g, c2.g);
    out.b = colour(c0.b, c1.b, c2.b);
    if (st.colorOp == D3DTOP_DOTPRODUCT3) {
        // The product goes to every channel, alpha included, whatever the alpha op.
        out.r = out.g = out.b = out.a = DotProduct3(c1, c2);
    } else if (st.alphaOp == D3DTOP_DISABLE) {
        out.a = r.current.a;
    } else {
        const Rgba a1 = SelectArgument(st.alphaArg1, r), a2 = SelectArgument(st.alphaArg2, r);
        const Rgba a0 = SelectArgument(st.alphaArg0, r);
        in.arg0 = OpMixesArgumentAlpha(st.alphaOp) ? a1.a : a0.a;
        in.arg1 = a1.a;
        in.arg2 = a2.a;
        // As an alpha op the product is of the alpha arguments' colours.
        out.a = st.alphaOp == D3DTOP_DOTPRODUCT3 ? DotProduct3(a1, a2) : CombineChannel(st.alphaOp, in);
    }
    return out;
}

}  // namespace

uint32_t CombineStages(const PixelState& ps, const FragmentInputs& in) {
    Registers r;
    r.diffuse = in.diffuse;
    r.specular = in.specular;
    r.current = in.diffuse;
    r.factor = Unpack(ps.textureFactor);
    for (int s = 0; s < ps.stageCount; ++s) {
        const StageSetup& st = ps.stages[s];
        if (st.readsTexture && st.hasTexture) {
            const int set = st.texcoordSet;
            r.texture = Unpack(SampleTexture(st.sampler, in.u[set], in.v[set], in.derivatives[set]));
        }
        const Rgba result = ApplyStage(st, r);
        if (st.resultToTemp) r.temp = result;
        else r.current = result;
    }
    Rgba out = r.current;
    if (ps.specularAdd) {
        out.r = std::min(255, out.r + in.specular.r);
        out.g = std::min(255, out.g + in.specular.g);
        out.b = std::min(255, out.b + in.specular.b);
    }
    return Pack(out);
}

}  // namespace raster
