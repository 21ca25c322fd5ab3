// The 2D textured span: stage 0 texture with a constant or Gouraud diffuse,
// affine coordinates, no depth test. A template over texture format, filter,
// blend and target; each format group instantiates it in its own file.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>

#include "d3d9/raster/FastSpanParts.h"
#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/TexelFormats.h"

namespace raster::fast {

// Texel coordinates scaled by 2^24: whole numbers for texel-aligned quads of
// power-of-two textures.
constexpr double kTexelScale = 16777216.0;
constexpr double kScaledRowLimit = 1099511627776.0;  // 2^40
constexpr double kScaledStepLimit = 1073741824.0;    // 2^30

// The steps of ExactSteps from a row's coordinate A and slope B scaled by
// 2^24, |A| below 2^40 and |B| below 2^30: start and step in 1/2^16 of the
// texel coordinate's 1/256, or false when they could leave exact range.
inline bool StepsFromScaled(int64_t A, int64_t B, int x0, int x1, double size, int64_t& start, int64_t& step) {
    if (size > 8192.0 || !(size >= 1.0)) return false;
    if (x0 < 0 || x1 > 16384) return false;  // |B x| below 2^44
    // (A + B x) * size stays below 2^45 at both ends, hence between them:
    // exact in doubles, and t = that / 2^16 below 2^29, inside the clamp.
    const int64_t w = int64_t(size);
    const int64_t first = A + B * x0, last = A + B * (x1 - 1);
    // |v| >= floor(2^45 / w), without the division: (|v| + 1) * w > 2^45
    // (|v| below 2^46 and w at most 2^13, so no overflow).
    auto beyond = [w](int64_t v) { return ((v < 0 ? -v : v) + 1) * w > (int64_t(1) << 45); };
    if (beyond(first) || beyond(last)) return false;
    start = first * w + 32768;
    step = B * w;
    return true;
}

// Texel coordinates (1/256 texel) of a span's pixels; linear in x, so the
// two ends bound every pixel between them.
struct SpanCoordinates {
    bool constant;
    double row, dx, c, size;
    int32_t At(int x) const { return TexelFixed((constant ? c : Plane::At(row, dx, double(x))) * size); }
    // TexelFixed's value where it is known to be non-negative and in range.
    int32_t AtInside(int x) const {
        return int32_t((constant ? c : Plane::At(row, dx, double(x))) * size * 256.0 + 0.5);
    }
    // Whether every base texel of [x0, x1) lies inside [0, size).
    bool Inside(int x0, int x1, int32_t bias) const {
        const int32_t a = At(x0) - bias, b = At(x1 - 1) - bias;
        const int32_t limit = int32_t(size) * 256;
        return a >= 0 && b >= 0 && a < limit && b < limit;
    }

