// The specialised spans against the general one: the same scenes drawn both
// ways must match byte for byte, and the scenes must take the fast plans.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "RasterTestKit.h"
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/TexturedSpans.h"

namespace rastertest::fast_path_test {
namespace {

// Fixed-sequence generator: the scenes are the same on every run.
struct Sequence {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    float Range(float lo, float hi) { return lo + (hi - lo) * float(Next() % 10000) / 10000.0f; }
};

Texture MakeTexture(D3DFORMAT format, Sequence& seq) {
    if (format == D3DFMT_A4R4G4B4 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 ||
        format == D3DFMT_A1R5G5B5) {
        std::vector<uint16_t> texels(8 * 8);
        for (uint16_t& t : texels) t = uint16_t(seq.Next());
        return Texture::Words(format, 8, 8, texels);
    }
    if (format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5) {
        const int blockBytes = format == D3DFMT_DXT1 ? 8 : 16;  // 2 x 2 blocks
        std::vector<uint8_t> blocks(size_t(4 * blockBytes));
        for (uint8_t& b : blocks) b = uint8_t(seq.Next());
        Texture t;
        t.AddLevel(format, 8, 8, 2 * blockBytes, blocks);
        return t;
    }
    std::vector<uint32_t> texels(8 * 8);
    for (uint32_t& t : texels) t = seq.Next() * 2654435761u;
    return Texture::Argb(8, 8, texels, format);
}

// A few quads: axis-aligned on half pixels, scaled, rotated, partly off-target.
std::vector<std::vector<ScreenVtx>> Scene(Sequence& seq, bool constantColour) {
    std::vector<std::vector<ScreenVtx>> quads;
    for (int i = 0; i < 6; ++i) {
        const float cx = seq.Range(-4, 36), cy = seq.Range(-4, 36);
        const float w = seq.Range(2, 30), h = seq.Range(2, 30);
        const float angle = (i % 3 == 0) ? 0.0f : seq.Range(-3.0f, 3.0f);
        const float c = std::cos(angle), s = std::sin(angle);
        auto corner = [&](float dx, float dy, float u, float v, uint32_t colour) {
            return ScreenVtx{cx + dx * c - dy * s, cy + dx * s + dy * c, 0, 1, colour, u, v};
        };
        const uint32_t base = seq.Next() * 2246822519u;
        auto colour = [&](int k) { return constantColour ? base : base ^ (uint32_t(k) * 0x01234567u); };
        const float u0 = seq.Range(-1, 1), v0 = seq.Range(-1, 1), u1 = seq.Range(0, 3), v1 = seq.Range(0, 3);
        quads.push_back({corner(-w / 2, -h / 2, u0, v0, colour(0)), corner(w / 2, -h / 2, u1, v0, colour(1)),
                         corner(-w / 2, h / 2, u0, v1, colour(2)), corner(w / 2, h / 2, u1, v1, colour(3))});
    }
    return quads;
}

struct Config {
    D3DFORMAT texture;  // D3DFMT_UNKNOWN: untextured
    uint32_t filter;
    bool blend;
    D3DFORMAT target;
    uint32_t colorOp, alphaOp;
    bool alphaTest;
    uint32_t address;
    uint32_t alphaFunc = D3DCMP_GREATEREQUAL;
    uint32_t alphaRef = 0x60;
};

// Alpha tests the tables cycle through: every function, the reference at
// the ends and the middle.
constexpr uint32_t kAlphaTests[][2] = {{D3DCMP_GREATEREQUAL, 0x60}, {D3DCMP_NEVER, 0x80},   {D3DCMP_LESS, 0x80},
                                       {D3DCMP_EQUAL, 255},         {D3DCMP_LESSEQUAL, 0},  {D3DCMP_GREATER, 0},
                                       {D3DCMP_NOTEQUAL, 255},      {D3DCMP_ALWAYS, 0x80}, {D3DCMP_GREATER, 255},
                                       {D3DCMP_LESS, 0}};

// The table's i-th alpha test on cfg.
Config WithAlphaTest(Config cfg, int i) {
    const auto& test = kAlphaTests[size_t(i) % std::size(kAlphaTests)];
    cfg.alphaFunc = test[0];
    cfg.alphaRef = test[1];
    return cfg;
}

std::vector<uint8_t> Render(const Config& cfg, const StateBlock& s, const Texture* tex, bool fast, bool constantColour) {
    SetFastPathsEnabled(fast);
    Target t(32, 0x80402010u, cfg.target);
    Sequence seq{7};
    for (const auto& quad : Scene(seq, constantColour))
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, quad, tex ? &tex->view : nullptr);
    return t.bytes;
}

StateBlock StatesFor(const Config& cfg) {
    StateBlock s = States2D(32, 32);
    s.stage[0][D3DTSS_COLOROP] = cfg.colorOp;
    s.stage[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    s.stage[0][D3DTSS_ALPHAOP] = cfg.alphaOp;
    s.stage[0][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
    s.sampler[0][D3DSAMP_MINFILTER] = s.sampler[0][D3DSAMP_MAGFILTER] = cfg.filter;
    s.sampler[0][D3DSAMP_ADDRESSU] = s.sampler[0][D3DSAMP_ADDRESSV] = cfg.address;
    s.render[D3DRS_ALPHABLENDENABLE] = cfg.blend;
    s.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
    s.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    s.render[D3DRS_ALPHATESTENABLE] = cfg.alphaTest;
    s.render[D3DRS_ALPHAFUNC] = cfg.alphaFunc;
    s.render[D3DRS_ALPHAREF] = cfg.alphaRef;
    return s;
}

FastKind PlannedKind(const StateBlock& s, const Texture* tex, D3DFORMAT targetFormat) {
    Target t(4, 0, targetFormat);
    DrawCommand d;
    d.states = &s;
    d.target = t.view;
    d.textures[0] = tex ? &tex->view : nullptr;
    PixelState ps;
    EXPECT_TRUE(BuildPixelState(d, ps));
    return PlanFastPath(ps).kind;
}

// The pixel state and plan a draw in `s` gets on a 4 x 4 target.
struct Planned {
    Target target;
    PixelState ps;
    FastPathPlan plan;
    Planned(const StateBlock& s, const Texture& tex, D3DFORMAT format) : target(4, 0, format) {
        DrawCommand d;
        d.states = &s;
        d.target = target.view;
        d.textures[0] = &tex.view;
        EXPECT_TRUE(BuildPixelState(d, ps));
        plan = PlanFastPath(ps);
    }
};

TEST(FastPaths, TexturedQuadsMatchTheGeneralPath) {
    BothPaths guard;
    const D3DFORMAT textures[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                  D3DFMT_A1R5G5B5, D3DFMT_DXT1,     D3DFMT_DXT3,     D3DFMT_DXT5};
    const uint32_t ops[][2] = {{D3DTOP_MODULATE, D3DTOP_MODULATE},
                               {D3DTOP_SELECTARG1, D3DTOP_SELECTARG1},
                               {D3DTOP_MODULATE2X, D3DTOP_MODULATE},
                               {D3DTOP_MODULATE4X, D3DTOP_SELECTARG2},
                               {D3DTOP_MODULATE4X, D3DTOP_MODULATE2X}};
    int configs = 0;
    for (D3DFORMAT texFormat : textures)
        for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
            for (bool blend : {false, true})
                for (D3DFORMAT target : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8})
                    for (const auto& op : ops) {
                        const Config cfg = WithAlphaTest({texFormat, filter, blend, target, op[0], op[1],
                                                          configs % 3 != 1, configs % 2 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP},
                                                         configs / 3);
                        ++configs;
                        Sequence seq{uint32_t(configs)};
                        const Texture tex = MakeTexture(texFormat, seq);
                        const StateBlock s = StatesFor(cfg);
                        SetFastPathsEnabled(true);
                        ASSERT_EQ(PlannedKind(s, &tex, target), FastKind::kTextured);
                        // One colour per quad, and a colour per corner (as text gradients have).
                        for (bool constantColour : {true, false}) {
                            const auto fast = Render(cfg, s, &tex, true, constantColour);
                            const auto general = Render(cfg, s, &tex, false, constantColour);
                            if (!cfg.alphaTest) {  // some tests pass no alpha at all
                                ASSERT_NE(fast, Target(32, 0x80402010u, target).bytes) << "the scene draws something";
                            }
                            ASSERT_EQ(fast, general)
                                << "texture " << texFormat << " filter " << filter << " blend " << blend << " target "
                                << target << " op " << op[0] << "/" << op[1] << " alpha test " << cfg.alphaTest << " "
                                << cfg.alphaFunc << "/" << cfg.alphaRef << " constant colour " << constantColour;
                        }
                    }
}

TEST(FastPaths, DifferentMinAndMagFiltersChooseAFilterPerTriangle) {
    BothPaths guard;
    const uint32_t pairs[][2] = {{D3DTEXF_POINT, D3DTEXF_LINEAR}, {D3DTEXF_LINEAR, D3DTEXF_POINT}};
    int n = 0;
    for (const auto& pair : pairs)
        for (bool blend : {false, true}) {
            Sequence seq{uint32_t(50 + n++)};
            const Texture tex = MakeTexture(D3DFMT_A8R8G8B8, seq);
            Config cfg{D3DFMT_A8R8G8B8, D3DTEXF_POINT, blend, D3DFMT_X8R8G8B8, D3DTOP_MODULATE, D3DTOP_MODULATE,
                       false, D3DTADDRESS_WRAP};
            StateBlock s = StatesFor(cfg);
            s.sampler[0][D3DSAMP_MINFILTER] = pair[0];
            s.sampler[0][D3DSAMP_MAGFILTER] = pair[1];
            SetFastPathsEnabled(true);
            ASSERT_EQ(PlannedKind(s, &tex, D3DFMT_X8R8G8B8), FastKind::kTextured);
            EXPECT_EQ(Render(cfg, s, &tex, true, true), Render(cfg, s, &tex, false, true))
                << "min " << pair[0] << " mag " << pair[1] << " blend " << blend;
        }
}

TEST(FastPaths, MagnifiedQuadsFilterWithTheMagnificationFilter) {
    // Min POINT, mag LINEAR: a 2x1 texture stretched over 4 pixels blends
    // neighbours; squeezed into one pixel it reads the nearest texel.
    BothPaths guard;
    const Texture tex = Texture::Argb(2, 1, {0xFF000000, 0xFFFFFFFF});
    for (bool fast : {true, false}) {
        SetFastPathsEnabled(fast);
        StateBlock s = States2D();
        s.sampler[0][D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        s.sampler[0][D3DSAMP_MAGFILTER] = D3DTEXF_LINEAR;
        s.sampler[0][D3DSAMP_ADDRESSU] = D3DTADDRESS_CLAMP;
        Target t;
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-0.5f, -0.5f, 3.5f, 0.5f, 0xFFFFFFFF), &tex.view);
        // u at pixel 1 = 0.375: texel coordinate 0.75, a quarter of the way to texel 1.
        EXPECT_EQ(t.At(1, 0), 0xFF404040u) << fast;
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-0.5f, 1.5f, 0.5f, 2.5f, 0xFFFFFFFF), &tex.view);
        EXPECT_EQ(t.At(0, 2), 0xFFFFFFFFu) << fast;  // u 0.5 lands on texel 1's edge: point reads texel 1
    }
}

