// Which columns and rows an axis-aligned quad covers when its edges lie on
// pixel centres, on half pixels or in between: a centre on the left or top
// edge is inside, one on the right or bottom edge is not. Every span the
// rasterizer can pick must cover the same pixels.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "RasterTestKit.h"
#include "d3d9/raster/PixelState.h"

namespace rastertest::quad_edge_test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kGrey = 0xFF808080u;
constexpr int kSize = 24;

struct EdgeCase {
    const char* name;
    float from, to;   // the quad's edges, on both axes
    int first, last;  // the pixels expected, inclusive
};

const EdgeCase kEdgeCases[] = {
    {"edges on pixel centres", 10.0f, 18.0f, 10, 17},
    {"shifted half a pixel up and left", 9.5f, 17.5f, 10, 17},
    {"grown half a pixel on every side", 9.5f, 18.5f, 10, 18},
    {"shifted half a pixel down and right", 10.5f, 18.5f, 11, 18},
    {"right edge a quarter past a centre", 10.0f, 18.25f, 10, 18},
    {"left edge a quarter short of a centre", 9.75f, 18.0f, 10, 17},
    {"one pixel on its centres", 10.0f, 11.0f, 10, 10},
    {"one pixel on half pixels", 9.5f, 10.5f, 10, 10},
};

// The spans the rasterizer chooses between.
enum class Span { kGeneral, kConstant, kTextured, kScene };

struct PathCase {
    const char* name;
    Span span;
    bool textured, linear, blend, gouraud;
    bool depthTest = false;  // the scene span is the one that tests depth
};

const PathCase kPaths[] = {
    {"general, untextured", Span::kGeneral, false, false, false, false},
    {"general, textured", Span::kGeneral, true, true, true, false},
    {"constant", Span::kConstant, false, false, false, false},
    {"constant, blended", Span::kConstant, false, false, true, false},
    {"textured, point", Span::kTextured, true, false, false, false},
    {"textured, linear, blended", Span::kTextured, true, true, true, false},
    // A diffuse that varies in screen space takes the scene span too.
    {"scene, point, gouraud, no depth", Span::kScene, true, false, false, true},
    {"scene, linear, blended, gouraud, no depth", Span::kScene, true, true, true, true},
    {"scene, point", Span::kScene, true, false, false, true, true},
    {"scene, linear, blended", Span::kScene, true, true, true, true, true},
};

// A depth buffer nearer than nothing: with ZFUNC ALWAYS every pixel passes.
struct DepthBuffer {
    Surface surface;
    explicit DepthBuffer(uint32_t size) : surface(D3DFMT_D16, size, size, 2) {}
    SurfaceView For(const PathCase& p) const { return p.depthTest ? surface.view : SurfaceView{}; }
};

