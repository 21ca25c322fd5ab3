// Specialised spans. Each is the general span with the states of its plan
// fixed: the same plane evaluation, texel fetch, filtering, stage arithmetic
// and blend rounding, without the per-pixel state interpretation.
#include "d3d9/raster/FastSpans.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "d3d9/raster/PixelBlend.h"
#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/TexelFormats.h"

namespace raster {

namespace {

std::atomic<bool> g_fastPaths{true};

bool IsPlainArgument(uint32_t arg, uint32_t selector) { return arg == selector; }

// How stage 0 makes one channel group from texture t and diffuse d.
enum ChannelMode : int { kTextureOnly, kDiffuseOnly, kProduct };

// The colour a stage-0 operation combines the texture with: the diffuse
// colour (DIFFUSE or CURRENT) or the texture factor.
bool ColourArgument(uint32_t arg, bool& fromFactor) {
    if (arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT) {
        fromFactor = false;
        return true;
    }
    if (arg == D3DTA_TFACTOR) {
        fromFactor = true;
        return true;
    }
    return false;
}

bool ClassifyOp(uint32_t op, uint32_t arg1, uint32_t arg2, int& mode, int& scale, bool& fromFactor) {
    scale = 1;
    fromFactor = false;
    switch (op) {
        case D3DTOP_SELECTARG1:
        case D3DTOP_SELECTARG2: {
            const uint32_t arg = op == D3DTOP_SELECTARG1 ? arg1 : arg2;
            if (IsPlainArgument(arg, D3DTA_TEXTURE)) mode = kTextureOnly;
            else if (ColourArgument(arg, fromFactor)) mode = kDiffuseOnly;
            else return false;
            return true;
        }
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X:
            scale = op == D3DTOP_MODULATE ? 1 : (op == D3DTOP_MODULATE2X ? 2 : 4);
            mode = kProduct;
            return (IsPlainArgument(arg1, D3DTA_TEXTURE) && ColourArgument(arg2, fromFactor)) ||
                   (IsPlainArgument(arg2, D3DTA_TEXTURE) && ColourArgument(arg1, fromFactor));
        default: return false;
    }
}

LUMIVA_HOT int32_t StageChannel(int mode, int scale, int32_t t, int32_t d) {
    if (mode == kTextureOnly) return t;
    if (mode == kDiffuseOnly) return d;
    return scale == 1 ? MulRound(t, d) : ScaledProduct(t, d, scale);
}

inline Rgba ConstantColor(const Gradients& g, int first) {
    return Rgba{ColorChannel(g.attr[first].c), ColorChannel(g.attr[first + 1].c), ColorChannel(g.attr[first + 2].c),
                ColorChannel(g.attr[first + 3].c)};
}

// One colour for the whole span: no texture is read and the inputs are
// constant over the triangle.
template <int Mode, bool XTarget>
void ConstantSpan(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    FragmentInputs in;
    in.diffuse = ConstantColor(g, kDiffuseR);
    if (ps.needsSpecular) in.specular = ConstantColor(g, kSpecularR);
    const uint32_t colour = CombineStages(ps, in);
    if (ps.alphaTest && !CompareFunc(ps.alphaFunc, colour >> 24, uint32_t(ps.alphaRef))) return;
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    if constexpr (Mode == kOpaqueBlend) {
        const uint32_t stored = XTarget ? (colour | 0xFF000000u) : colour;
        for (int x = x0; x < x1; ++x) row[x] = stored;
    } else {
        for (int x = x0; x < x1; ++x) StorePixel<Mode, XTarget>(row + x, colour);
    }
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
        constexpr double kScale = 16777216.0;  // 2^24
        const double a = (constant ? c : row) * kScale, b = constant ? 0.0 : dx * kScale;
        if (!(std::fabs(a) < 1099511627776.0) || !(std::fabs(b) < 1073741824.0) || size > 8192.0) return false;
        if (x0 < 0 || x1 > 16384) return false;  // |B x| below 2^44
        const int64_t A = int64_t(a), B = int64_t(b);
        if (double(A) != a || double(B) != b) return false;
        // (A + B x) * size stays below 2^45 at both ends, hence between them:
        // exact in doubles, and t = that / 2^16 below 2^29, inside the clamp.
        const int64_t w = int64_t(size);
        const int64_t first = A + B * x0, last = A + B * (x1 - 1);
        const int64_t limit = (int64_t(1) << 45) / w;
        if (first >= limit || first <= -limit || last >= limit || last <= -limit) return false;
        start = first * w + 32768;
        step = B * w;
        return true;
    }
};

// Stage 0 with one colour for the whole span as a row shade; false when a
// channel is scaled (MODULATE2X, MODULATE4X), which the row shade lacks.
bool FlatShadeFor(int colourMode, int colourScale, int alphaMode, int alphaScale, const Rgba& d, int32_t da,
                  FlatShade& out) {
    out = FlatShade{};
    auto channel = [&](int mode, int scale, int shift, int32_t value) {
        const uint32_t bits = 0xFFu << shift;
        if (mode == kDiffuseOnly) {
            out.keep &= ~bits;
            out.constant |= uint32_t(value) << shift;
        } else if (mode == kProduct) {
            if (scale != 1) return false;
            out.factor = (out.factor & ~bits) | (uint32_t(value) << shift);
        }
        return true;
    };
    return channel(colourMode, colourScale, 16, d.r) && channel(colourMode, colourScale, 8, d.g) &&
           channel(colourMode, colourScale, 0, d.b) && channel(alphaMode, alphaScale, 24, da);
}

bool IsIdentity(const FlatShade& s) { return s.factor == 0xFFFFFFFFu && s.keep == 0xFFFFFFFFu; }

// A span's texel coordinates in 1/256 texel, stepped exactly (ExactSteps):
// the coordinate of pixel x0 + i is (start + step * i) >> 16, less the bias.
struct TexelSteps {
    int64_t uStart, uStep, vStart, vStep;
    int32_t bias;
};

// Pixels a run shades at once on the stack.
constexpr int kRunPixels = 64;

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
void TexturedRun(BlendRowFn blend, const FlatShade& shade, const SurfaceView& surface, const SamplerSetup& sampler,
                 TexelSteps t, uint32_t* row, int x0, int x1) {
    const RowKernels& kernels = ActiveRowKernels();
    const bool identity = IsIdentity(shade);
    uint32_t buffer[kRunPixels];
    const int32_t fu0 = int32_t(t.uStart >> 16) - t.bias, fv0 = int32_t(t.vStart >> 16) - t.bias;
    const bool oneTexelAPixel = t.uStep == (int64_t(256) << 16) && t.vStep == 0 &&
                                (!Linear || ((fu0 & 255) == 0 && (fv0 & 255) == 0));
    const uint8_t* texelRow = surface.bits + ptrdiff_t(fv0 >> 8) * surface.pitch;
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
                kernels.decodeA4R4G4B4(buffer, texelRow + ptrdiff_t(tx) * 2, n);
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
            kernels.shade(buffer, source, n, shade);
            source = buffer;
        }
        blend(row + x, source, n);
    }
}