TEST(FastPaths, TintByTheTextureFactorMatches) {
    // The tinted picture: texture times TFACTOR in colour and alpha.
    BothPaths guard;
    for (bool blend : {false, true})
        for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
            Sequence seq{77};
            const Texture tex = MakeTexture(D3DFMT_A4R4G4B4, seq);
            Config cfg{D3DFMT_A4R4G4B4, filter, blend, D3DFMT_X8R8G8B8, D3DTOP_MODULATE, D3DTOP_MODULATE, false,
                       D3DTADDRESS_CLAMP};
            StateBlock s = StatesFor(cfg);
            s.stage[0][D3DTSS_COLORARG2] = D3DTA_TFACTOR;
            s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_TFACTOR;
            s.render[D3DRS_TEXTUREFACTOR] = 0x80C08040u;
            SetFastPathsEnabled(true);
            ASSERT_EQ(PlannedKind(s, &tex, D3DFMT_X8R8G8B8), FastKind::kTextured);
            for (bool flat : {true, false})
                EXPECT_EQ(Render(cfg, s, &tex, true, flat), Render(cfg, s, &tex, false, flat)) << blend << filter;
        }
}

// Sprites as the picture renderers place them: whole-texel windows of
// power-of-two textures, shifted half a pixel, some cut by the target edge.
TEST(FastPaths, TexelAlignedSpritesMatchTheGeneralPath) {
    BothPaths guard;
    for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
        for (bool blend : {false, true}) {
            Sequence seq{uint32_t(filter * 10 + blend)};
            std::vector<uint32_t> texels(16 * 16);
            for (uint32_t& t : texels) t = seq.Next() * 2654435761u;
            const Texture tex = Texture::Argb(16, 16, texels);
            Config cfg{D3DFMT_A8R8G8B8, filter, blend, D3DFMT_X8R8G8B8, D3DTOP_MODULATE, D3DTOP_MODULATE, false,
                       D3DTADDRESS_CLAMP};
            const StateBlock s = StatesFor(cfg);
            std::vector<uint8_t> results[2];
            for (int fast = 0; fast < 2; ++fast) {
                SetFastPathsEnabled(fast == 1);
                Target t(32, 0x80402010u, D3DFMT_X8R8G8B8);
                Sequence place{5};
                for (int i = 0; i < 12; ++i) {
                    const int w = 1 + int(place.Next() % 16), h = 1 + int(place.Next() % 16);
                    const float x = float(int(place.Next() % 44) - 8) - 0.5f, y = float(int(place.Next() % 44) - 8) - 0.5f;
                    // Whole texels: a window of w x h texels, also magnified twice.
                    const float scale = (i % 3 == 0) ? 2.0f : 1.0f;
                    const float u1 = float(w) / 16.0f, v1 = float(h) / 16.0f;
                    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2,
                           Quad(x, y, x + float(w) * scale, y + float(h) * scale, 0xC0FFFFFFu ^ uint32_t(i), 0, 0, u1, v1),
                           &tex.view);
                }
                results[fast] = t.bytes;
            }
            EXPECT_EQ(results[1], results[0]) << "filter " << filter << " blend " << blend;
        }
}

