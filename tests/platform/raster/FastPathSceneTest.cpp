// Perspective scenes with depth, mip levels and vector widths: the scene
// spans against the general one.
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