// The stage as one row shade for the whole triangle, worked out at its
// first row: a diffuse colour constant over the triangle, no alpha test, no
// scaled product.
const SpanMemo& StageMemo(const PixelState& ps, const Gradients& g) {
    SpanMemo& m = g.memo;
    if (m.ready) return m;
    m.ready = true;
    const PixelState::FastStage& fs = ps.fastStage;
    const uint32_t diffuseBits = 0xFu << kDiffuseR;
    if ((g.constantMask & diffuseBits) != diffuseBits || ps.alphaTest) return m;
    const Rgba diffuse = ConstantColor(g, kDiffuseR);
    const Rgba d = fs.colourFromFactor ? fs.factor : diffuse;
    const int32_t da = fs.alphaFromFactor ? fs.factor.a : diffuse.a;
    FlatShade shade;
    m.rowShade = FlatShadeFor(fs.colourMode, fs.colourScale, fs.alphaMode, fs.alphaScale, d, da, shade);
    m.shadeFactor = shade.factor;
    m.shadeKeep = shade.keep;
    m.shadeConstant = shade.constant;
    return m;
}

// Whether the stepped coordinates of a run's first and last pixels both
// have their base texel inside [0, size).
bool StepsInside(int64_t start, int64_t step, int n, int32_t bias, uint32_t size) {
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

// A row of a triangle whose stage is one row shade, when its coordinates
// step exactly and stay inside the texture; false leaves the row to the
// per-pixel loop.
template <D3DFORMAT Format, bool Linear, int Mode, bool XTarget>
bool TexturedRowShaded(const PixelState& ps, const Gradients& g, const SpanMemo& memo, int y, int x0, int x1) {
    const SurfaceView& surface = *ps.fastStage.surface;
    const double fy = double(y);
    const int ua = kTexcoord0, va = kTexcoord0 + 1;
    const SpanCoordinates cu{IsConstant(g, ua), g.attr[ua].Row(fy), g.attr[ua].dx, g.attr[ua].c, double(surface.width)};
    const SpanCoordinates cv{IsConstant(g, va), g.attr[va].Row(fy), g.attr[va].dx, g.attr[va].c, double(surface.height)};
    const int32_t bias = Linear ? 128 : 0;
    TexelSteps t{0, 0, 0, 0, bias};
    if (!cu.ExactSteps(x0, x1, t.uStart, t.uStep) || !cv.ExactSteps(x0, x1, t.vStart, t.vStep)) return false;
    if (!StepsInside(t.uStart, t.uStep, x1 - x0, bias, surface.width) ||
        !StepsInside(t.vStart, t.vStep, x1 - x0, bias, surface.height))
        return false;
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    PrefetchNextRow(ps.target, y, x0, x1);
    const FlatShade shade{memo.shadeFactor, memo.shadeKeep, memo.shadeConstant};
    TexturedRun<Format, Linear>(ActiveRowKernels().blend[Mode][XTarget], shade, surface, ps.stages[0].sampler, t, row,
                                x0, x1);
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

    // A clear texel leaves the target as it was under source-alpha blending
    // (glyph cells and sprite corners are mostly clear): only the alpha test
    // and an X target's padding byte can still change anything.
    const bool clearTexelKeepsTarget = Mode == kSourceAlphaBlend && alphaMode != kDiffuseOnly;
    auto shadeAndStore = [&](int x, uint32_t texel) __attribute__((always_inline)) {
        if (clearTexelKeepsTarget && (texel >> 24) == 0) {
            if (ps.alphaTest && !CompareFunc(ps.alphaFunc, 0, uint32_t(ps.alphaRef))) return;
            if constexpr (XTarget) row[x] |= 0xFF000000u;
            return;
        }
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
        if (ps.alphaTest && !CompareFunc(ps.alphaFunc, a, uint32_t(ps.alphaRef))) return;
        StorePixel<Mode, XTarget>(row + x, (a << 24) | colour);
    };

    auto texelInside = [&](int32_t fu, int32_t fv) __attribute__((always_inline)) {
        return TexelInside<Format, Linear>(surface, sampler, fu, fv);
    };

    int64_t uStart, uStep, vStart, vStep;
    if (inside && cu.ExactSteps(x0, x1, uStart, uStep) && cv.ExactSteps(x0, x1, vStart, vStep)) {
        for (int x = x0; x < x1; ++x) {
            const int32_t fu = int32_t(uStart >> 16) - bias, fv = int32_t(vStart >> 16) - bias;
            uStart += uStep;
            vStart += vStep;
            shadeAndStore(x, texelInside(fu, fv));
        }
        return;
    }
    if (inside) {
        for (int x = x0; x < x1; ++x) {
            shadeAndStore(x, texelInside(cu.AtInside(x) - bias, cv.AtInside(x) - bias));
        }
        return;
    }
    for (int x = x0; x < x1; ++x) {
        const double fx = double(x);
        const double u = cu.constant ? cu.c : Plane::At(cu.row, cu.dx, fx);
        const double v = cv.constant ? cv.c : Plane::At(cv.row, cv.dx, fx);
        uint32_t texel;
        if constexpr (Linear) texel = SampleLinear(surface, fetch, u, v, sampler);
        else texel = SamplePoint(surface, fetch, u, v, sampler);
        shadeAndStore(x, texel);
    }
}

// Depth as the format keeps it, the format fixed at compile time; UNKNOWN
// stands for no depth test.
template <D3DFORMAT Depth>
struct DepthAccess {
    static constexpr bool kTested = Depth != D3DFMT_UNKNOWN;
    static constexpr int kBytes = Depth == D3DFMT_D16 ? 2 : 4;
    static uint32_t Quantize(double z) { return QuantizeDepth(Depth, z); }
    static uint32_t Read(const uint8_t* p) { return ReadDepth(Depth, p); }
    static void Write(uint8_t* p, uint32_t depth) { WriteDepth(Depth, p, depth); }
};

// Stage 0 texture in the scene: perspective, Gouraud diffuse and the depth
// test allowed, decided per pixel as the general span decides them.
template <D3DFORMAT Format, bool Linear, D3DFORMAT Depth>
void SceneTexturedSpan(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    using Z = DepthAccess<Depth>;
    const SamplerSetup& sampler = ps.stages[0].sampler;
    const SurfaceView& surface = *ps.fastStage.surface;
    const PixelState::FastStage& fs = ps.fastStage;
    auto fetch = [](const SurfaceView& s, int tx, int ty) { return FetchTexel<Format>(s, tx, ty); };
    const double fy = double(y);
    double rows[kTexcoord0 + 2];
    for (int a = kDiffuseR; a < kDiffuseR + 4; ++a) rows[a] = g.attr[a].Row(fy);
    for (int a = kTexcoord0; a < kTexcoord0 + 2; ++a) rows[a] = g.attr[a].Row(fy);
    const double zRow = g.z.Row(fy), qRow = g.q.Row(fy);
    const bool xTarget = ps.target.format == D3DFMT_X8R8G8B8;
    const int blendMode = fs.blendMode;
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    uint8_t* depthRow = Z::kTested ? ps.depth.bits + ptrdiff_t(y) * ps.depth.pitch : nullptr;
    const bool depthWrite = Z::kTested && ps.depthWrite;
    const bool perspective = g.perspective;
    auto attribute = [&](int a, double fx, double w) __attribute__((always_inline)) {
        if (IsConstant(g, a)) return g.attr[a].c;
        const double v = Plane::At(rows[a], g.attr[a].dx, fx);
        return perspective ? v * w : v;
    };

    for (int x = x0; x < x1; ++x) {
        const double fx = double(x);
        uint8_t* depthPixel = nullptr;
        uint32_t depth = 0;
        if constexpr (Z::kTested) {
            depthPixel = depthRow + x * Z::kBytes;
            depth = Z::Quantize(Plane::At(zRow, g.z.dx, fx));
            if (!CompareFunc(ps.depthFunc, depth, Z::Read(depthPixel))) continue;
        }
        const double w = perspective ? 1.0 / Plane::At(qRow, g.q.dx, fx) : 1.0;
        const int32_t dr = fs.colourFromFactor ? fs.factor.r : ColorChannel(attribute(kDiffuseR, fx, w));
        const int32_t dg = fs.colourFromFactor ? fs.factor.g : ColorChannel(attribute(kDiffuseR + 1, fx, w));
        const int32_t db = fs.colourFromFactor ? fs.factor.b : ColorChannel(attribute(kDiffuseR + 2, fx, w));
        const int32_t da = fs.alphaFromFactor ? fs.factor.a : ColorChannel(attribute(kDiffuseR + 3, fx, w));
        const double u = attribute(kTexcoord0, fx, w), v = attribute(kTexcoord0 + 1, fx, w);
        uint32_t texel;
        if constexpr (Linear) texel = SampleLinear(surface, fetch, u, v, sampler);
        else texel = SamplePoint(surface, fetch, u, v, sampler);
        const uint32_t r = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t((texel >> 16) & 255), dr));
        const uint32_t gg = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t((texel >> 8) & 255), dg));
        const uint32_t b = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t(texel & 255), db));
        const uint32_t a = uint32_t(StageChannel(fs.alphaMode, fs.alphaScale, int32_t(texel >> 24), da));
        if (ps.alphaTest && !CompareFunc(ps.alphaFunc, a, uint32_t(ps.alphaRef))) continue;
        if (depthWrite) Z::Write(depthPixel, depth);
        uint32_t colour = (a << 24) | (r << 16) | (gg << 8) | b;
        if (blendMode != kOpaqueBlend) colour = BlendWithMode(blendMode, colour, xTarget ? (row[x] | 0xFF000000u) : row[x]);
        row[x] = xTarget ? (colour | 0xFF000000u) : colour;
    }
}