TEST(FastPaths, AdditiveAndMultiplyBlendsMatchTheGeneralPath) {
    BothPaths guard;
    const uint32_t blends[][2] = {{D3DBLEND_ONE, D3DBLEND_ONE},
                                  {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                                  {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
                                  {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO}};
    int n = 0;
    for (const auto& blend : blends)
        for (D3DFORMAT texFormat : {D3DFMT_UNKNOWN, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4})
            for (D3DFORMAT target : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8})
                for (bool flat : {true, false}) {
                    Sequence seq{uint32_t(300 + n++)};
                    const Texture tex = MakeTexture(texFormat == D3DFMT_UNKNOWN ? D3DFMT_A8R8G8B8 : texFormat, seq);
                    const bool textured = texFormat != D3DFMT_UNKNOWN;
                    Config cfg{texFormat, D3DTEXF_LINEAR, true, target,
                               textured ? uint32_t(D3DTOP_MODULATE) : uint32_t(D3DTOP_SELECTARG2),
                               textured ? uint32_t(D3DTOP_MODULATE) : uint32_t(D3DTOP_SELECTARG2), false,
                               D3DTADDRESS_WRAP};
                    StateBlock s = StatesFor(cfg);
                    s.render[D3DRS_SRCBLEND] = blend[0];
                    s.render[D3DRS_DESTBLEND] = blend[1];
                    const Texture* bound = textured ? &tex : nullptr;
                    SetFastPathsEnabled(true);
                    ASSERT_NE(PlannedKind(s, bound, target), FastKind::kNone);
                    EXPECT_EQ(Render(cfg, s, bound, true, flat), Render(cfg, s, bound, false, flat))
                        << "src " << blend[0] << " dst " << blend[1] << " texture " << texFormat << " target " << target
                        << " flat " << flat;
                }
}

TEST(FastPaths, SolidFillsMatchTheGeneralPath) {
    BothPaths guard;
    // Stages that pass the diffuse colour, and ones that combine it with a
    // texture argument that has no texture.
    const uint32_t ops[][2] = {{D3DTOP_SELECTARG2, D3DTOP_SELECTARG2}, {D3DTOP_MODULATE, D3DTOP_ADD}};
    for (bool blend : {false, true})
        for (D3DFORMAT target : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8})
            for (int alphaTest = -1; alphaTest < int(std::size(kAlphaTests)); ++alphaTest)
                for (const auto& op : ops) {
                    const Config cfg = WithAlphaTest(
                        {D3DFMT_UNKNOWN, D3DTEXF_POINT, blend, target, op[0], op[1], alphaTest >= 0, D3DTADDRESS_WRAP},
                        std::max(alphaTest, 0));
                    const StateBlock s = StatesFor(cfg);
                    SetFastPathsEnabled(true);
                    ASSERT_EQ(PlannedKind(s, nullptr, target), FastKind::kConstant);
                    // One colour a quad, and a colour a corner (gradients).
                    for (bool flat : {true, false})
                        EXPECT_EQ(Render(cfg, s, nullptr, true, flat), Render(cfg, s, nullptr, false, flat))
                            << "blend " << blend << " target " << target << " alpha test " << cfg.alphaTest << " "
                            << cfg.alphaFunc << "/" << cfg.alphaRef << " op "
                            << op[0] << " flat " << flat;
                }
}