StateBlock StatesFor(const PathCase& p, uint32_t size = kSize) {
    StateBlock s = States2D(size, size);
    s.stage[0][D3DTSS_COLOROP] = p.textured ? D3DTOP_MODULATE : D3DTOP_SELECTARG2;
    s.stage[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    s.stage[0][D3DTSS_ALPHAOP] = p.textured ? D3DTOP_MODULATE : D3DTOP_SELECTARG2;
    s.stage[0][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
    s.sampler[0][D3DSAMP_MINFILTER] = s.sampler[0][D3DSAMP_MAGFILTER] = p.linear ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    s.render[D3DRS_ALPHABLENDENABLE] = p.blend;
    s.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
    s.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    if (p.depthTest) {
        s.render[D3DRS_ZENABLE] = D3DZB_TRUE;
        s.render[D3DRS_ZFUNC] = D3DCMP_ALWAYS;
        s.render[D3DRS_ZWRITEENABLE] = FALSE;
    }
    return s;
}

// The span one triangle of the path's quads gets, asked the way the
// rasterizer asks.
SpanFn ChosenSpan(const StateBlock& s, const Texture& tex, const PathCase& p) {
    Target t(4);
    const DepthBuffer depth(4);
    DrawCommand d;
    d.states = &s;
    d.target = t.view;
    d.depth = depth.For(p);
    d.textures[0] = p.textured ? &tex.view : nullptr;
    PixelState ps;
    EXPECT_TRUE(BuildPixelState(d, ps));
    const FastPathPlan plan = PlanFastPath(ps);
    RasterContext ctx;
    ctx.pixels = &ps;
    ctx.attributeMask = ps.attributeMask;
    ctx.fast = &plan;
    Gradients g;
    g.constantMask = p.gouraud ? ~(0xFu << kDiffuseR) : ~0u;
    const SpanFn chosen = SelectSpan(ctx, g);
    const bool linear = p.linear;
    switch (p.span) {
        case Span::kGeneral: EXPECT_EQ(chosen, &ShadeSpanGeneral) << p.name; break;
        case Span::kConstant: EXPECT_EQ(chosen, plan.constantSpan) << p.name; break;
        case Span::kTextured: EXPECT_EQ(chosen, plan.texturedSpan[linear]) << p.name; break;
        case Span::kScene: EXPECT_EQ(chosen, plan.sceneSpan[linear]) << p.name; break;
    }
    EXPECT_NE(chosen, nullptr) << p.name;
    return chosen;
}

// The quad as a clockwise strip (the renderers' order), a counter-clockwise
// strip, and a list cut on the other diagonal.
std::vector<std::vector<ScreenVtx>> Windings(float from, float to, bool gouraud) {
    std::vector<ScreenVtx> q = Quad(from, from, to, to, kWhite);
    if (gouraud) q[1].color = q[2].color = kGrey;
    return {q, {q[0], q[2], q[1], q[3]}, {q[0], q[1], q[3], q[0], q[3], q[2]}};
}

std::vector<std::string> Expected(int first, int last) {
    std::vector<std::string> rows(kSize, std::string(kSize, '.'));
    for (int y = first; y <= last; ++y)
        for (int x = first; x <= last; ++x) rows[size_t(y)][size_t(x)] = '#';
    return rows;
}

TEST(QuadEdges, RightAndBottomEdgesExcludeTheirPixelsOnEverySpan) {
    BothPaths guard;
    const Texture tex = Texture::Argb(2, 2, {kWhite, kWhite, kWhite, kWhite});
    for (const PathCase& p : kPaths) {
        SetFastPathsEnabled(p.span != Span::kGeneral);
        const StateBlock s = StatesFor(p);
        ChosenSpan(s, tex, p);
        for (const EdgeCase& e : kEdgeCases) {
            const auto windings = Windings(e.from, e.to, p.gouraud);
            for (size_t w = 0; w < windings.size(); ++w) {
                Target t(kSize, kBlack);
                const DepthBuffer depth(kSize);
                const bool strip = windings[w].size() == 4;
                DrawUp(s, t.view, kScreenFvf, strip ? D3DPT_TRIANGLESTRIP : D3DPT_TRIANGLELIST, 2, windings[w],
                       p.textured ? &tex.view : nullptr, depth.For(p));
                EXPECT_EQ(t.Mask(kBlack), Expected(e.first, e.last)) << p.name << ": " << e.name << ", winding " << w;
            }
        }
    }
}

// Coverage is decided once, before any span runs: the fast spans draw
// exactly the pixels of the general one, byte for byte.
TEST(QuadEdges, FastSpansDrawWhatTheGeneralSpanDraws) {
    BothPaths guard;
    const Texture tex =
        Texture::Argb(4, 4, {0xFF102030u, 0x80405060u, 0xFF708090u, 0x40A0B0C0u, 0xFFD0E0F0u, 0x20123456u,
                             0xFF654321u, 0xC0ABCDEFu, 0xFF0F0F0Fu, 0x10F0F0F0u, 0xFF336699u, 0x90996633u,
                             0xFFFFFFFFu, 0x00000000u, 0xFF7F7F7Fu, 0xE0010203u});
    for (const PathCase& p : kPaths) {
        if (p.span == Span::kGeneral) continue;
        const StateBlock s = StatesFor(p, 48);
        std::vector<uint8_t> drawn[2];
        for (int fast = 0; fast < 2; ++fast) {
            SetFastPathsEnabled(fast == 1);
            // Each case in a cell of its own, so no quad hides another's edges.
            Target t(48, 0xFF204060u);
            const DepthBuffer depth(48);
            for (size_t i = 0; i < std::size(kEdgeCases); ++i) {
                const EdgeCase& e = kEdgeCases[i];
                const float dx = float(i % 4) * 12.0f - 8.0f, dy = float(i / 4) * 12.0f - 8.0f;
                std::vector<ScreenVtx> q =
                    Quad(e.from + dx, e.from + dy, e.to + dx, e.to + dy, 0xC0FFFFFFu, 0.0f, 0.0f, 1.0f, 1.0f);
                if (p.gouraud) q[1].color = q[2].color = 0xC0808080u;
                DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, q, p.textured ? &tex.view : nullptr,
                       depth.For(p));
            }
            drawn[fast] = t.bytes;
        }
        EXPECT_EQ(drawn[1], drawn[0]) << p.name;
    }
}

}  // namespace
}  // namespace rastertest::quad_edge_test
