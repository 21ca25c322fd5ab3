// A texture stage with no texture bound: where its colour (alpha) operation
// reads TEXTURE in any argument, the stage passes its incoming colour
// (alpha) through, as SELECTARG1 CURRENT would; on stage 0 that is the
// diffuse colour. The rule holds on the general path, the fast spans and
// every vector width of the row kernels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RasterTestKit.h"
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/RowKernels.h"

namespace rastertest::stage_without_texture_test {
namespace {

constexpr uint32_t kDiffuse = 0x40336699u;
constexpr uint32_t kFactor = 0x80C0A020u;
constexpr uint32_t kRed = 0xFFFF0000u;

struct StageOps {
    uint32_t colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
};

void SetStage(StateBlock& s, int stage, const StageOps& ops) {
    s.stage[stage][D3DTSS_COLOROP] = ops.colorOp;
    s.stage[stage][D3DTSS_COLORARG1] = ops.colorArg1;
    s.stage[stage][D3DTSS_COLORARG2] = ops.colorArg2;
    s.stage[stage][D3DTSS_ALPHAOP] = ops.alphaOp;
    s.stage[stage][D3DTSS_ALPHAARG1] = ops.alphaArg1;
    s.stage[stage][D3DTSS_ALPHAARG2] = ops.alphaArg2;
}

// The draw as the stages see it once folded into the pixel state.
PixelState PixelStateOf(const StateBlock& s, const TextureView* texture0) {
    Target t(4);
    DrawCommand d;
    d.states = &s;
    d.target = t.view;
    d.textures[0] = texture0;
    PixelState ps;
    EXPECT_TRUE(BuildPixelState(d, ps));
    return ps;
}

// A 16 x 16 quad in one colour, or with one corner a level redder so the
// diffuse colour is not constant and the gouraud spans run.
std::vector<ScreenVtx> QuadOf(uint32_t colour, bool gouraud) {
    std::vector<ScreenVtx> quad = Quad(0, 0, 16, 16, colour);
    if (gouraud) quad[3].color = colour + 0x00010000u;
    return quad;
}

struct SimdLevelGuard {
    SimdLevel restore = ActiveSimdLevel();
    ~SimdLevelGuard() { SetSimdLevel(restore); }
};

std::vector<SimdLevel> SupportedLevels() {
    std::vector<SimdLevel> levels;
    for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse2, SimdLevel::kAvx2})
        if (SimdLevelSupported(level)) levels.push_back(level);
    return levels;
}

bool WithinOnePerChannel(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16}) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        if (d < -1 || d > 1) return false;
    }
    return true;
}

struct PassCase {
    const char* name;
    StageOps stage0;
    StageOps stage1;  // colorOp DISABLE: one stage only
    uint32_t expected;
};

constexpr StageOps kOneStage{D3DTOP_DISABLE, 0, 0, D3DTOP_DISABLE, 0, 0};
// Stage 0 hands stage 1 the texture factor, so stage 1's incoming colour
// differs from the diffuse.
constexpr StageOps kFactorStage{D3DTOP_SELECTARG1, D3DTA_TFACTOR, 0, D3DTOP_SELECTARG1, D3DTA_TFACTOR, 0};