TEST(FastPaths, GouraudQuadsTakeTheSceneSpanAndMatch) {
    BothPaths guard;
    Sequence seq{99};
    const Texture tex = MakeTexture(D3DFMT_A4R4G4B4, seq);
    Config cfg{D3DFMT_A4R4G4B4, D3DTEXF_LINEAR, true, D3DFMT_A8R8G8B8, D3DTOP_MODULATE, D3DTOP_MODULATE, false,
               D3DTADDRESS_CLAMP};
    const StateBlock s = StatesFor(cfg);
    EXPECT_EQ(Render(cfg, s, &tex, true, false), Render(cfg, s, &tex, false, false));
}

// A screen-space triangle whose diffuse varies, or whose texel coordinates
// the 2D span cannot step exactly, goes to the scene span, which works its
// values out a run at a time; one diffuse colour over coordinates that step
// exactly (sprites) keeps the 2D span, whose rows the row kernels shade
// whole. (The drawings of both match the general path in
// TexturedQuadsMatchTheGeneralPath.)
TEST(FastPaths, VaryingDiffuseOrInexactCoordinatesInScreenSpaceTakeTheSceneSpan) {
    BothPaths guard;
    Sequence seq{5};
    const Texture tex = MakeTexture(D3DFMT_A8R8G8B8, seq);
    for (uint32_t op : {D3DTOP_MODULATE, D3DTOP_MODULATE4X})
        for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
            const Config cfg{D3DFMT_A8R8G8B8, filter, true, D3DFMT_A8R8G8B8, op, D3DTOP_MODULATE, false,
                             D3DTADDRESS_WRAP};
            const StateBlock s = StatesFor(cfg);
            SetFastPathsEnabled(true);
            const Planned planned(s, tex, cfg.target);
            const FastPathPlan& plan = planned.plan;
            const RasterContext ctx{&planned.ps, Rect{0, 0, 4, 4}, 0, &plan};
            Gradients g;
            const bool linear = filter == D3DTEXF_LINEAR;
            g.constantMask = ~(3u << kTexcoord0);
            g.attr[kTexcoord0].dx = g.attr[kTexcoord0 + 1].dy = 1.0 / 64.0;  // a texel every 64 pixels: exact
            ASSERT_NE(plan.texturedSpan[linear], nullptr);
            EXPECT_EQ(SelectSpan(ctx, g), plan.texturedSpan[linear]) << "op " << op << " filter " << filter;
            Gradients inexact = g;
            inexact.attr[kTexcoord0].dx = 0.1;
            EXPECT_EQ(SelectSpan(ctx, inexact), plan.sceneSpan[linear]) << "op " << op << " filter " << filter;
            g.constantMask &= ~(1u << (kDiffuseR + 1));
            EXPECT_EQ(SelectSpan(ctx, g), plan.sceneSpan[linear]) << "op " << op << " filter " << filter;
        }
}

// Perspective triangles with depth, Gouraud colours, some crossing the near
// plane; both the colours and the depth buffer must match.
struct SceneResult {
    std::vector<uint8_t> colour, depth;
    bool operator==(const SceneResult&) const = default;
};

// With `again`, the same triangles are drawn a second time in its states.
SceneResult RenderScene(const StateBlock& s, const Texture& tex, D3DFORMAT depthFormat, int depthBytes, bool fast,
                        D3DFORMAT targetFormat = D3DFMT_X8R8G8B8, const StateBlock* again = nullptr) {
    SetFastPathsEnabled(fast);
    Target t(32, 0xFF302010u, targetFormat);
    Surface depth(depthFormat, 32, 32, depthBytes);
    std::fill(depth.bytes.begin(), depth.bytes.end(), 0xFF);
    Sequence seq{1234};
    std::vector<SceneVtx> triangles;
    for (int i = 0; i < 3 * 24; ++i) {
        const float z = (i % 9 == 0) ? seq.Range(0.2f, 1.0f) : seq.Range(1.5f, 6.0f);
        triangles.push_back({seq.Range(-3, 3), seq.Range(-3, 3), z, seq.Next() * 2654435761u | 0x80000000u,
                             seq.Range(-1, 2), seq.Range(-1, 2)});
    }
    EXPECT_EQ(DrawUp(s, t.view, kSceneFvf, D3DPT_TRIANGLELIST, uint32_t(triangles.size() / 3), triangles, &tex.view, depth.view), DrawResult::kDrawn);
    if (again) {
        EXPECT_EQ(DrawUp(*again, t.view, kSceneFvf, D3DPT_TRIANGLELIST, uint32_t(triangles.size() / 3), triangles,
                         &tex.view, depth.view),
                  DrawResult::kDrawn);
    }
    return SceneResult{t.bytes, depth.bytes};
}

