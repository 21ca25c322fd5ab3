// The pieces the specialised spans share: how stage 0 combines a texel with
// one colour, and the per-family span choosers the fast-path plan calls.
// Each family lives in its own files so they build in parallel.
#pragma once

#include "d3d9/raster/PixelBlend.h"
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/Rasterizer.h"

namespace raster::fast {

// How stage 0 makes one channel group from texture t and diffuse d.
enum ChannelMode : int { kTextureOnly, kDiffuseOnly, kProduct };

LUMIVA_HOT int32_t StageChannel(int mode, int scale, int32_t t, int32_t d) {
    if (mode == kTextureOnly) return t;
    if (mode == kDiffuseOnly) return d;
    return scale == 1 ? MulRound(t, d) : ScaledProduct(t, d, scale);
}

inline Rgba ConstantColor(const Gradients& g, int first) {
    return Rgba{ColorChannel(g.attr[first].c), ColorChannel(g.attr[first + 1].c), ColorChannel(g.attr[first + 2].c),
                ColorChannel(g.attr[first + 3].c)};
}

// A 2D textured span and its rectangle form.
struct TexturedKernel {
    SpanFn span = nullptr;
    RectangleFn rectangle = nullptr;
};

// Span choosers by family; null where the family has no span for the state.
// Untextured: inputs constant over the triangle, or a diffuse or specular
// colour that changes across an affine one. passDiffuse: the stages select
// the diffuse colour as it is.
struct ConstantSpans {
    SpanFn flat = nullptr;
    SpanFn gouraud = nullptr;
};
ConstantSpans ConstantSpansFor(int mode, bool xTarget, bool passDiffuse);
TexturedKernel TexturedSpanFor(D3DFORMAT format, bool linear, int mode, bool xTarget);
SpanFn SceneSpanFor(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth);

// The same by texture format group, one file each.
TexturedKernel TexturedSpanFor32(D3DFORMAT format, bool linear, int mode, bool xTarget);
TexturedKernel TexturedSpanFor16(D3DFORMAT format, bool linear, int mode, bool xTarget);
TexturedKernel TexturedSpanFor15(D3DFORMAT format, bool linear, int mode, bool xTarget);
TexturedKernel TexturedSpanForDxt(D3DFORMAT format, bool linear, int mode, bool xTarget);
SpanFn SceneSpanFor32(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth);
SpanFn SceneSpanFor16(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth);
SpanFn SceneSpanFor15(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth);
SpanFn SceneSpanForDxt(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth);

}  // namespace raster::fast