TEST(StageWithoutTexture, PassesTheIncomingColourAndAlphaWhereTheOperationReadsTheTexture) {
    const PassCase cases[] = {
        {"defaults: modulate texture by current, alpha the texture's",
         {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 0}, kOneStage, kDiffuse},
        {"selectarg1 texture",
         {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TFACTOR},
         kOneStage, kDiffuse},
        {"modulate2x texture by the factor, not twice the factor",
         {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_TFACTOR},
         kOneStage, kDiffuse},
        {"texture as the second argument of an add",
         {D3DTOP_ADD, D3DTA_TFACTOR, D3DTA_TEXTURE, D3DTOP_SUBTRACT, D3DTA_TFACTOR, D3DTA_TEXTURE}, kOneStage,
         kDiffuse},
        {"texture alpha read by the operation itself",
         {D3DTOP_BLENDTEXTUREALPHA, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, 0}, kOneStage,
         kDiffuse},
        {"modifiers of the texture argument are not applied",
         {D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, 0, D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT,
          0},
         kOneStage, kDiffuse},
        {"an argument the operation does not read changes nothing",
         {D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 0}, kOneStage,
         0x40C0A020u},
        {"colour and alpha apart: the alpha passes, the colour keeps its operation",
         {D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_TFACTOR}, kOneStage,
         0x40264013u},
        {"stage 1 passes what stage 0 made, not the diffuse",
         kFactorStage, {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE},
         kFactor},
        {"stage 1 adding the texture to current",
         kFactorStage, {D3DTOP_ADD, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TEXTURE},
         kFactor},
        {"stage 1 alpha passes while its colour selects the diffuse",
         kFactorStage, {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TEXTURE},
         0x80336699u},
    };
    BothPaths guard;
    for (const PassCase& c : cases)
        for (bool fast : {false, true}) {
            SetFastPathsEnabled(fast);
            StateBlock s = States2D();
            SetStage(s, 0, c.stage0);
            SetStage(s, 1, c.stage1);
            s.render[D3DRS_TEXTUREFACTOR] = kFactor;
            Target t;
            DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, QuadOf(kDiffuse, false));
            EXPECT_EQ(t.At(5, 5), c.expected) << c.name << (fast ? " (fast)" : " (general)");
        }
}

TEST(StageWithoutTexture, ATextureOnALaterStageIsStillRead) {
    // Stage 0 has none and passes the diffuse; stage 1 modulates it by its
    // texel (half grey, opaque).
    const Texture tex = Texture::Argb(1, 1, {0xFF808080u});
    StateBlock s = States2D();
    SetStage(s, 1, {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT});
    const std::vector<ScreenVtx> quad = QuadOf(kDiffuse, false);
    DrawCommand d;
    d.primitiveType = D3DPT_TRIANGLESTRIP;
    d.primitiveCount = 2;
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(quad.data()), quad.size() * sizeof(ScreenVtx),
                              uint32_t(sizeof(ScreenVtx))};
    d.fvf = kScreenFvf;
    d.textures[1] = &tex.view;
    Target t;
    d.target = t.view;
    d.states = &s;
    ASSERT_EQ(Draw(d), DrawResult::kDrawn);
    EXPECT_EQ(t.At(5, 5), 0x401A334Du);
}

// The shell's usual stage (colour MODULATE texture by diffuse, alpha
// SELECTARG1 texture) and one that selects the texture's colour: with no
// texture both give the vertex colour and alpha, so a quarter-opaque green
// blends over red instead of covering it.
TEST(StageWithoutTexture, UntexturedQuadsBlendWithTheVertexAlphaOnEveryPathAndLevel) {
    BothPaths guard;
    SimdLevelGuard levelGuard;
    for (SimdLevel level : SupportedLevels())
        for (uint32_t colorOp : {D3DTOP_MODULATE, D3DTOP_SELECTARG1})
            for (bool gouraud : {false, true}) {
                SetSimdLevel(level);
                StateBlock s = States2D();
                SetStage(s, 0, {colorOp, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE});
                s.render[D3DRS_ALPHABLENDENABLE] = 1;
                s.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
                s.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
                SetFastPathsEnabled(true);
                PixelState ps = PixelStateOf(s, nullptr);
                ASSERT_EQ(PlanFastPath(ps).kind, FastKind::kConstant);
                std::vector<uint8_t> images[2];
                for (bool fast : {false, true}) {
                    SetFastPathsEnabled(fast);
                    Target t(16, kRed);
                    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, QuadOf(0x4000FF00u, gouraud));
                    const std::string where = "level " + std::to_string(int(level)) + " op " +
                                              std::to_string(colorOp) + (gouraud ? " gouraud" : " flat") +
                                              (fast ? " fast" : " general");
                    EXPECT_PRED2(WithinOnePerChannel, t.At(2, 2), 0x00BF4000u) << where << std::hex << " " << t.At(2, 2);
                    images[fast] = t.bytes;
                }
                EXPECT_EQ(images[0], images[1]) << "level " << int(level) << " op " << colorOp;
            }
}