// Near plane 1, far plane 10.
Matrix SceneProjection() {
    Matrix projection{};
    projection.m[0][0] = projection.m[1][1] = 1;
    projection.m[2][2] = 10.0f / 9.0f;
    projection.m[2][3] = 1;
    projection.m[3][2] = -10.0f / 9.0f;
    return projection;
}

// Depth-tested, unculled triangles on RenderScene's 32 x 32 target.
void UseSceneStates(StateBlock& s, bool writeDepth, uint32_t depthFunc) {
    s.projection = SceneProjection();
    s.render[D3DRS_ZENABLE] = D3DZB_TRUE;
    s.render[D3DRS_ZWRITEENABLE] = writeDepth;
    s.render[D3DRS_ZFUNC] = depthFunc;
    s.render[D3DRS_CULLMODE] = D3DCULL_NONE;
    s.viewport = Viewport{0, 0, 32, 32, 0, 1};
}

// What the planner makes of the states with a depth buffer bound.
FastPathPlan PlanWithDepth(const StateBlock& s, const Texture& tex, D3DFORMAT depthFormat, int depthBytes) {
    SetFastPathsEnabled(true);
    Target probe(4, 0, D3DFMT_X8R8G8B8);
    Surface probeDepth(depthFormat, 4, 4, depthBytes);
    DrawCommand d;
    d.states = &s;
    d.target = probe.view;
    d.depth = probeDepth.view;
    d.textures[0] = &tex.view;
    PixelState ps;
    EXPECT_TRUE(BuildPixelState(d, ps));
    return PlanFastPath(ps);
}

TEST(FastPaths, PerspectiveTrianglesWithDepthMatchTheGeneralPath) {
    BothPaths guard;
    const struct {
        D3DFORMAT format;
        int bytes;
    } depths[] = {{D3DFMT_D16, 2}, {D3DFMT_D24S8, 4}};
    int n = 0;
    for (const auto& depth : depths)
        for (D3DFORMAT texFormat : {D3DFMT_A8R8G8B8, D3DFMT_DXT3, D3DFMT_DXT5})
            for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
                for (bool blend : {false, true}) {
                    ++n;
                    Sequence seq{uint32_t(n)};
                    const Texture tex = MakeTexture(texFormat, seq);
                    const Config cfg = WithAlphaTest({texFormat, filter, blend, D3DFMT_X8R8G8B8,
                                                      n % 2 ? D3DTOP_MODULATE2X : D3DTOP_MODULATE,
                                                      n % 4 == 1 ? D3DTOP_MODULATE4X : D3DTOP_MODULATE, n % 3 != 1,
                                                      D3DTADDRESS_WRAP},
                                                     n);
                    StateBlock s = StatesFor(cfg);
                    UseSceneStates(s, !blend, n % 4 ? D3DCMP_LESSEQUAL : D3DCMP_LESS);
                    ASSERT_EQ(PlanWithDepth(s, tex, depth.format, depth.bytes).kind, FastKind::kTextured);
                    const SceneResult fast = RenderScene(s, tex, depth.format, depth.bytes, true);
                    const SceneResult general = RenderScene(s, tex, depth.format, depth.bytes, false);
                    if (!cfg.alphaTest) {  // some tests pass no alpha at all
                        ASSERT_NE(fast.colour, Target(32, 0xFF302010u, D3DFMT_X8R8G8B8).bytes);
                    }
                    ASSERT_TRUE(fast == general) << "depth " << depth.format << " texture " << texFormat << " filter "
                                                 << filter << " blend " << blend << " alpha test " << cfg.alphaFunc
                                                 << "/" << cfg.alphaRef;
                }
}

// A 16 x 16 texture with its full chain of levels (block formats stop at
// 4 x 4), each level its own noise so a wrong level shows.
Texture MipMappedTexture(D3DFORMAT format, Sequence& seq) {
    Texture t;
    const bool blocks = format == D3DFMT_DXT1 || format == D3DFMT_DXT5;
    for (uint32_t size = 16; size >= (blocks ? 4u : 1u); size /= 2) {
        if (blocks) {
            const int blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
            const uint32_t across = size / 4;
            std::vector<uint8_t> bytes(size_t(across * across * blockBytes));
            for (uint8_t& b : bytes) b = uint8_t(seq.Next());
            t.AddLevel(format, size, size, int32_t(across * blockBytes), bytes);
        } else {
            std::vector<uint32_t> texels(size_t(size) * size);
            for (uint32_t& texel : texels) texel = seq.Next() * 2654435761u;
            t.AddArgbLevel(size, size, texels, format);
        }
    }
    return t;
}

TEST(FastPaths, MipMappedPerspectiveTrianglesMatchTheGeneralPath) {
    BothPaths guard;
    const struct {
        D3DFORMAT format;
        int bytes;
    } depths[] = {{D3DFMT_D16, 2}, {D3DFMT_D24X8, 4}, {D3DFMT_D32, 4}};
    int n = 0;
    for (const auto& depth : depths)
        for (D3DFORMAT texFormat : {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_DXT1})
            for (uint32_t mipFilter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
                for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
                    ++n;
                    Sequence seq{uint32_t(100 + n)};
                    const Texture tex = MipMappedTexture(texFormat, seq);
                    const bool blend = n % 3 == 1;
                    Config cfg{texFormat, filter, blend, D3DFMT_X8R8G8B8, n % 2 ? D3DTOP_MODULATE2X : D3DTOP_MODULATE,
                               D3DTOP_MODULATE, n % 5 == 0, n % 4 == 3 ? D3DTADDRESS_MIRROR : D3DTADDRESS_WRAP};
                    StateBlock s = StatesFor(cfg);
                    s.sampler[0][D3DSAMP_MIPFILTER] = mipFilter;
                    s.sampler[0][D3DSAMP_MAXMIPLEVEL] = n % 6 == 0 ? 1 : 0;
                    const float bias = n % 7 == 0 ? 0.75f : (n % 7 == 1 ? -0.5f : 0.0f);
                    std::memcpy(&s.sampler[0][D3DSAMP_MIPMAPLODBIAS], &bias, 4);
                    UseSceneStates(s, !blend, n % 4 ? D3DCMP_LESSEQUAL : D3DCMP_NOTEQUAL);
                    const FastPathPlan plan = PlanWithDepth(s, tex, depth.format, depth.bytes);
                    ASSERT_EQ(plan.kind, FastKind::kTextured);
                    ASSERT_TRUE(plan.mipmapped);
                    const SceneResult fast = RenderScene(s, tex, depth.format, depth.bytes, true);
                    const SceneResult general = RenderScene(s, tex, depth.format, depth.bytes, false);
                    ASSERT_NE(fast.colour, Target(32, 0xFF302010u, D3DFMT_X8R8G8B8).bytes);
                    ASSERT_TRUE(fast == general) << "depth " << depth.format << " texture " << texFormat << " mip "
                                                 << mipFilter << " filter " << filter;
                }
}