template <D3DFORMAT Format, D3DFORMAT Depth>
SpanFn SceneFor(bool linear) {
    return linear ? &SceneTexturedSpan<Format, true, Depth> : &SceneTexturedSpan<Format, false, Depth>;
}

// Null for a depth format without its own span.
template <D3DFORMAT Format>
SpanFn SceneFor(bool linear, bool depthTest, D3DFORMAT depth) {
    if (!depthTest) return SceneFor<Format, D3DFMT_UNKNOWN>(linear);
    switch (depth) {
        case D3DFMT_D16: return SceneFor<Format, D3DFMT_D16>(linear);
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4: return SceneFor<Format, D3DFMT_D24X8>(linear);  // one layout
        case D3DFMT_D32: return SceneFor<Format, D3DFMT_D32>(linear);
        default: return nullptr;
    }
}

SpanFn SceneSpanFor(D3DFORMAT format, bool linear, bool depthTest, D3DFORMAT depth) {
    switch (format) {
        case D3DFMT_A8R8G8B8: return SceneFor<D3DFMT_A8R8G8B8>(linear, depthTest, depth);
        case D3DFMT_X8R8G8B8: return SceneFor<D3DFMT_X8R8G8B8>(linear, depthTest, depth);
        case D3DFMT_A4R4G4B4: return SceneFor<D3DFMT_A4R4G4B4>(linear, depthTest, depth);
        case D3DFMT_R5G6B5: return SceneFor<D3DFMT_R5G6B5>(linear, depthTest, depth);
        case D3DFMT_X1R5G5B5: return SceneFor<D3DFMT_X1R5G5B5>(linear, depthTest, depth);
        case D3DFMT_A1R5G5B5: return SceneFor<D3DFMT_A1R5G5B5>(linear, depthTest, depth);
        case D3DFMT_DXT1: return SceneFor<D3DFMT_DXT1>(linear, depthTest, depth);
        case D3DFMT_DXT5: return SceneFor<D3DFMT_DXT5>(linear, depthTest, depth);
        default: return nullptr;
    }
}