    // Integer stepping that reproduces At exactly: when the plane's row value
    // and slope are whole multiples of 2^-24 (sprites: texel-aligned quads of
    // power-of-two textures) every double operation of At is exact, so
    // At(x) == (start + step * (x - x0)) >> 16. False when that cannot be shown.
    bool ExactSteps(int x0, int x1, int64_t& start, int64_t& step) const {
        const double a = (constant ? c : row) * kTexelScale, b = constant ? 0.0 : dx * kTexelScale;
        if (!(std::fabs(a) < kScaledRowLimit) || !(std::fabs(b) < kScaledStepLimit)) return false;
        const int64_t A = int64_t(a), B = int64_t(b);
        if (double(A) != a || double(B) != b) return false;
        return StepsFromScaled(A, B, x0, x1, size, start, step);
    }
};


// Stage 0 with one colour for the whole span as a row shade.
FlatShade FlatShadeFor(int colourMode, int colourScale, int alphaMode, int alphaScale, const Rgba& d, int32_t da);


// A span's texel coordinates in 1/256 texel, stepped exactly (ExactSteps):
// the coordinate of pixel x0 + i is (start + step * i) >> 16, less the bias.
struct TexelSteps {
    int64_t uStart, uStep, vStart, vStep;
    int32_t bias;
};

// The texel at (fu, fv) in 1/256 texels, the base texel known to lie
// inside: the sampler's arithmetic without its range handling.
template <D3DFORMAT Format, bool Linear>
LUMIVA_HOT uint32_t TexelInside(const SurfaceView& surface, const SamplerSetup& sampler, int32_t fu, int32_t fv) {
    uint32_t texel = FetchTexel<Format>(surface, fu >> 8, fv >> 8);
    if constexpr (Linear) {
        const uint32_t fx = uint32_t(fu & 255), fy = uint32_t(fv & 255);
        if (fx | fy) {
            auto fetch = [](const SurfaceView& s, int tx, int ty) { return FetchTexel<Format>(s, tx, ty); };
            const int tx = fu >> 8, ty = fv >> 8;
            texel = BilinearMix(texel, TexelOrBorder(surface, fetch, tx + 1, ty, sampler),
                                TexelOrBorder(surface, fetch, tx, ty + 1, sampler),
                                TexelOrBorder(surface, fetch, tx + 1, ty + 1, sampler), fx, fy);
        }
    }
    return texel;
}

// A span whose pixels all take one flat shade and blend: texels gathered in
// runs, shaded and blended by the row kernels. When a pixel steps exactly one
// texel along a texel row (and linear filtering lands on texel centres, so it
// reads one texel) the run reads the texture row directly.
template <D3DFORMAT Format, bool Linear>
void TexturedRun(const RunWriter& w, const SurfaceView& surface, const SamplerSetup& sampler, TexelSteps t,
                 uint32_t* row, int x0, int x1) {
    const bool identity = w.Identity();
    uint32_t buffer[kRunPixels];
    const int32_t fu0 = int32_t(t.uStart >> 16) - t.bias, fv0 = int32_t(t.vStart >> 16) - t.bias;
    const bool oneTexelAPixel = t.uStep == (int64_t(256) << 16) && t.vStep == 0 &&
                                (!Linear || ((fu0 & 255) == 0 && (fv0 & 255) == 0));
    const uint8_t* texelRow = surface.bits + ptrdiff_t(fv0 >> 8) * surface.pitch;
    if constexpr (Format == D3DFMT_A8R8G8B8) {
        // The texture row is the source as it is: one blend for the whole run.
        const uint8_t* texels = texelRow + ptrdiff_t(fu0 >> 8) * 4;
        if (oneTexelAPixel && identity && reinterpret_cast<uintptr_t>(texels) % alignof(uint32_t) == 0) {
            w.Write(row + x0, reinterpret_cast<const uint32_t*>(texels), x1 - x0);
            return;
        }
    }
    for (int x = x0; x < x1; x += kRunPixels) {
        const int n = std::min(kRunPixels, x1 - x);
        const uint32_t* source = buffer;
        if (oneTexelAPixel) {
            const int tx = (fu0 >> 8) + (x - x0);
            if constexpr (Format == D3DFMT_A8R8G8B8) {
                const uint8_t* texels = texelRow + ptrdiff_t(tx) * 4;
                if (reinterpret_cast<uintptr_t>(texels) % alignof(uint32_t) == 0)
                    source = reinterpret_cast<const uint32_t*>(texels);
                else
                    std::memcpy(buffer, texels, size_t(n) * 4);
            } else if constexpr (Format == D3DFMT_A4R4G4B4) {
                w.kernels->decodeA4R4G4B4(buffer, texelRow + ptrdiff_t(tx) * 2, n);
            } else {
                for (int i = 0; i < n; ++i) buffer[i] = FetchTexel<Format>(surface, tx + i, fv0 >> 8);
            }
        } else {
            for (int i = 0; i < n; ++i) {
                buffer[i] = TexelInside<Format, Linear>(surface, sampler, int32_t(t.uStart >> 16) - t.bias,
                                                        int32_t(t.vStart >> 16) - t.bias);
                t.uStart += t.uStep;
                t.vStart += t.vStep;
            }
        }
        if (!identity) {
            w.Shade(buffer, source, n);
            source = buffer;
        }
        w.Write(row + x, source, n);
    }
}


// The stage as one row shade for the whole triangle, worked out at its
// first row: a diffuse colour constant over the triangle.
const SpanMemo& StageMemo(const PixelState& ps, const Gradients& g);

inline FlatShade MemoShade(const SpanMemo& memo) {
    return FlatShade{memo.shadeFactor, memo.shadeKeep, memo.shadeConstant, memo.shadeDoubled, memo.shadeQuadrupled};
}

// Whether the stepped coordinates of a run's first and last pixels both
// have their base texel inside [0, size).
inline bool StepsInside(int64_t start, int64_t step, int n, int32_t bias, uint32_t size) {
    const int64_t first = (start >> 16) - bias, last = ((start + step * (n - 1)) >> 16) - bias;
    const int64_t limit = int64_t(size) * 256;
    return first >= 0 && last >= 0 && first < limit && last < limit;
}

// The target's pixels under the next row's run, most likely the same
// columns: asked for now, so the blend there does not wait on memory.
inline void PrefetchNextRow(const SurfaceView& target, int y, int x0, int x1) {
    if (y + 1 >= int(target.height)) return;
    const uint8_t* next = target.bits + ptrdiff_t(y + 1) * target.pitch;
    for (int x = x0; x < x1; x += 16) __builtin_prefetch(next + ptrdiff_t(x) * 4, 1);
    __builtin_prefetch(next + ptrdiff_t(x1 - 1) * 4, 1);
}

inline bool StepsInside(const TexelSteps& t, int n, const SurfaceView& surface) {
    return StepsInside(t.uStart, t.uStep, n, t.bias, surface.width) &&
           StepsInside(t.vStart, t.vStep, n, t.bias, surface.height);
}

// A row's exact steps from the triangle's whole planes (what ExactSteps
// finds).
inline bool WholeRowSteps(const SpanMemo& memo, const SurfaceView& surface, int32_t bias, int y, int x0, int x1,
                          TexelSteps& t) {
    if (y < 0 || y >= 65536) return false;
    auto steps = [&](int k, double size, int64_t& start, int64_t& step) __attribute__((always_inline)) {
        const int64_t A = memo.scaledRow[k] + memo.scaledDy[k] * y;
        if (A >= int64_t(1) << 40 || A <= -(int64_t(1) << 40)) return false;
        return StepsFromScaled(A, memo.scaledDx[k], x0, x1, size, start, step);
    };
    t.bias = bias;
    return steps(0, double(surface.width), t.uStart, t.uStep) && steps(1, double(surface.height), t.vStart, t.vStep);
}

// Whether every tap wraps by a mask: both axes WRAP over power-of-two sizes.
inline bool WrapsByMask(const SamplerSetup& s, const SurfaceView& surface) {
    auto powerOfTwo = [](uint32_t v) { return v != 0 && (v & (v - 1)) == 0; };
    return s.addressU == D3DTADDRESS_WRAP && s.addressV == D3DTADDRESS_WRAP && powerOfTwo(surface.width) &&
           powerOfTwo(surface.height);
}

// TexturedRun for coordinates that leave the texture and wrap by a mask
// (tiled pictures): the sampler's taps with its addressing done by masks.
// One texel a pixel along a texture row, the row is blended in pieces that
// each end at the texture's edge.
template <D3DFORMAT Format, bool Linear>
void WrappedRun(const RunWriter& w, const SurfaceView& surface, TexelSteps t, uint32_t* row, int x0, int x1) {
    const bool identity = w.Identity();
    const int uMask = int(surface.width) - 1, vMask = int(surface.height) - 1;
    const int32_t fu0 = int32_t(t.uStart >> 16) - t.bias, fv0 = int32_t(t.vStart >> 16) - t.bias;
    if constexpr (Format == D3DFMT_A8R8G8B8) {
        const bool oneTexelAPixel = t.uStep == (int64_t(256) << 16) && t.vStep == 0 &&
                                    (!Linear || ((fu0 & 255) == 0 && (fv0 & 255) == 0));
        const uint8_t* texelRow = surface.bits + ptrdiff_t((fv0 >> 8) & vMask) * surface.pitch;
        if (oneTexelAPixel && identity && reinterpret_cast<uintptr_t>(texelRow) % alignof(uint32_t) == 0) {
            const uint32_t* texels = reinterpret_cast<const uint32_t*>(texelRow);
            for (int x = x0, tx = (fu0 >> 8) & uMask; x < x1; tx = 0) {
                const int n = std::min(x1 - x, int(surface.width) - tx);
                w.Write(row + x, texels + tx, n);
                x += n;
            }
            return;
        }
    }
    uint32_t buffer[kRunPixels];
    for (int x = x0; x < x1; x += kRunPixels) {
        const int n = std::min(kRunPixels, x1 - x);
        for (int i = 0; i < n; ++i) {
            const int32_t fu = int32_t(t.uStart >> 16) - t.bias, fv = int32_t(t.vStart >> 16) - t.bias;
            t.uStart += t.uStep;
            t.vStart += t.vStep;
            const int tx = fu >> 8, ty = fv >> 8;
            uint32_t texel = FetchTexel<Format>(surface, tx & uMask, ty & vMask);
            if constexpr (Linear) {
                const uint32_t fx = uint32_t(fu & 255), fy = uint32_t(fv & 255);
                if (fx | fy) {
                    const int tx1 = (tx + 1) & uMask, ty1 = (ty + 1) & vMask;
                    texel = BilinearMix(texel, FetchTexel<Format>(surface, tx1, ty & vMask),
                                        FetchTexel<Format>(surface, tx & uMask, ty1),
                                        FetchTexel<Format>(surface, tx1, ty1), fx, fy);
                }
            }
            buffer[i] = texel;
        }
        if (!identity) w.Shade(buffer, buffer, n);
        w.Write(row + x, buffer, n);
    }
}

// A row of a triangle whose stage is one row shade, when its coordinates
// step exactly and stay inside the texture; false leaves the row to the
// per-pixel loop.
template <D3DFORMAT Format, bool Linear, int Mode, bool XTarget>
bool TexturedRowShaded(const PixelState& ps, const Gradients& g, const SpanMemo& memo, int y, int x0, int x1) {
    const SurfaceView& surface = *ps.fastStage.surface;
    const int32_t bias = Linear ? 128 : 0;
    TexelSteps t{0, 0, 0, 0, bias};
    if (memo.wholePlanes && y >= 0 && y < 65536) {
        if (!WholeRowSteps(memo, surface, bias, y, x0, x1, t)) return false;
    } else {
        const double fy = double(y);
        const int ua = kTexcoord0, va = kTexcoord0 + 1;
        const SpanCoordinates cu{IsConstant(g, ua), g.attr[ua].Row(fy), g.attr[ua].dx, g.attr[ua].c,
                                 double(surface.width)};
        const SpanCoordinates cv{IsConstant(g, va), g.attr[va].Row(fy), g.attr[va].dx, g.attr[va].c,
                                 double(surface.height)};
        if (!cu.ExactSteps(x0, x1, t.uStart, t.uStep) || !cv.ExactSteps(x0, x1, t.vStart, t.vStep)) return false;
    }
    const SamplerSetup& sampler = ps.stages[0].sampler;
    const bool inside = StepsInside(t, x1 - x0, surface);
    if (!inside && !WrapsByMask(sampler, surface)) return false;
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    PrefetchNextRow(ps.target, y, x0, x1);
    const RunWriter w = WriterFor(ps, Mode, XTarget, MemoShade(memo));
    if (inside)
        TexturedRun<Format, Linear>(w, surface, sampler, t, row, x0, x1);
    else
        WrappedRun<Format, Linear>(w, surface, t, row, x0, x1);
    return true;
}

// Stage 0 texture with a constant diffuse colour, affine coordinates.
template <D3DFORMAT Format, bool Linear, int Mode, bool XTarget>
void TexturedSpan(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    const SpanMemo& memo = StageMemo(ps, g);
    if (memo.rowShade && TexturedRowShaded<Format, Linear, Mode, XTarget>(ps, g, memo, y, x0, x1)) return;
    const SamplerSetup& sampler = ps.stages[0].sampler;
    const SurfaceView& surface = *ps.fastStage.surface;
    const PixelState::FastStage& fs = ps.fastStage;
    const double fy = double(y);
    // A diffuse colour that changes across the triangle (a text gradient)
    // is worked out at each pixel exactly as the general span does.
    const bool flatDiffuse = IsConstant(g, kDiffuseR) && IsConstant(g, kDiffuseR + 1) &&
                             IsConstant(g, kDiffuseR + 2) && IsConstant(g, kDiffuseR + 3);
    double diffuseRows[4];
    for (int c = 0; c < 4; ++c) diffuseRows[c] = g.attr[kDiffuseR + c].Row(fy);
    auto diffuseAt = [&](int c, int x) __attribute__((always_inline)) {
        const int a = kDiffuseR + c;
        return ColorChannel(IsConstant(g, a) ? g.attr[a].c : Plane::At(diffuseRows[c], g.attr[a].dx, double(x)));
    };
    const Rgba diffuse = ConstantColor(g, kDiffuseR);
    const Rgba d = fs.colourFromFactor ? fs.factor : diffuse;
    const int32_t da = fs.alphaFromFactor ? fs.factor.a : diffuse.a;
    int colourMode = ps.fastStage.colourMode;
    const int colourScale = ps.fastStage.colourScale, alphaMode = ps.fastStage.alphaMode,
              alphaScale = ps.fastStage.alphaScale;
    // Modulating by white leaves the texel as it is.
    if (flatDiffuse && colourMode == kProduct && colourScale == 1 && d.r == 255 && d.g == 255 && d.b == 255)
        colourMode = kTextureOnly;
    const int ua = kTexcoord0, va = kTexcoord0 + 1;
    const SpanCoordinates cu{IsConstant(g, ua), g.attr[ua].Row(fy), g.attr[ua].dx, g.attr[ua].c, double(surface.width)};
    const SpanCoordinates cv{IsConstant(g, va), g.attr[va].Row(fy), g.attr[va].dx, g.attr[va].c, double(surface.height)};
    auto fetch = [](const SurfaceView& s, int tx, int ty) { return FetchTexel<Format>(s, tx, ty); };
    const int32_t bias = Linear ? 128 : 0;
    const bool inside = cu.Inside(x0, x1, bias) && cv.Inside(x0, x1, bias);
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);