// The largest difference of one 8-bit channel between two frames.
int LargestChannelDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    EXPECT_EQ(a.size(), b.size());
    int largest = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    return largest;
}

// Perspective scenes over a table of texture formats, filters, levels,
// address modes, depth formats, stage operations and blends. The scene
// spans may step in other arithmetic than the general span as long as each
// channel stays within one step and the depth buffer (hence every depth
// decision) is the same. Largest channel difference seen: 0 (the spans
// compute the general span's values; only the level of detail takes
// another logarithm, and the library's near each decision; the
// single-precision trilinear run of the eight-pixel shading stayed exact
// on these scenes too). Each vector
// width the processor has is tried.
void ExpectPerspectiveScenesWithinAStep();

struct SimdLevelGuard {
    SimdLevel restore = ActiveSimdLevel();
    ~SimdLevelGuard() { SetSimdLevel(restore); }
};

TEST(FastPaths, PerspectiveScenesStayWithinAStepOfTheGeneralPath) {
    BothPaths guard;
    SimdLevelGuard levelGuard;
    for (SimdLevel level : {SimdLevel::kSse2, SimdLevel::kAvx2}) {
        if (!SimdLevelSupported(level)) continue;
        SetSimdLevel(level);
        SCOPED_TRACE(int(level));
        ExpectPerspectiveScenesWithinAStep();
    }
}

void ExpectPerspectiveScenesWithinAStep() {
    const struct {
        D3DFORMAT format;
        int bytes;
    } depths[] = {{D3DFMT_D16, 2}, {D3DFMT_D24S8, 4}, {D3DFMT_D32, 4}};
    const uint32_t ops[] = {D3DTOP_MODULATE, D3DTOP_MODULATE2X, D3DTOP_SELECTARG1, D3DTOP_MODULATE4X};
    int n = 0, largest = 0;
    for (const auto& depth : depths)
        for (D3DFORMAT texFormat :
             {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_DXT1, D3DFMT_DXT5})
            for (uint32_t mipFilter : {D3DTEXF_NONE, D3DTEXF_POINT, D3DTEXF_LINEAR})
                for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
                    for (uint32_t address : {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP}) {
                        ++n;
                        Sequence seq{uint32_t(300 + n)};
                        const Texture tex =
                            mipFilter == D3DTEXF_NONE ? MakeTexture(texFormat, seq) : MipMappedTexture(texFormat, seq);
                        const bool blend = n % 3 == 1;
                        Config cfg{texFormat, filter, blend, D3DFMT_X8R8G8B8, ops[n % 4], D3DTOP_MODULATE,
                                   n % 5 == 0, address};
                        StateBlock s = StatesFor(cfg);
                        s.sampler[0][D3DSAMP_MIPFILTER] = mipFilter;
                        if (n % 7 == 2) s.stage[0][D3DTSS_COLORARG2] = D3DTA_TFACTOR;
                        s.render[D3DRS_TEXTUREFACTOR] = 0xC0A08060u;
                        UseSceneStates(s, !blend, n % 4 ? D3DCMP_LESSEQUAL : D3DCMP_GREATER);
                        ASSERT_EQ(PlanWithDepth(s, tex, depth.format, depth.bytes).kind, FastKind::kTextured)
                            << "texture " << texFormat;
                        const SceneResult fast = RenderScene(s, tex, depth.format, depth.bytes, true);
                        const SceneResult general = RenderScene(s, tex, depth.format, depth.bytes, false);
                        const int difference = LargestChannelDifference(fast.colour, general.colour);
                        largest = std::max(largest, difference);
                        ASSERT_LE(difference, 1) << "depth " << depth.format << " texture " << texFormat << " mip "
                                                 << mipFilter << " filter " << filter << " address " << address;
                        ASSERT_EQ(fast.depth, general.depth) << "depth " << depth.format << " texture " << texFormat;
                    }
    EXPECT_LE(largest, 1);
}

