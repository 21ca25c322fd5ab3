#include "d3d9/raster/SceneRun.h"

#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/TexelFormats.h"
#include "d3d9/raster/TextureSampler.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace raster::fast {

namespace {

RowLine LineOf(const Gradients& g, int a, double fy) {
    if (IsConstant(g, a)) return RowLine{g.attr[a].c, 0.0, false};
    return RowLine{g.attr[a].Row(fy), g.attr[a].dx, g.perspective};
}

bool WideDepth(D3DFORMAT depth) { return depth == D3DFMT_D32; }  // past int32: converted one by one

#if defined(__SSE2__)

using D2 = __m128d;

D2 Splat(double v) { return _mm_set1_pd(v); }
void StorePair(int32_t* out, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(out), v); }

// The low 32 bits of each 64-bit lane mask, as two int32 lanes.
__m128i LaneMask(D2 mask) { return _mm_shuffle_epi32(_mm_castpd_si128(mask), _MM_SHUFFLE(2, 0, 2, 0)); }

// ColorChannel: NaN and v <= 0 give 0, v >= 255 gives 255, else
// trunc(v + 0.5). maxpd keeps its second operand for NaN.
__m128i ColorChannels(D2 v) {
    const D2 clamped = _mm_min_pd(_mm_max_pd(v, _mm_setzero_pd()), Splat(255.0));
    return _mm_cvttpd_epi32(_mm_add_pd(clamped, Splat(0.5)));
}

// TexelFixed: clamped to +-2^30 (NaN to -2^30), then the floor.
__m128i TexelFixeds(D2 coord) {
    D2 t = _mm_add_pd(_mm_mul_pd(coord, Splat(256.0)), Splat(0.5));
    t = _mm_min_pd(_mm_max_pd(t, Splat(-1073741824.0)), Splat(1073741824.0));
    const __m128i i = _mm_cvttpd_epi32(t);
    return _mm_add_epi32(i, LaneMask(_mm_cmpgt_pd(_mm_cvtepi32_pd(i), t)));  // one down where truncation rose
}

// QuantizeDepth for scales below 2^31: NaN and z <= 0 give 0, z >= 1 the
// scale, else trunc(z * scale + 0.5).
__m128i Depths(D2 z, double scale) {
    const D2 clamped = _mm_min_pd(_mm_max_pd(z, _mm_setzero_pd()), Splat(1.0));
    return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(clamped, Splat(scale)), Splat(0.5)));
}

D2 LineAt(const RowLine& l, D2 fx, D2 w) {
    const D2 value = _mm_add_pd(Splat(l.row), _mm_mul_pd(Splat(l.dx), fx));
    return l.divided ? _mm_mul_pd(value, w) : value;
}

#endif

}  // namespace

SceneRunSetup SceneRunFor(const Gradients& g, double fy) {
    SceneRunSetup s;
    for (int c = 0; c < 4; ++c) s.colour[c] = LineOf(g, kDiffuseR + c, fy);
    s.u = LineOf(g, kTexcoord0, fy);
    s.v = LineOf(g, kTexcoord0 + 1, fy);
    s.zRow = g.z.Row(fy);
    s.zdx = g.z.dx;
    s.qRow = g.q.Row(fy);
    s.qdx = g.q.dx;
    s.perspective = g.perspective;
    return s;
}

void ComputeSceneRun(const SceneRunSetup& s, int start, int n, SceneRun& out) {
    const bool depth = s.depth != D3DFMT_UNKNOWN, texels = s.width > 0;
#if defined(__SSE2__)
    const double depthScale = double(DepthMax(s.depth));
    for (int i = 0; i < n; i += 2) {
        const D2 fx = _mm_set_pd(double(start + i + 1), double(start + i));
        const D2 w = s.perspective ? _mm_div_pd(Splat(1.0), _mm_add_pd(Splat(s.qRow), _mm_mul_pd(Splat(s.qdx), fx)))
                                   : Splat(1.0);
        _mm_storeu_pd(out.w + i, w);
        if (depth) {
            const D2 z = _mm_add_pd(Splat(s.zRow), _mm_mul_pd(Splat(s.zdx), fx));
            if (WideDepth(s.depth)) {
                double zs[2];
                _mm_storeu_pd(zs, z);
                out.depth[i] = QuantizeDepth(s.depth, zs[0]);
                out.depth[i + 1] = QuantizeDepth(s.depth, zs[1]);
            } else {
                StorePair(reinterpret_cast<int32_t*>(out.depth + i), Depths(z, depthScale));
            }
        }
        for (int c = 0; c < 4; ++c) {
            if (c < 3 ? !s.colourVaries : !s.alphaVaries) continue;
            StorePair(out.colour[c] + i, ColorChannels(LineAt(s.colour[c], fx, w)));
        }
        const D2 u = LineAt(s.u, fx, w), v = LineAt(s.v, fx, w);
        _mm_storeu_pd(out.u + i, u);
        _mm_storeu_pd(out.v + i, v);
        if (texels) {
            const __m128i bias = _mm_set1_epi32(s.bias);
            StorePair(out.fu + i, _mm_sub_epi32(TexelFixeds(_mm_mul_pd(u, Splat(s.width))), bias));
            StorePair(out.fv + i, _mm_sub_epi32(TexelFixeds(_mm_mul_pd(v, Splat(s.height))), bias));
        }
    }
#else
    auto at = [](const RowLine& l, double fx, double w) {
        const double value = Plane::At(l.row, l.dx, fx);
        return l.divided ? value * w : value;
    };
    for (int i = 0; i < n; ++i) {
        const double fx = double(start + i);
        const double w = s.perspective ? 1.0 / Plane::At(s.qRow, s.qdx, fx) : 1.0;
        out.w[i] = w;
        if (depth) out.depth[i] = QuantizeDepth(s.depth, Plane::At(s.zRow, s.zdx, fx));
        for (int c = 0; c < 4; ++c)
            if (c < 3 ? s.colourVaries : s.alphaVaries) out.colour[c][i] = ColorChannel(at(s.colour[c], fx, w));
        out.u[i] = at(s.u, fx, w);
        out.v[i] = at(s.v, fx, w);
        if (texels) {
            out.fu[i] = TexelFixed(out.u[i] * s.width) - s.bias;
            out.fv[i] = TexelFixed(out.v[i] * s.height) - s.bias;
        }
    }
#endif
}

}  // namespace raster::fast