    // A clear texel's pixel, shaded, has alpha 0 and under source-alpha
    // blending leaves the target's colour as it was, whatever its colour
    // channels: glyph cells and sprite corners, mostly clear, skip the stage.
    const bool clearTexelKeepsTarget = Mode == kSourceAlphaBlend && alphaMode != kDiffuseOnly;
    auto shade = [&](int x, uint32_t texel) __attribute__((always_inline)) {
        if (clearTexelKeepsTarget && (texel >> 24) == 0) return 0u;
        Rgba dx = d;
        int32_t dax = da;
        if (!flatDiffuse) {
            if (!fs.colourFromFactor) dx = Rgba{diffuseAt(0, x), diffuseAt(1, x), diffuseAt(2, x), 0};
            if (!fs.alphaFromFactor) dax = diffuseAt(3, x);
        }
        uint32_t colour;
        if (colourMode == kTextureOnly) {
            colour = texel & 0x00FFFFFFu;
        } else {
            const int32_t tr = int32_t((texel >> 16) & 255), tg = int32_t((texel >> 8) & 255), tb = int32_t(texel & 255);
            colour = uint32_t(StageChannel(colourMode, colourScale, tr, dx.r)) << 16 |
                     uint32_t(StageChannel(colourMode, colourScale, tg, dx.g)) << 8 |
                     uint32_t(StageChannel(colourMode, colourScale, tb, dx.b));
        }
        const uint32_t a = uint32_t(StageChannel(alphaMode, alphaScale, int32_t(texel >> 24), dax));
        return (a << 24) | colour;
    };
    // Pixels shaded a run at a time, then blended and alpha-tested by the
    // row kernels.
    const RunWriter writer = WriterFor(ps, Mode, XTarget, FlatShade{});
    uint32_t colours[kRunPixels];
    auto shadeRuns = [&](auto texelAt) __attribute__((always_inline)) {
        for (int x = x0; x < x1; x += kRunPixels) {
            const int n = std::min(kRunPixels, x1 - x);
            for (int i = 0; i < n; ++i) colours[i] = shade(x + i, texelAt(x + i));
            writer.Write(row + x, colours, n);
        }
    };

