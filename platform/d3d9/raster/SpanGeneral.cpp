// The interpreted span: every state the pixel state can hold, pixel by pixel.
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/TexelFormats.h"

namespace raster {

namespace {

struct RowPlanes {
    double attr[kAttributeCount];
    double z, q;
};

void MergeColorWrite(const PixelState& ps, uint8_t* pixel, uint32_t colour) {
    if (ps.colorWriteMask != 0xF) {
        const uint32_t old = ReadPixel(ps.target.format, pixel);
        uint32_t keep = 0;
        if (!(ps.colorWriteMask & 1)) keep |= 0x00FF0000u;
        if (!(ps.colorWriteMask & 2)) keep |= 0x0000FF00u;
        if (!(ps.colorWriteMask & 4)) keep |= 0x000000FFu;
        if (!(ps.colorWriteMask & 8)) keep |= 0xFF000000u;
        colour = (colour & ~keep) | (old & keep);
    }
    WritePixel(ps.target.format, pixel, colour);
}

Rgba ColorAt(const Gradients& g, const RowPlanes& rows, int first, double x, double w) {
    double v[4];
    for (int c = 0; c < 4; ++c) {
        const int a = first + c;
        if (IsConstant(g, a)) v[c] = g.attr[a].c;
        else {
            v[c] = Plane::At(rows.attr[a], g.attr[a].dx, x);
            if (g.perspective) v[c] *= w;
        }
    }
    return Rgba{ColorChannel(v[0]), ColorChannel(v[1]), ColorChannel(v[2]), ColorChannel(v[3])};
}

bool AnyStageNeedsLod(const PixelState& ps) {
    for (int s = 0; s < ps.stageCount; ++s)
        if (ps.stages[s].readsTexture && ps.stages[s].hasTexture && ps.stages[s].sampler.needsLod) return true;
    return false;
}

}  // namespace

void ShadeSpanGeneral(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    const double fy = double(y);
    RowPlanes rows;
    for (int a = 0; a < kAttributeCount; ++a) rows.attr[a] = g.attr[a].Row(fy);
    rows.z = g.z.Row(fy);
    rows.q = g.q.Row(fy);
    const bool needLod = AnyStageNeedsLod(ps);
    const int bpp = BytesPerPixel(ps.target.format);
    uint8_t* targetRow = ps.target.bits + ptrdiff_t(y) * ps.target.pitch;
    const bool useDepth = ps.depthTest;  // only with a depth surface
    const int depthBpp = BytesPerPixel(ps.depth.format);
    uint8_t* depthRow = ps.depth.bits ? ps.depth.bits + ptrdiff_t(y) * ps.depth.pitch : nullptr;

    for (int x = x0; x < x1; ++x) {
        const double fx = double(x);
        uint8_t* depthPixel = depthRow ? depthRow + x * depthBpp : nullptr;
        uint32_t depth = 0;
        if (useDepth) {
            depth = QuantizeDepth(ps.depth.format, Plane::At(rows.z, g.z.dx, fx));
            // Without stencil a failing depth test discards the pixel before shading.
            if (!ps.stencil && !CompareFunc(ps.depthFunc, depth, ReadDepth(ps.depth.format, depthPixel))) continue;
        }
        const double w = g.perspective ? 1.0 / Plane::At(rows.q, g.q.dx, fx) : 1.0;

        FragmentInputs in;
        in.diffuse = ColorAt(g, rows, kDiffuseR, fx, w);
        in.specular = ColorAt(g, rows, kSpecularR, fx, w);
        for (int set = 0; set < kMaxStages; ++set) {
            const int ua = kTexcoord0 + 2 * set, va = ua + 1;
            if (!((ps.attributeMask >> ua) & 1u)) continue;
            const double uRow = Plane::At(rows.attr[ua], g.attr[ua].dx, fx);
            const double vRow = Plane::At(rows.attr[va], g.attr[va].dx, fx);
            in.u[set] = IsConstant(g, ua) ? g.attr[ua].c : (g.perspective ? uRow * w : uRow);
            in.v[set] = IsConstant(g, va) ? g.attr[va].c : (g.perspective ? vRow * w : vRow);
            if (needLod) {
                // d(A/Q) = (dA - (A/Q) dQ) / Q with Q = 1 / w; constants do not change.
                auto slope = [&](int a, double value, double dA, double dQ) {
                    if (IsConstant(g, a)) return 0.0;
                    return g.perspective ? (dA - value * dQ) * w : dA;
                };
                TexelDerivatives& d = in.derivatives[set];
                d.dudx = slope(ua, in.u[set], g.attr[ua].dx, g.q.dx);
                d.dudy = slope(ua, in.u[set], g.attr[ua].dy, g.q.dy);
                d.dvdx = slope(va, in.v[set], g.attr[va].dx, g.q.dx);
                d.dvdy = slope(va, in.v[set], g.attr[va].dy, g.q.dy);
            }
        }

        uint32_t colour = CombineStages(ps, in);
        if (ps.alphaTest && !CompareFunc(ps.alphaFunc, colour >> 24, uint32_t(ps.alphaRef))) continue;
        if (ps.stencil) {
            if (!StencilAndDepth(ps, depthPixel, depth)) continue;
        } else if (useDepth && ps.depthWrite) {
            WriteDepth(ps.depth.format, depthPixel, depth);
        }
        uint8_t* pixel = targetRow + x * bpp;
        if (ps.blend) colour = BlendPixel(ps, colour, ReadPixel(ps.target.format, pixel));
        MergeColorWrite(ps, pixel, colour);
    }
}

}  // namespace raster