// 32-bit texels on levels 16 x 4 down to 1 x 1 (a single 4 x 2 level
// without a mip filter): the narrow levels wrap within a pixel's taps.
Texture NarrowLevels(D3DFORMAT format, bool mipmapped, Sequence& seq) {
    Texture t;
    uint32_t width = mipmapped ? 16 : 4, height = mipmapped ? 4 : 2;
    for (;;) {
        std::vector<uint32_t> texels(size_t(width) * height);
        for (uint32_t& texel : texels) texel = seq.Next() * 2654435761u;
        t.AddArgbLevel(width, height, texels, format);
        if (!mipmapped || (width == 1 && height == 1)) return t;
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
}

// Opaque perspective scenes without an alpha test, stage 0 passing the
// texture, the diffuse colour or their product, doubled or not: on AVX2
// these shade eight pixels a step. Over both texel formats that do so, every depth format
// with and without depth writes and both target formats, the result
// matches the general span byte for byte on each vector width, but for
// trilinear filtering on AVX2, whose run is in single precision: there each
// channel stays within one step and the depths are the same (largest
// difference seen: 1). After a
// draw that wrote depths the scene is drawn again with another stage and
// a depth test that passes on equal depths, or fails on them.
TEST(FastPaths, PlainPerspectiveScenesMatchTheGeneralPathOnEveryLaneWidth) {
    BothPaths guard;
    SimdLevelGuard levelGuard;
    const struct {
        D3DFORMAT format;
        int bytes;
    } depths[] = {{D3DFMT_D16, 2}, {D3DFMT_D24X8, 4}, {D3DFMT_D32, 4}};
    const uint32_t ops[][2] = {{D3DTOP_MODULATE, D3DTOP_MODULATE},
                               {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2},
                               {D3DTOP_SELECTARG2, D3DTOP_SELECTARG1},
                               {D3DTOP_MODULATE4X, D3DTOP_MODULATE2X},
                               {D3DTOP_MODULATE2X, D3DTOP_MODULATE4X}};
    int largest = 0;
    for (SimdLevel level : {SimdLevel::kSse2, SimdLevel::kAvx2}) {
        if (!SimdLevelSupported(level)) continue;
        SetSimdLevel(level);
        int n = 0;
        for (const auto& depth : depths)
            for (D3DFORMAT texFormat : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8})
                for (uint32_t mipFilter : {D3DTEXF_NONE, D3DTEXF_POINT, D3DTEXF_LINEAR})
                    for (const auto& op : ops)
                        for (bool writeDepth : {false, true})
                            for (D3DFORMAT target : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
                                Sequence seq{uint32_t(500 + ++n)};
                                const Texture tex = NarrowLevels(texFormat, mipFilter != D3DTEXF_NONE, seq);
                                Config cfg{texFormat, D3DTEXF_LINEAR, false, target, op[0], op[1], false,
                                           D3DTADDRESS_WRAP};
                                StateBlock s = StatesFor(cfg);
                                s.sampler[0][D3DSAMP_MIPFILTER] = mipFilter;
                                UseSceneStates(s, writeDepth, n % 3 ? D3DCMP_LESSEQUAL : D3DCMP_LESS);
                                ASSERT_EQ(PlanWithDepth(s, tex, depth.format, depth.bytes).kind, FastKind::kTextured);
                                StateBlock again = s;
                                const auto& next = ops[size_t(&op - ops + 1) % std::size(ops)];
                                again.stage[0][D3DTSS_COLOROP] = next[0];
                                again.stage[0][D3DTSS_ALPHAOP] = next[1];
                                UseSceneStates(again, false,
                                               n % 3 == 0 ? D3DCMP_EQUAL
                                                          : (n % 3 == 1 ? D3DCMP_NOTEQUAL : D3DCMP_GREATEREQUAL));
                                const StateBlock* redraw = writeDepth ? &again : nullptr;
                                const SceneResult fast =
                                    RenderScene(s, tex, depth.format, depth.bytes, true, target, redraw);
                                const SceneResult general =
                                    RenderScene(s, tex, depth.format, depth.bytes, false, target, redraw);
                                ASSERT_NE(fast.colour, Target(32, 0xFF302010u, target).bytes);
                                if (level == SimdLevel::kAvx2 && mipFilter == D3DTEXF_LINEAR) {
                                    // Single-precision levels: within a step, the same depths.
                                    const int difference = LargestChannelDifference(fast.colour, general.colour);
                                    largest = std::max(largest, difference);
                                    ASSERT_LE(difference, 1) << "depth " << depth.format << " texture " << texFormat
                                                             << " ops " << op[0] << "," << op[1];
                                    ASSERT_EQ(fast.depth, general.depth);
                                    continue;
                                }
                                ASSERT_TRUE(fast == general)
                                    << "lanes " << int(level) << " depth " << depth.format << " texture " << texFormat
                                    << " mip " << mipFilter << " ops " << op[0] << "," << op[1] << " write "
                                    << writeDepth << " target " << target;
                            }
    }
    EXPECT_LE(largest, 1);
}