// Without a texture the alpha test compares the vertex alpha (0x80 here),
// not an opaque texel.
TEST(StageWithoutTexture, TheAlphaTestComparesTheVertexAlpha) {
    const struct {
        uint32_t func;
        bool drawn;
    } cases[] = {{D3DCMP_LESS, true}, {D3DCMP_LESSEQUAL, true}, {D3DCMP_GREATEREQUAL, false}, {D3DCMP_GREATER, false}};
    BothPaths guard;
    SimdLevelGuard levelGuard;
    for (SimdLevel level : SupportedLevels())
        for (const auto& c : cases)
            for (bool blend : {false, true})
                for (bool gouraud : {false, true})
                    for (bool fast : {false, true}) {
                        SetSimdLevel(level);
                        SetFastPathsEnabled(fast);
                        StateBlock s = States2D();  // alpha SELECTARG1 texture
                        s.render[D3DRS_ALPHATESTENABLE] = 1;
                        s.render[D3DRS_ALPHAFUNC] = c.func;
                        s.render[D3DRS_ALPHAREF] = 0x90;
                        s.render[D3DRS_ALPHABLENDENABLE] = blend;
                        s.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
                        s.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
                        Target t(16, kRed);
                        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, QuadOf(0x8000FF00u, gouraud));
                        EXPECT_EQ(t.At(2, 2) != kRed, c.drawn)
                            << "func " << c.func << " level " << int(level) << " blend " << blend << " gouraud "
                            << gouraud << " fast " << fast;
                    }
}

// Once per draw, in the pixel state: the stage every span reads has no
// texture argument left, needs no texture coordinates and plans as a
// constant span; a bound texture keeps the stage as it was set.
TEST(StageWithoutTexture, ThePixelStateHoldsTheStageAsItRuns) {
    StateBlock s = States2D();
    SetStage(s, 0, {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TFACTOR});
    const uint32_t texcoords = 3u << kTexcoord0;

    PixelState bare = PixelStateOf(s, nullptr);
    const StageSetup& passed = bare.stages[0];
    EXPECT_EQ(passed.colorOp, uint32_t(D3DTOP_SELECTARG1));
    EXPECT_EQ(passed.colorArg1, uint32_t(D3DTA_CURRENT));
    EXPECT_EQ(passed.alphaOp, uint32_t(D3DTOP_MODULATE)) << "the alpha reads no texture and keeps its operation";
    EXPECT_EQ(passed.alphaArg2, uint32_t(D3DTA_TFACTOR));
    EXPECT_FALSE(passed.readsTexture);
    EXPECT_EQ(bare.attributeMask & texcoords, 0u);
    BothPaths guard;
    SetFastPathsEnabled(true);
    EXPECT_EQ(PlanFastPath(bare).kind, FastKind::kConstant);

    const Texture tex = Texture::Argb(1, 1, {0xFF808080u});
    const PixelState textured = PixelStateOf(s, &tex.view);
    EXPECT_EQ(textured.stages[0].colorOp, uint32_t(D3DTOP_MODULATE2X));
    EXPECT_EQ(textured.stages[0].colorArg1, uint32_t(D3DTA_TEXTURE));
    EXPECT_TRUE(textured.stages[0].readsTexture);
    EXPECT_EQ(textured.attributeMask & texcoords, texcoords);
}

}  // namespace
}  // namespace rastertest::stage_without_texture_test
