// The specialised spans against the general one: the same scenes drawn both
// ways must match byte for byte, and the scenes must take the fast plans.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "FastPathKit.h"
#include "RasterTestKit.h"
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/TexturedSpans.h"

namespace rastertest::fast_path_test {
namespace {

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

}  // namespace
}  // namespace rastertest::fast_path_test