    auto texelInside = [&](int32_t fu, int32_t fv) __attribute__((always_inline)) {
        return TexelInside<Format, Linear>(surface, sampler, fu, fv);
    };

    int64_t uStart, uStep, vStart, vStep;
    if (inside && cu.ExactSteps(x0, x1, uStart, uStep) && cv.ExactSteps(x0, x1, vStart, vStep)) {
        // Pixels are asked for in order, so the steps advance once each.
        shadeRuns([&](int) __attribute__((always_inline)) {
            const int32_t fu = int32_t(uStart >> 16) - bias, fv = int32_t(vStart >> 16) - bias;
            uStart += uStep;
            vStart += vStep;
            return texelInside(fu, fv);
        });
        return;
    }
    if (inside) {
        shadeRuns([&](int x) __attribute__((always_inline)) {
            return texelInside(cu.AtInside(x) - bias, cv.AtInside(x) - bias);
        });
        return;
    }
    shadeRuns([&](int x) __attribute__((always_inline)) {
        const double fx = double(x);
        const double u = cu.constant ? cu.c : Plane::At(cu.row, cu.dx, fx);
        const double v = cv.constant ? cv.c : Plane::At(cv.row, cv.dx, fx);
        if constexpr (Linear) return SampleLinear(surface, fetch, u, v, sampler);
        else return SamplePoint(surface, fetch, u, v, sampler);
    });
}