template <D3DFORMAT Format, bool Linear, int Mode>
SpanFn TexturedFor(bool xTarget) {
    return xTarget ? &TexturedSpan<Format, Linear, Mode, true> : &TexturedSpan<Format, Linear, Mode, false>;
}

template <D3DFORMAT Format, bool Linear>
SpanFn TexturedFor(int mode, bool xTarget) {
    switch (mode) {
        case kSourceAlphaBlend: return TexturedFor<Format, Linear, kSourceAlphaBlend>(xTarget);
        case kAdditiveBlend: return TexturedFor<Format, Linear, kAdditiveBlend>(xTarget);
        case kAdditiveAlphaBlend: return TexturedFor<Format, Linear, kAdditiveAlphaBlend>(xTarget);
        case kMultiplyBlend: return TexturedFor<Format, Linear, kMultiplyBlend>(xTarget);
        default: return TexturedFor<Format, Linear, kOpaqueBlend>(xTarget);
    }
}

template <D3DFORMAT Format>
SpanFn TexturedFor(bool linear, int mode, bool xTarget) {
    return linear ? TexturedFor<Format, true>(mode, xTarget) : TexturedFor<Format, false>(mode, xTarget);
}

SpanFn TexturedSpanFor(D3DFORMAT format, bool linear, int mode, bool xTarget) {
    switch (format) {
        case D3DFMT_A8R8G8B8: return TexturedFor<D3DFMT_A8R8G8B8>(linear, mode, xTarget);
        case D3DFMT_X8R8G8B8: return TexturedFor<D3DFMT_X8R8G8B8>(linear, mode, xTarget);
        case D3DFMT_A4R4G4B4: return TexturedFor<D3DFMT_A4R4G4B4>(linear, mode, xTarget);
        case D3DFMT_R5G6B5: return TexturedFor<D3DFMT_R5G6B5>(linear, mode, xTarget);
        case D3DFMT_X1R5G5B5: return TexturedFor<D3DFMT_X1R5G5B5>(linear, mode, xTarget);
        case D3DFMT_A1R5G5B5: return TexturedFor<D3DFMT_A1R5G5B5>(linear, mode, xTarget);
        case D3DFMT_DXT1: return TexturedFor<D3DFMT_DXT1>(linear, mode, xTarget);
        case D3DFMT_DXT5: return TexturedFor<D3DFMT_DXT5>(linear, mode, xTarget);
        default: return nullptr;
    }
}

