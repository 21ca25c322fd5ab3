// The pieces the specialised spans share: how stage 0 combines a texel with
// one colour, and the per-family span choosers the fast-path plan calls.
// Each family lives in its own files so they build in parallel.
#pragma once

#include <algorithm>
#include <cstring>

#include "d3d9/raster/PixelBlend.h"
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/Rasterizer.h"
#include "d3d9/raster/RowKernels.h"

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

inline bool IsIdentity(const FlatShade& s) {
    return s.factor == 0xFFFFFFFFu && s.keep == 0xFFFFFFFFu && s.doubled == 0;
}

// Pixels a run shades at once on the stack.
constexpr int kRunPixels = 64;

// How a run's texels become target pixels, chosen once a row: the stage's
// row shade (none where it leaves texels as they are), then the blend,
// under the alpha test where the draw has one.
struct RunWriter {
    const RowKernels* kernels = nullptr;
    BlendRowFn blend = nullptr;
    ShadeRowFn shadeRow = nullptr;  // null: texels as they are
    FlatShade shade;
    const AlphaTestMasks* test = nullptr;  // null: every pixel passes

    bool Identity() const { return shadeRow == nullptr; }
    // `out` may be `in`.
    void Shade(uint32_t* out, const uint32_t* in, int n) const { shadeRow(out, in, n, shade); }
    // The pixels blended aside, then kept where their source passes the test.
    void Write(uint32_t* dst, const uint32_t* src, int n) const {
        if (!test) {
            blend(dst, src, n);
            return;
        }
        if ((test->less | test->equal | test->greater) == 0) return;  // NEVER
        uint32_t blended[kRunPixels];
        for (int i = 0; i < n; i += kRunPixels) {
            const int m = std::min(kRunPixels, n - i);
            std::memcpy(blended, dst + i, size_t(m) * 4);
            blend(blended, src + i, m);
            kernels->alphaTested(dst + i, blended, src + i, m, *test);
        }
    }
};

// The writer of a draw's blend and alpha test, with `shade` as the stage.
inline RunWriter WriterFor(const PixelState& ps, int mode, bool xTarget, const FlatShade& shade) {
    RunWriter w;
    w.kernels = &ActiveRowKernels();
    w.blend = w.kernels->blend[mode][xTarget];
    w.shade = shade;
    if (!IsIdentity(shade)) w.shadeRow = shade.doubled ? w.kernels->shadeScaled : w.kernels->shade;
    if (ps.fastStage.alphaTested) w.test = &ps.fastStage.alphaTest;
    return w;
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
// Whether the first texture coordinate set's planes, scaled by 2^24, are
// whole numbers the 2D span can step exactly (texel-aligned sprites).
bool WholeTexelPlanes(const Gradients& g);
// Fills ps.fastStage.scene for a scene span of this texture format; the
// rest of the fast stage is planned.
void PlanSceneStage(PixelState& ps, D3DFORMAT format, bool mip);

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