// The span over the rows [y0, y1) of a rectangle. With whole planes, the
// first and last rows bound every row between (each limit the steps are
// checked against is linear in y), so the rows in between only add the
// planes' y steps; otherwise row by row.
template <D3DFORMAT Format, bool Linear, int Mode, bool XTarget>
void TexturedRectangle(const PixelState& ps, const Gradients& g, int y0, int y1, int x0, int x1) {
    const SpanMemo& memo = StageMemo(ps, g);
    const SurfaceView& surface = *ps.fastStage.surface;
    const SamplerSetup& sampler = ps.stages[0].sampler;
    const int32_t bias = Linear ? 128 : 0;
    TexelSteps t{}, last{};
    const bool stepped = memo.rowShade && memo.wholePlanes && WholeRowSteps(memo, surface, bias, y0, x0, x1, t) &&
                         WholeRowSteps(memo, surface, bias, y1 - 1, x0, x1, last);
    const bool inside = stepped && StepsInside(t, x1 - x0, surface) && StepsInside(last, x1 - x0, surface);
    if (!inside && !(stepped && WrapsByMask(sampler, surface))) {
        for (int y = y0; y < y1; ++y) TexturedSpan<Format, Linear, Mode, XTarget>(ps, g, y, x0, x1);
        return;
    }
    const int64_t uRowStep = memo.scaledDy[0] * int64_t(surface.width);
    const int64_t vRowStep = memo.scaledDy[1] * int64_t(surface.height);
    const RunWriter w = WriterFor(ps, Mode, XTarget, MemoShade(memo));
    uint8_t* row = ps.target.bits + ptrdiff_t(y0) * ps.target.pitch;
    if constexpr (Format == D3DFMT_A8R8G8B8) {
        // One texel a pixel down and across, on texel centres: the texture's
        // rows are the sources as they are.
        const int64_t texel = int64_t(256) << 16;
        const int32_t fu0 = int32_t(t.uStart >> 16) - bias, fv0 = int32_t(t.vStart >> 16) - bias;
        const uint8_t* texels = surface.bits + ptrdiff_t(fv0 >> 8) * surface.pitch + ptrdiff_t(fu0 >> 8) * 4;
        if (inside && w.Identity() && t.uStep == texel && t.vStep == 0 && uRowStep == 0 && vRowStep == texel &&
            (!Linear || ((fu0 & 255) == 0 && (fv0 & 255) == 0)) &&
            reinterpret_cast<uintptr_t>(texels) % alignof(uint32_t) == 0 && surface.pitch % 4 == 0) {
            for (int y = y0; y < y1; ++y, row += ps.target.pitch, texels += surface.pitch) {
                PrefetchNextRow(ps.target, y, x0, x1);
                w.Write(reinterpret_cast<uint32_t*>(row) + x0, reinterpret_cast<const uint32_t*>(texels), x1 - x0);
            }
            return;
        }
    }
    for (int y = y0; y < y1; ++y, row += ps.target.pitch) {
        PrefetchNextRow(ps.target, y, x0, x1);
        uint32_t* pixels = reinterpret_cast<uint32_t*>(row);
        if (inside)
            TexturedRun<Format, Linear>(w, surface, sampler, t, pixels, x0, x1);
        else
            WrappedRun<Format, Linear>(w, surface, t, pixels, x0, x1);
        t.uStart += uRowStep;
        t.vStart += vRowStep;
    }
}