template <int Mode>
SpanFn ConstantFor(bool xTarget) {
    return xTarget ? &ConstantSpan<Mode, true> : &ConstantSpan<Mode, false>;
}

SpanFn ConstantSpanFor(int mode, bool xTarget) {
    switch (mode) {
        case kSourceAlphaBlend: return ConstantFor<kSourceAlphaBlend>(xTarget);
        case kAdditiveBlend: return ConstantFor<kAdditiveBlend>(xTarget);
        case kAdditiveAlphaBlend: return ConstantFor<kAdditiveAlphaBlend>(xTarget);
        case kMultiplyBlend: return ConstantFor<kMultiplyBlend>(xTarget);
        default: return ConstantFor<kOpaqueBlend>(xTarget);
    }
}

// POINT or LINEAR (ANISOTROPIC samples as LINEAR); NONE and others go the
// general way.
bool IsFastFilter(uint32_t filter, bool& linear) {
    linear = filter == D3DTEXF_LINEAR || filter == D3DTEXF_ANISOTROPIC;
    return linear || filter == D3DTEXF_POINT;
}

// The blend as one of the fast modes; kOpaqueBlend when it is none of them.
int FastBlendMode(const PixelState& ps) {
    if (ps.blendOp != D3DBLENDOP_ADD) return kOpaqueBlend;
    const uint32_t src = ps.srcBlend, dst = ps.destBlend;
    if ((src == D3DBLEND_SRCALPHA && dst == D3DBLEND_INVSRCALPHA) || src == D3DBLEND_BOTHSRCALPHA)
        return kSourceAlphaBlend;
    if (src == D3DBLEND_ONE && dst == D3DBLEND_ONE) return kAdditiveBlend;
    if (src == D3DBLEND_SRCALPHA && dst == D3DBLEND_ONE) return kAdditiveAlphaBlend;
    if ((src == D3DBLEND_ZERO && dst == D3DBLEND_SRCCOLOR) || (src == D3DBLEND_DESTCOLOR && dst == D3DBLEND_ZERO))
        return kMultiplyBlend;
    return kOpaqueBlend;
}

