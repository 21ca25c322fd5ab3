// Alpha test, depth and stencil comparisons, and blending.
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/TexelFormats.h"

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

uint32_t StencilOperation(uint32_t op, uint32_t value, uint32_t reference, uint32_t maxValue) {
    switch (op) {
        case D3DSTENCILOP_ZERO: return 0;
        case D3DSTENCILOP_REPLACE: return reference & maxValue;
        case D3DSTENCILOP_INCRSAT: return value < maxValue ? value + 1 : maxValue;
        case D3DSTENCILOP_DECRSAT: return value > 0 ? value - 1 : 0;
        case D3DSTENCILOP_INVERT: return ~value & maxValue;
        case D3DSTENCILOP_INCR: return (value + 1) & maxValue;
        case D3DSTENCILOP_DECR: return (value - 1) & maxValue;
        default: return value;  // KEEP
    }
}

void ApplyStencil(const PixelState& ps, uint8_t* pixel, uint32_t op, uint32_t value) {
    const uint32_t maxValue = (1u << StencilBits(ps.depth.format)) - 1;
    const uint32_t result = StencilOperation(op, value, ps.stencilRef, maxValue);
    const uint32_t mask = ps.stencilWriteMask & maxValue;
    WriteStencil(ps.depth.format, pixel, (value & ~mask) | (result & mask));
}

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

bool StencilAndDepth(const PixelState& ps, uint8_t* depthPixel, uint32_t depth) {
    if (ps.stencil) {
        const uint32_t value = ReadStencil(ps.depth.format, depthPixel);
        if (!CompareFunc(ps.stencilFunc, ps.stencilRef & ps.stencilMask, value & ps.stencilMask)) {
            ApplyStencil(ps, depthPixel, ps.stencilFail, value);
            return false;
        }
        if (ps.depthTest && !CompareFunc(ps.depthFunc, depth, ReadDepth(ps.depth.format, depthPixel))) {
            ApplyStencil(ps, depthPixel, ps.stencilDepthFail, value);
            return false;
        }
        ApplyStencil(ps, depthPixel, ps.stencilPass, value);
    } else if (ps.depthTest && !CompareFunc(ps.depthFunc, depth, ReadDepth(ps.depth.format, depthPixel))) {
        return false;
    }
    if (ps.depthTest && ps.depthWrite) WriteDepth(ps.depth.format, depthPixel, depth);
    return true;
}

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