template <D3DFORMAT Format, bool Linear, int Mode>
TexturedKernel TexturedFor(bool xTarget) {
    if (xTarget) return {&TexturedSpan<Format, Linear, Mode, true>, &TexturedRectangle<Format, Linear, Mode, true>};
    return {&TexturedSpan<Format, Linear, Mode, false>, &TexturedRectangle<Format, Linear, Mode, false>};
}

template <D3DFORMAT Format, bool Linear>
TexturedKernel TexturedFor(int mode, bool xTarget) {
    switch (mode) {
        case kSourceAlphaBlend: return TexturedFor<Format, Linear, kSourceAlphaBlend>(xTarget);
        case kAdditiveBlend: return TexturedFor<Format, Linear, kAdditiveBlend>(xTarget);
        case kAdditiveAlphaBlend: return TexturedFor<Format, Linear, kAdditiveAlphaBlend>(xTarget);
        case kMultiplyBlend: return TexturedFor<Format, Linear, kMultiplyBlend>(xTarget);
        default: return TexturedFor<Format, Linear, kOpaqueBlend>(xTarget);
    }
}

template <D3DFORMAT Format>
TexturedKernel TexturedFor(bool linear, int mode, bool xTarget) {
    return linear ? TexturedFor<Format, true>(mode, xTarget) : TexturedFor<Format, false>(mode, xTarget);
}

}  // namespace raster::fast