bool AnyStageSamples(const PixelState& ps) {
    for (int s = 0; s < ps.stageCount; ++s)
        if (ps.stages[s].readsTexture && ps.stages[s].hasTexture) return true;
    return false;
}

}  // namespace

void SetFastPathsEnabled(bool enabled) { g_fastPaths.store(enabled, std::memory_order_relaxed); }
bool FastPathsEnabled() { return g_fastPaths.load(std::memory_order_relaxed); }

FastPathPlan PlanFastPath(PixelState& ps) {
    FastPathPlan plan;
    if (!FastPathsEnabled()) return plan;
    const D3DFORMAT target = ps.target.format;
    if (target != D3DFMT_A8R8G8B8 && target != D3DFMT_X8R8G8B8) return plan;
    if (ps.stencil || ps.colorWriteMask != 0xF || ps.specularAdd) return plan;
    if (ps.blend) {
        plan.blendMode = FastBlendMode(ps);
        if (plan.blendMode == kOpaqueBlend) return plan;
    }
    const bool xTarget = target == D3DFMT_X8R8G8B8;
    if (!AnyStageSamples(ps)) {
        if (ps.depthTest) return plan;
        plan.kind = FastKind::kConstant;
        plan.constantSpan = ConstantSpanFor(plan.blendMode, xTarget);
        return plan;
    }
    if (ps.stageCount != 1) return plan;
    const StageSetup& st = ps.stages[0];
    if (st.resultToTemp) return plan;
    if (st.sampler.needsLod && !LodPicksFilterOnly(st.sampler)) return plan;
    PixelState::FastStage fs;
    if (!ClassifyOp(st.colorOp, st.colorArg1, st.colorArg2, fs.colourMode, fs.colourScale, fs.colourFromFactor))
        return plan;
    if (st.alphaOp == D3DTOP_DISABLE) {
        fs.alphaMode = kDiffuseOnly;  // alpha passes CURRENT, the diffuse on stage 0
    } else if (!ClassifyOp(st.alphaOp, st.alphaArg1, st.alphaArg2, fs.alphaMode, fs.alphaScale, fs.alphaFromFactor)) {
        return plan;
    }
    fs.factor = Unpack(ps.textureFactor);
    fs.blendMode = plan.blendMode;
    bool magLinear, minLinear;
    if (!IsFastFilter(st.sampler.magFilter, magLinear) || !IsFastFilter(st.sampler.minFilter, minLinear)) return plan;
    plan.filterPerTriangle = st.sampler.needsLod;
    plan.magLinear = magLinear;
    plan.minLinear = plan.filterPerTriangle ? minLinear : magLinear;
    const int level = std::min(st.sampler.baseLevel, int(st.sampler.texture->levelCount) - 1);
    fs.surface = &st.sampler.texture->levels[level];
    ps.fastStage = fs;
    const D3DFORMAT format = st.sampler.texture->levels[level].format;
    for (int linear = 0; linear < 2; ++linear) {
        plan.sceneSpan[linear] = SceneSpanFor(format, linear, ps.depthTest, ps.depth.format);
        if (!ps.depthTest) plan.texturedSpan[linear] = TexturedSpanFor(format, linear, plan.blendMode, xTarget);
    }
    if (plan.sceneSpan[0]) plan.kind = FastKind::kTextured;
    return plan;
}

