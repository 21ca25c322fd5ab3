// Alpha test, depth and stencil comparisons, and blending.
#include "d3d9/raster/PixelState.h"

namespace raster {

bool CompareFunc(uint32_t func, uint32_t value, uint32_t reference) {
    switch (func) {
        case D3DCMP_NEVER: return false;
        case D3DCMP_LESS: return value < reference;
        case D3DCMP_EQUAL: return value == reference;
        case D3DCMP_LESSEQUAL: return value <= reference;
        case D3DCMP_GREATER: return value > reference;
        case D3DCMP_NOTEQUAL: return value != reference;
        case D3DCMP_GREATEREQUAL: return value >= reference;
        default: return true;
    }
}

namespace {

// Factor for one channel; alpha channel passes isAlpha.
int32_t BlendFactor(uint32_t factor, int32_t srcChannel, const Rgba& src, int32_t destChannel, const Rgba& dest,
                    bool isAlpha) {
    switch (factor) {
        case D3DBLEND_ZERO: return 0;
        case D3DBLEND_ONE: return 255;
        case D3DBLEND_SRCCOLOR: return srcChannel;
        case D3DBLEND_INVSRCCOLOR: return 255 - srcChannel;
        case D3DBLEND_SRCALPHA: return src.a;
        case D3DBLEND_INVSRCALPHA: return 255 - src.a;
        case D3DBLEND_DESTALPHA: return dest.a;
        case D3DBLEND_INVDESTALPHA: return 255 - dest.a;
        case D3DBLEND_DESTCOLOR: return destChannel;
        case D3DBLEND_INVDESTCOLOR: return 255 - destChannel;
        case D3DBLEND_SRCALPHASAT: return isAlpha ? 255 : std::min(src.a, 255 - dest.a);
        default: return 255;
    }
}

int32_t BlendChannel(const PixelState& ps, uint32_t srcFactor, uint32_t destFactor, int32_t s, int32_t d,
                     const Rgba& src, const Rgba& dest, bool isAlpha) {
    switch (ps.blendOp) {
        case D3DBLENDOP_MIN: return std::min(s, d);
        case D3DBLENDOP_MAX: return std::max(s, d);
        default: break;
    }
    const int32_t sf = BlendFactor(srcFactor, s, src, d, dest, isAlpha);
    const int32_t df = BlendFactor(destFactor, s, src, d, dest, isAlpha);
    int32_t sum;
    switch (ps.blendOp) {
        case D3DBLENDOP_SUBTRACT: sum = s * sf - d * df; break;
        case D3DBLENDOP_REVSUBTRACT: sum = d * df - s * sf; break;
        default: sum = s * sf + d * df; break;
    }
    if (sum <= 0) return 0;
    return std::min(255, Div255Round(sum));
}

}  // namespace

uint32_t BlendPixel(const PixelState& ps, uint32_t source, uint32_t dest) {
    uint32_t srcFactor = ps.srcBlend, destFactor = ps.destBlend;
    if (srcFactor == D3DBLEND_BOTHSRCALPHA) {
        srcFactor = D3DBLEND_SRCALPHA;
        destFactor = D3DBLEND_INVSRCALPHA;
    } else if (srcFactor == D3DBLEND_BOTHINVSRCALPHA) {
        srcFactor = D3DBLEND_INVSRCALPHA;
        destFactor = D3DBLEND_SRCALPHA;
    }
    const Rgba s = Unpack(source), d = Unpack(dest);
    Rgba out;
    out.r = BlendChannel(ps, srcFactor, destFactor, s.r, d.r, s, d, false);
    out.g = BlendChannel(ps, srcFactor, destFactor, s.g, d.g, s, d, false);
    out.b = BlendChannel(ps, srcFactor, destFactor, s.b, d.b, s, d, false);
    out.a = BlendChannel(ps, srcFactor, destFactor, s.a, d.a, s, d, true);
    return Pack(out);
}

}  // namespace raster