// Screen-space quads of a mip-mapped texture, shrunk and stretched, take
// the level-picking span too.
TEST(FastPaths, MipMappedScreenQuadsMatchTheGeneralPath) {
    BothPaths guard;
    int n = 0;
    for (D3DFORMAT texFormat : {D3DFMT_A8R8G8B8, D3DFMT_DXT5})
        for (uint32_t mipFilter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
            for (bool blend : {false, true}) {
                Sequence seq{uint32_t(200 + ++n)};
                const Texture tex = MipMappedTexture(texFormat, seq);
                Config cfg{texFormat, D3DTEXF_LINEAR, blend, D3DFMT_A8R8G8B8, D3DTOP_MODULATE, D3DTOP_MODULATE, false,
                           D3DTADDRESS_WRAP};
                StateBlock s = StatesFor(cfg);
                s.sampler[0][D3DSAMP_MIPFILTER] = mipFilter;
                SetFastPathsEnabled(true);
                ASSERT_EQ(PlannedKind(s, &tex, D3DFMT_A8R8G8B8), FastKind::kTextured);
                for (bool constantColour : {true, false})
                    ASSERT_EQ(Render(cfg, s, &tex, true, constantColour), Render(cfg, s, &tex, false, constantColour))
                        << "texture " << texFormat << " mip " << mipFilter << " blend " << blend;
            }
}

// Minification and magnification of different filter classes over several
// levels stay with the general span.
TEST(FastPaths, MipMappedWithMixedFiltersTakesTheGeneralPath) {
    Sequence seq{5};
    const Texture tex = MipMappedTexture(D3DFMT_A8R8G8B8, seq);
    Config cfg{D3DFMT_A8R8G8B8, D3DTEXF_LINEAR, false, D3DFMT_A8R8G8B8, D3DTOP_MODULATE, D3DTOP_MODULATE, false,
               D3DTADDRESS_WRAP};
    StateBlock s = StatesFor(cfg);
    s.sampler[0][D3DSAMP_MIPFILTER] = D3DTEXF_POINT;
    s.sampler[0][D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    SetFastPathsEnabled(true);
    EXPECT_EQ(PlannedKind(s, &tex, D3DFMT_A8R8G8B8), FastKind::kNone);
}

// Alpha-tested and scaled (MODULATE2X, MODULATE4X) stages with one diffuse
// colour a triangle take the textured span and shade whole rows with the
// row kernels, the alpha test among them unless it passes everything.
TEST(FastPaths, AlphaTestsAndScaledStagesShadeWholeRows) {
    Sequence seq{11};
    const Texture tex = MakeTexture(D3DFMT_A8R8G8B8, seq);
    const uint32_t ops[][2] = {{D3DTOP_MODULATE, D3DTOP_MODULATE},
                               {D3DTOP_MODULATE2X, D3DTOP_MODULATE},
                               {D3DTOP_MODULATE4X, D3DTOP_MODULATE2X},
                               {D3DTOP_SELECTARG1, D3DTOP_MODULATE4X}};
    SetFastPathsEnabled(true);
    for (const auto& op : ops)
        for (int alphaTest = -1; alphaTest < int(std::size(kAlphaTests)); ++alphaTest) {
            const Config cfg = WithAlphaTest({D3DFMT_A8R8G8B8, D3DTEXF_POINT, true, D3DFMT_A8R8G8B8, op[0], op[1],
                                              alphaTest >= 0, D3DTADDRESS_CLAMP},
                                             std::max(alphaTest, 0));
            const StateBlock s = StatesFor(cfg);
            const Planned planned(s, tex, D3DFMT_A8R8G8B8);
            const PixelState& ps = planned.ps;
            const FastPathPlan& plan = planned.plan;
            ASSERT_EQ(plan.kind, FastKind::kTextured);
            EXPECT_EQ(ps.fastStage.alphaTested, cfg.alphaTest && cfg.alphaFunc != D3DCMP_ALWAYS);
            Gradients g;
            g.constantMask = 0xFu << kDiffuseR;
            for (int c = 0; c < 4; ++c) g.attr[kDiffuseR + c].c = 200.0;
            g.attr[kTexcoord0].dx = g.attr[kTexcoord0 + 1].dy = 1.0 / 8.0;
            const RasterContext ctx{&ps, Rect{0, 0, 4, 4}, 0, &plan};
            EXPECT_EQ(SelectSpan(ctx, g), plan.texturedSpan[0]) << "op " << op[0] << " alpha test " << alphaTest;
            EXPECT_TRUE(fast::StageMemo(ps, g).rowShade) << "op " << op[0] << " alpha test " << alphaTest;
        }
}

TEST(FastPaths, OtherStatesTakeTheGeneralPath) {
    Sequence seq{3};
    const Texture tex = MakeTexture(D3DFMT_A8R8G8B8, seq);
    Config cfg{D3DFMT_A8R8G8B8, D3DTEXF_POINT, true, D3DFMT_A8R8G8B8, D3DTOP_MODULATE, D3DTOP_MODULATE, false,
               D3DTADDRESS_CLAMP};
    StateBlock s = StatesFor(cfg);
    SetFastPathsEnabled(true);
    EXPECT_EQ(PlannedKind(s, &tex, D3DFMT_A8R8G8B8), FastKind::kTextured);
    EXPECT_EQ(PlannedKind(s, &tex, D3DFMT_R5G6B5), FastKind::kNone);
    StateBlock glow = s;
    glow.render[D3DRS_SRCBLEND] = D3DBLEND_SRCCOLOR;
    glow.render[D3DRS_DESTBLEND] = D3DBLEND_ONE;
    EXPECT_EQ(PlannedKind(glow, &tex, D3DFMT_A8R8G8B8), FastKind::kNone);
    StateBlock subtract = s;
    subtract.render[D3DRS_BLENDOP] = D3DBLENDOP_REVSUBTRACT;
    EXPECT_EQ(PlannedKind(subtract, &tex, D3DFMT_A8R8G8B8), FastKind::kNone);
    StateBlock twoStages = s;
    twoStages.stage[1][D3DTSS_COLOROP] = D3DTOP_ADD;
    EXPECT_EQ(PlannedKind(twoStages, &tex, D3DFMT_A8R8G8B8), FastKind::kNone);
    StateBlock specular = s;
    specular.stage[0][D3DTSS_COLORARG2] = D3DTA_SPECULAR;
    EXPECT_EQ(PlannedKind(specular, &tex, D3DFMT_A8R8G8B8), FastKind::kNone);
    StateBlock complement = s;
    complement.stage[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE | D3DTA_COMPLEMENT;
    EXPECT_EQ(PlannedKind(complement, &tex, D3DFMT_A8R8G8B8), FastKind::kNone);
    SetFastPathsEnabled(false);
    EXPECT_EQ(PlannedKind(s, &tex, D3DFMT_A8R8G8B8), FastKind::kNone);
    SetFastPathsEnabled(true);
}

}  // namespace
}  // namespace rastertest::fast_path_test