SpanFn SelectSpan(const RasterContext& ctx, const Gradients& g) {
    const FastPathPlan* plan = ctx.fast;
    if (!plan || plan->kind == FastKind::kNone) return &ShadeSpanGeneral;
    const uint32_t diffuseBits = 0xFu << kDiffuseR, specularBits = 0xFu << kSpecularR;
    const bool flatDiffuse = (g.constantMask & diffuseBits) == diffuseBits;
    if (plan->kind == FastKind::kConstant) {
        const bool flatSpecular = !ctx.pixels->needsSpecular || (g.constantMask & specularBits) == specularBits;
        if (!flatDiffuse || !flatSpecular) return &ShadeSpanGeneral;
        return plan->constantSpan;
    }
    bool linear = plan->magLinear;
    if (plan->filterPerTriangle) {
        // The general span's per-pixel choice, made once: the derivatives of
        // an affine triangle are the same at every pixel.
        if (g.perspective) return &ShadeSpanGeneral;
        const int ua = kTexcoord0, va = kTexcoord0 + 1;
        const TexelDerivatives d{IsConstant(g, ua) ? 0.0 : g.attr[ua].dx, IsConstant(g, va) ? 0.0 : g.attr[va].dx,
                                 IsConstant(g, ua) ? 0.0 : g.attr[ua].dy, IsConstant(g, va) ? 0.0 : g.attr[va].dy};
        linear = SamplerLod(ctx.pixels->stages[0].sampler, d) <= 0.0 ? plan->magLinear : plan->minLinear;
    }
    if (plan->texturedSpan[linear] && !g.perspective) return plan->texturedSpan[linear];
    return plan->sceneSpan[linear];
}

}  // namespace raster
