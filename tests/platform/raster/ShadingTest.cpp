// What colour a covered pixel gets: texture mapping and sampling, the
// texture stages, shading modes, blending, alpha and depth tests, formats.
#include <gtest/gtest.h>

#include "RasterTestKit.h"

namespace rastertest::shading_test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

uint32_t TexelAt(int i, int j) { return 0xFF000000u | uint32_t(i * 60) << 16 | uint32_t(j * 60) << 8 | 0x33u; }

TEST(Shading, QuadOnHalfPixelsMapsTexelsExactlyToPixels) {
    std::vector<uint32_t> texels;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) texels.push_back(TexelAt(i, j));
    const Texture tex = Texture::Argb(4, 4, texels);
    for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        StateBlock s = States2D();
        s.sampler[0][D3DSAMP_MINFILTER] = s.sampler[0][D3DSAMP_MAGFILTER] = filter;
        Target t;
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(9.5f, 9.5f, 13.5f, 13.5f, kWhite), &tex.view);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside = x >= 10 && x <= 13 && y >= 10 && y <= 13;
                EXPECT_EQ(t.At(x, y), inside ? TexelAt(x - 10, y - 10) : kBlack) << filter << " " << x << "," << y;
            }
    }
}

struct StageCase {
    const char* name;
    uint32_t op, arg1, arg2;
    uint32_t texel, diffuse, factor;
    uint32_t expectedRgb;
};

TEST(Shading, StageOperationsRoundAndSaturate) {
    const StageCase cases[] = {
        {"modulate", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF808080, 0xFF808080, 0, 0x404040},
        {"modulate2x", D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF808080, 0xFF808080, 0, 0x818181},
        {"modulate2x saturates", D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFC0C0C0, 0xFFC0C0C0, 0, 0xFFFFFF},
        {"modulate4x", D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF404040, 0xFF404040, 0, 0x404040},
        {"modulate4x saturates", D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF808080, 0xFF808080, 0, 0xFFFFFF},
        {"add", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF706050, 0xFF605040, 0, 0xD0B090},
        {"add saturates", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFA0A0A0, 0xFF808080, 0, 0xFFFFFF},
        {"addsigned", D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF702000, 0xFF603000, 0, 0x500000},
        {"subtract", D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF706070, 0xFF607060, 0, 0x100010},
        {"selectarg1", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF123456, 0xFF654321, 0, 0x123456},
        {"selectarg2", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF123456, 0xFF654321, 0, 0x654321},
        {"tfactor", D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, 0xFF123456, 0xFF654321, 0x00ABCDEF, 0xABCDEF},
        {"blend diffuse alpha", D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR, 0xFFFFFFFF, 0x40000000, 0,
         0x404040},
        {"blend texture alpha", D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x80FFFFFF, 0xFF000000, 0,
         0x808080},
        {"blend factor alpha", D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFFFFFFF, 0xFF000000,
         0xC0000000, 0xC0C0C0},
        {"blend current alpha", D3DTOP_BLENDCURRENTALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR, 0xFFFFFFFF, 0x20000000, 0,
         0x202020},
        {"complement", D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, 0xFF3010F0, 0, 0,
         0xCFEF0F},
        {"alpha replicate", D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE, 0x5A102030, 0, 0,
         0x5A5A5A},
        {"current is diffuse on stage 0", D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE, 0xFF123456, 0xFF0A0B0C, 0,
         0x0A0B0C},
    };
    for (const StageCase& c : cases) {
        const Texture tex = Texture::Argb(1, 1, {c.texel});
        StateBlock s = States2D();
        s.stage[0][D3DTSS_COLOROP] = c.op;
        s.stage[0][D3DTSS_COLORARG1] = c.arg1;
        s.stage[0][D3DTSS_COLORARG2] = c.arg2;
        s.render[D3DRS_TEXTUREFACTOR] = c.factor;
        Target t;
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 16, 16, c.diffuse), &tex.view);
        EXPECT_EQ(t.At(5, 5) & 0x00FFFFFFu, c.expectedRgb) << c.name;
        EXPECT_EQ(t.At(5, 5) >> 24, c.texel >> 24) << c.name << ": alpha is the texture's (SELECTARG1)";
    }
}

TEST(Shading, StagesChainThroughCurrentAndTakeTheirOwnCoordinates) {
    // Stage 0: texture 0 times diffuse; stage 1: plus texture 1 read through
    // coordinate set 1 (TEXCOORDINDEX); stage 2 adds the factor; 3 is off.
    const Texture tex0 = Texture::Argb(2, 1, {0xFF808080, 0xFF404040});
    const Texture tex1 = Texture::Argb(2, 1, {0xFF010203, 0xFF102030});
    StateBlock s = States2D();
    s.stage[1][D3DTSS_COLOROP] = D3DTOP_ADD;
    s.stage[1][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s.stage[1][D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s.stage[1][D3DTSS_TEXCOORDINDEX] = 1;
    s.stage[2][D3DTSS_COLOROP] = D3DTOP_ADD;
    s.stage[2][D3DTSS_COLORARG1] = D3DTA_TFACTOR;
    s.stage[2][D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s.render[D3DRS_TEXTUREFACTOR] = 0x00000100;
    s.stage[3][D3DTSS_COLOROP] = D3DTOP_DISABLE;
    s.stage[4][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;  // after a disabled stage: never runs
    s.stage[4][D3DTSS_COLORARG1] = D3DTA_TFACTOR;
    struct Vtx {
        float x, y, z, rhw;
        uint32_t c;
        float u0, v0, u1, v1;
    };
    // Set 0 reads texel 0 on the left half; set 1 reads texel 1 everywhere.
    const std::vector<Vtx> v = {{0, 0, 0, 1, 0xFF808080, 0, 0, 0.75f, 0.5f},
                                {16, 0, 0, 1, 0xFF808080, 1, 0, 0.75f, 0.5f},
                                {0, 16, 0, 1, 0xFF808080, 0, 1, 0.75f, 0.5f},
                                {16, 16, 0, 1, 0xFF808080, 1, 1, 0.75f, 0.5f}};
    DrawCommand d;
    d.primitiveType = D3DPT_TRIANGLESTRIP;
    d.primitiveCount = 2;
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(v.data()), v.size() * sizeof(Vtx), sizeof(Vtx)};
    d.fvf = 0x244;  // XYZRHW | DIFFUSE | TEX2
    d.textures[0] = &tex0.view;
    d.textures[1] = &tex1.view;
    Target t;
    d.target = t.view;
    d.states = &s;
    ASSERT_EQ(Draw(d), DrawResult::kDrawn);
    // left: 0x80*0x80 -> 0x40, + 0x10/0x20/0x30, + factor 0x01 on green
    EXPECT_EQ(t.At(2, 2) & 0xFFFFFF, 0x506170u);
    // right: 0x40*0x80 -> 0x20
    EXPECT_EQ(t.At(13, 2) & 0xFFFFFF, 0x304150u);
}

TEST(Shading, SpecularIsAddedWhenEnabled) {
    struct Vtx {
        float x, y, z, rhw;
        uint32_t diffuse, specular;
    };
    const std::vector<Vtx> v = {{0, 0, 0, 1, 0xFF808080, 0x00900010},
                                {16, 0, 0, 1, 0xFF808080, 0x00900010},
                                {0, 16, 0, 1, 0xFF808080, 0x00900010}};
    for (bool enabled : {false, true}) {
        StateBlock s = States2D();
        s.render[D3DRS_SPECULARENABLE] = enabled;
        Target t;
        DrawUp(s, t.view, 0xC4, D3DPT_TRIANGLELIST, 1, v);
        EXPECT_EQ(t.At(2, 2), enabled ? 0xFFFF8090u : 0xFF808080u);
    }
    // A stage reads SPECULAR without the add.
    StateBlock s = States2D();
    s.stage[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
    s.stage[0][D3DTSS_COLORARG1] = D3DTA_SPECULAR;
    Target t;
    DrawUp(s, t.view, 0xC4, D3DPT_TRIANGLELIST, 1, v);
    EXPECT_EQ(t.At(2, 2), 0xFF900010u);
}

TEST(Shading, GouraudInterpolatesAndFlatTakesTheFirstVertex) {
    const std::vector<PlainVtx> v = {{0, 0, 0, 1, 0xFF000000}, {15, 0, 0, 1, 0xFFFF0000}, {0, 15, 0, 1, 0xFF00FF00}};
    StateBlock s = States2D();
    s.stage[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG2;
    s.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    Target gouraud;
    DrawUp(s, gouraud.view, kPlainFvf, D3DPT_TRIANGLELIST, 1, v);
    for (int x = 0; x < 15; ++x) EXPECT_EQ(gouraud.At(x, 0), 0xFF000000u | uint32_t(17 * x) << 16) << x;
    EXPECT_EQ(gouraud.At(0, 5), 0xFF000000u | uint32_t(85) << 8);
    EXPECT_EQ(gouraud.At(5, 5), 0xFF000000u | uint32_t(85) << 16 | uint32_t(85) << 8);

    s.render[D3DRS_SHADEMODE] = D3DSHADE_FLAT;
    Target flat;
    DrawUp(s, flat.view, kPlainFvf, D3DPT_TRIANGLELIST, 1, v);
    for (int x = 0; x < 14; ++x) EXPECT_EQ(flat.At(x, 0), 0xFF000000u) << x;
    EXPECT_EQ(flat.At(3, 5), 0xFF000000u);
    const std::vector<PlainVtx> red = {v[1], v[0], v[2]};
    Target flatRed;
    DrawUp(s, flatRed.view, kPlainFvf, D3DPT_TRIANGLELIST, 1, red);
    EXPECT_EQ(flatRed.At(3, 5), 0xFFFF0000u);
}

TEST(Shading, AddressingModes) {
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF, green = 0xFF00FF00;
    const Texture tex = Texture::Argb(2, 1, {red, blue});
    struct Case {
        uint32_t mode;
        std::vector<uint32_t> expected;
    } cases[] = {
        {D3DTADDRESS_WRAP, {red, blue, red, blue, red, blue}},
        {D3DTADDRESS_MIRROR, {blue, red, red, blue, blue, red}},
        {D3DTADDRESS_CLAMP, {red, red, red, blue, blue, blue}},
        {D3DTADDRESS_BORDER, {green, green, red, blue, green, green}},
        {D3DTADDRESS_MIRRORONCE, {blue, red, red, blue, blue, blue}},
    };
    for (const Case& c : cases) {
        StateBlock s = States2D();
        s.sampler[0][D3DSAMP_ADDRESSU] = c.mode;
        s.sampler[0][D3DSAMP_BORDERCOLOR] = green;
        Target t;
        // Six pixels over u = -1..2: texel coordinates -1.5, -0.5, ... 3.5.
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-0.5f, -0.5f, 5.5f, 0.5f, kWhite, -1, 0, 2, 1),
               &tex.view);
        for (int x = 0; x < 6; ++x) EXPECT_EQ(t.At(x, 0), c.expected[size_t(x)]) << c.mode << " at " << x;
    }
}

TEST(Shading, LinearFilterWeighsNeighbours) {
    const Texture tex = Texture::Words(D3DFMT_A4R4G4B4, 2, 1, {0xF000, 0xFFFF});
    StateBlock s = States2D();
    s.sampler[0][D3DSAMP_MINFILTER] = s.sampler[0][D3DSAMP_MAGFILTER] = D3DTEXF_LINEAR;
    s.sampler[0][D3DSAMP_ADDRESSU] = D3DTADDRESS_CLAMP;
    Target t;
    // Pixel 0 samples u = 0.5, halfway between the texel centres.
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-1, 0, 1, 1, kWhite), &tex.view);
    EXPECT_EQ(t.At(0, 0), 0xFF808080u);
}

TEST(Shading, A4R4G4B4TexelsExpandByRepeatingNibbles) {
    const Texture tex = Texture::Words(D3DFMT_A4R4G4B4, 2, 2, {0xF00F, 0x8421, 0x0FFF, 0x1234});
    StateBlock s = States2D();
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-0.5f, -0.5f, 1.5f, 1.5f, kWhite), &tex.view);
    EXPECT_EQ(t.At(0, 0), 0xFF0000FFu);
    EXPECT_EQ(t.At(1, 0), 0x88442211u);
    EXPECT_EQ(t.At(0, 1), 0x00FFFFFFu);
    EXPECT_EQ(t.At(1, 1), 0x11223344u);
}

TEST(Shading, Dxt5BlockDecodesAlphaAndColourPalettes) {
    // Alpha endpoints 255 and 0 (eight-level mode); row 0 uses alpha indices
    // 0, 1, 2, 7 and colour indices 0..3 between red and blue.
    std::vector<uint8_t> block = {255, 0, 0x88, 0x0E, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0};
    Texture tex;
    tex.AddLevel(D3DFMT_DXT5, 4, 4, 16, block);
    StateBlock s = States2D();
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-0.5f, -0.5f, 3.5f, 3.5f, kWhite), &tex.view);
    EXPECT_EQ(t.At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(t.At(1, 0), 0x000000FFu);
    EXPECT_EQ(t.At(2, 0), 0xDBAA0055u);  // alpha (6*255)/7 = 219, colour (2*red + blue)/3
    EXPECT_EQ(t.At(3, 0), 0x245500AAu);  // alpha 255/7 = 36, colour (red + 2*blue)/3
    EXPECT_EQ(t.At(3, 3), 0xFFFF0000u);
}

TEST(Shading, Dxt1ThreeColourBlockHasTransparentBlack) {
    // First endpoint not above the second: index 2 is the average, 3 transparent.
    std::vector<uint8_t> block = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0};
    Texture tex;
    tex.AddLevel(D3DFMT_DXT1, 4, 4, 8, block);
    StateBlock s = States2D();
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-0.5f, -0.5f, 3.5f, 3.5f, kWhite), &tex.view);
    EXPECT_EQ(t.At(0, 0), 0xFF0000FFu);
    EXPECT_EQ(t.At(1, 0), 0xFFFF0000u);
    EXPECT_EQ(t.At(2, 0), 0xFF800080u);
    EXPECT_EQ(t.At(3, 0), 0x00000000u);
}

TEST(Shading, MipLevelsFollowTheMinification) {
    Texture tex;
    tex.AddArgbLevel(4, 4, std::vector<uint32_t>(16, 0xFFFF0000));
    tex.AddArgbLevel(2, 2, std::vector<uint32_t>(4, 0xFF00FF00));
    tex.AddArgbLevel(1, 1, std::vector<uint32_t>(1, 0xFF0000FF));
    struct Case {
        uint32_t mipFilter;
        float size;  // on-screen size of the whole 4x4 texture
        uint32_t expected;
    } cases[] = {
        {D3DTEXF_POINT, 1, 0xFF0000FF},        {D3DTEXF_POINT, 2, 0xFF00FF00}, {D3DTEXF_POINT, 4, 0xFFFF0000},
        {D3DTEXF_POINT, 8, 0xFFFF0000},        {D3DTEXF_NONE, 1, 0xFFFF0000},
        // log2(1.5): 150/256 of the way from level 0 to level 1
        {D3DTEXF_LINEAR, 8.0f / 3.0f, 0xFF6A9500},
    };
    for (const Case& c : cases) {
        StateBlock s = States2D();
        s.sampler[0][D3DSAMP_MIPFILTER] = c.mipFilter;
        Target t;
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-0.5f, -0.5f, c.size - 0.5f, c.size - 0.5f, kWhite),
               &tex.view);
        EXPECT_EQ(t.At(0, 0), c.expected) << c.mipFilter << " size " << c.size;
    }
}

// Projection with w = z and the near plane at z = 1.
Matrix PerspectiveProjection() {
    Matrix p{};
    p.m[0][0] = 1;
    p.m[1][1] = 1;
    p.m[2][2] = 1;
    p.m[2][3] = 1;
    p.m[3][2] = -1;
    return p;
}

TEST(Shading, TiltedQuadIsTexturedInPerspective) {
    // A floor at y = -1 from z = 1 (v = 0) to z = 4 (v = 1). Row py of a
    // 16x16 viewport sees z = 8 / (py - 8), so v = (z - 1) / 3: rows 11..15
    // read texel rows 2, 1, 0, 0, 0 (an affine mapping would read 3, 2, 2, 1, 0).
    std::vector<uint32_t> texels;
    const uint32_t rows[4] = {0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040};
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) texels.push_back(rows[j]);
    const Texture tex = Texture::Argb(4, 4, texels);
    StateBlock s = States2D();
    s.projection = PerspectiveProjection();
    s.sampler[0][D3DSAMP_ADDRESSV] = D3DTADDRESS_CLAMP;
    const std::vector<SceneVtx> floor = {{-1, -1, 4, kWhite, 0, 1}, {1, -1, 4, kWhite, 1, 1},
                                         {-1, -1, 1, kWhite, 0, 0}, {1, -1, 1, kWhite, 1, 0}};
    Target t;
    DrawUp(s, t.view, kSceneFvf, D3DPT_TRIANGLESTRIP, 2, floor, &tex.view);
    EXPECT_EQ(t.At(8, 9), kBlack);
    const uint32_t expected[5] = {rows[2], rows[1], rows[0], rows[0], rows[0]};
    for (int py = 11; py <= 15; ++py) EXPECT_EQ(t.At(8, py), expected[py - 11]) << py;
}

TEST(Shading, BlendFactorPairs) {
    const uint32_t source = 0x80FF8000, dest = 0x400080FF;
    struct Case {
        uint32_t src, dst, expected;
    } cases[] = {
        {D3DBLEND_ZERO, D3DBLEND_ZERO, 0x00000000},         {D3DBLEND_ONE, D3DBLEND_ZERO, 0x80FF8000},
        {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, 0x40FF4000},     {D3DBLEND_INVSRCCOLOR, D3DBLEND_ZERO, 0x40004000},
        {D3DBLEND_SRCALPHA, D3DBLEND_ZERO, 0x40804000},     {D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, 0x407F4000},
        {D3DBLEND_DESTALPHA, D3DBLEND_ZERO, 0x20402000},    {D3DBLEND_INVDESTALPHA, D3DBLEND_ZERO, 0x60BF6000},
        {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0x20004000},    {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 0x60FF4000},
        {D3DBLEND_ZERO, D3DBLEND_ONE, 0x400080FF},          {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0x20004000},
        {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, 0x200040FF},  {D3DBLEND_ZERO, D3DBLEND_SRCALPHA, 0x20004080},
        {D3DBLEND_ZERO, D3DBLEND_INVSRCALPHA, 0x2000407F},  {D3DBLEND_ZERO, D3DBLEND_DESTALPHA, 0x10002040},
        {D3DBLEND_ZERO, D3DBLEND_INVDESTALPHA, 0x300060BF}, {D3DBLEND_ZERO, D3DBLEND_DESTCOLOR, 0x100040FF},
        {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, 0x30004000}, {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x6080807F},
        {D3DBLEND_ONE, D3DBLEND_ONE, 0xC0FFFFFF},
    };
    for (const Case& c : cases) {
        StateBlock s = States2D();
        s.stage[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG2;
        s.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
        s.stage[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG2;
        s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
        s.render[D3DRS_ALPHABLENDENABLE] = 1;
        s.render[D3DRS_SRCBLEND] = c.src;
        s.render[D3DRS_DESTBLEND] = c.dst;
        Target t(16, dest);
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 16, 16, source));
        EXPECT_EQ(t.At(7, 7), c.expected) << "src " << c.src << " dst " << c.dst;
    }
}

TEST(Shading, AlphaTestBoundaries) {
    struct Case {
        uint32_t func;
        bool passes[3];  // alpha 0x7F, 0x80, 0x81 against reference 0x80
    } cases[] = {
        {D3DCMP_NEVER, {false, false, false}},  {D3DCMP_LESS, {true, false, false}},
        {D3DCMP_EQUAL, {false, true, false}},   {D3DCMP_LESSEQUAL, {true, true, false}},
        {D3DCMP_GREATER, {false, false, true}}, {D3DCMP_NOTEQUAL, {true, false, true}},
        {D3DCMP_GREATEREQUAL, {false, true, true}}, {D3DCMP_ALWAYS, {true, true, true}},
    };
    const uint32_t alphas[3] = {0x7F, 0x80, 0x81};
    for (const Case& c : cases) {
        StateBlock s = States2D();
        s.stage[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG2;
        s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
        s.render[D3DRS_ALPHATESTENABLE] = 1;
        s.render[D3DRS_ALPHAFUNC] = c.func;
        s.render[D3DRS_ALPHAREF] = 0x80;
        Target t;
        for (int i = 0; i < 3; ++i)
            DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2,
                   Quad(float(i * 4), 0, float(i * 4 + 4), 4, alphas[i] << 24 | 0x00FFFFFF));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(t.At(i * 4 + 1, 1), c.passes[i] ? (alphas[i] << 24 | 0x00FFFFFF) : kBlack)
                << "func " << c.func << " alpha " << alphas[i];
    }
}

struct DepthFormat {
    D3DFORMAT format;
    int bytes;
};

TEST(Shading, DepthLessAgainstLessEqual) {
    const DepthFormat formats[] = {{D3DFMT_D16, 2}, {D3DFMT_D24S8, 4}, {D3DFMT_D24X8, 4}, {D3DFMT_D32, 4}};
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00;
    for (const DepthFormat& f : formats) {
        for (uint32_t func : {D3DCMP_LESS, D3DCMP_LESSEQUAL}) {
            Surface depth(f.format, 16, 16, f.bytes);
            std::fill(depth.bytes.begin(), depth.bytes.end(), 0xFF);  // far, stencil all ones
            StateBlock s = States2D();
            s.render[D3DRS_ZENABLE] = D3DZB_TRUE;
            s.render[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
            Target t;
            DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 8, 8, red, 0, 0, 1, 1, 0.5f), nullptr,
                   depth.view);
            s.render[D3DRS_ZFUNC] = func;
            DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 8, 8, green, 0, 0, 1, 1, 0.5f), nullptr,
                   depth.view);
            DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(8, 0, 16, 8, green, 0, 0, 1, 1, 0.5f), nullptr,
                   depth.view);
            EXPECT_EQ(t.At(3, 3), func == D3DCMP_LESS ? red : green) << f.format << " func " << func;
            EXPECT_EQ(t.At(12, 3), green) << f.format << ": far depth passes";
            if (f.format == D3DFMT_D24S8) {
                EXPECT_EQ(depth.bytes[0], 0xFF) << "stencil bits kept";
            }
        }
    }
}

TEST(Shading, DepthWritesOnlyWhenEnabledAndAfterTheAlphaTest) {
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00;
    Surface depth(D3DFMT_D16, 16, 16, 2);
    std::fill(depth.bytes.begin(), depth.bytes.end(), 0xFF);
    StateBlock s = States2D();
    s.render[D3DRS_ZENABLE] = D3DZB_TRUE;
    s.render[D3DRS_ZFUNC] = D3DCMP_LESS;
    s.render[D3DRS_ZWRITEENABLE] = 0;
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, red, 0, 0, 1, 1, 0.25f), nullptr, depth.view);
    s.render[D3DRS_ZWRITEENABLE] = 1;
    s.render[D3DRS_ALPHATESTENABLE] = 1;
    s.render[D3DRS_ALPHAFUNC] = D3DCMP_NEVER;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, red, 0, 0, 1, 1, 0.25f), nullptr, depth.view);
    s.render[D3DRS_ALPHATESTENABLE] = 0;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, green, 0, 0, 1, 1, 0.75f), nullptr,
           depth.view);
    EXPECT_EQ(t.At(1, 1), green);
    EXPECT_EQ(depth.At16(1, 1), 49151);  // round(0.75 * 65535)
}

TEST(Shading, ColourWritesIntoEveryTargetFormat) {
    struct Case {
        D3DFORMAT format;
        int bytes;
        std::vector<uint8_t> expected;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 4, {0x40, 0x80, 0xFF, 0x80}}, {D3DFMT_X8R8G8B8, 4, {0x40, 0x80, 0xFF, 0xFF}},
        {D3DFMT_R8G8B8, 3, {0x40, 0x80, 0xFF}},         {D3DFMT_R5G6B5, 2, {0x08, 0xFC}},
        {D3DFMT_X1R5G5B5, 2, {0x08, 0xFE}},             {D3DFMT_A1R5G5B5, 2, {0x08, 0xFE}},
        {D3DFMT_A4R4G4B4, 2, {0x84, 0x8F}},             {D3DFMT_A8, 1, {0x80}},
        {D3DFMT_L8, 1, {0x96}},  // Rec. 709 luma of (FF, 80, 40)
    };
    for (const Case& c : cases) {
        StateBlock s = States2D(4, 4);
        s.stage[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG2;
        s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
        Surface target(c.format, 4, 4, c.bytes);
        ASSERT_EQ(DrawUp(s, target.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, 0x80FF8040)),
                  DrawResult::kDrawn);
        const size_t at = size_t(target.view.pitch) * 2 + size_t(c.bytes) * 2;
        EXPECT_EQ(std::vector<uint8_t>(target.bytes.begin() + ptrdiff_t(at), target.bytes.begin() + ptrdiff_t(at) + c.bytes),
                  c.expected)
            << c.format;
    }
}

TEST(Shading, ColourWriteMaskKeepsChannels) {
    StateBlock s = States2D();
    s.render[D3DRS_COLORWRITEENABLE] = 0x1 | 0x4;  // red and blue
    Target t(16, 0x11223344);
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 16, 16, 0xFFAABBCC));
    EXPECT_EQ(t.At(4, 4), 0x11AA33CCu);
}

}  // namespace
}  // namespace rastertest::shading_test

namespace rastertest::shading_test {
namespace {

TEST(Shading, StencilMasksLaterDrawsOnlyWhenEnabled) {
    Surface depth(D3DFMT_D24S8, 16, 16, 4);  // depth 0, stencil 0
    StateBlock s = States2D();
    s.render[D3DRS_STENCILENABLE] = 1;
    s.render[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    s.render[D3DRS_STENCILPASS] = D3DSTENCILOP_REPLACE;
    s.render[D3DRS_STENCILREF] = 5;
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 8, 16, 0xFFFF0000), nullptr, depth.view);
    EXPECT_EQ(depth.bytes[size_t(3 * depth.view.pitch + 2 * 4)], 5);  // stencil of (2, 3)
    EXPECT_EQ(depth.bytes[size_t(3 * depth.view.pitch + 12 * 4)], 0);

    s.render[D3DRS_STENCILFUNC] = D3DCMP_EQUAL;
    s.render[D3DRS_STENCILPASS] = D3DSTENCILOP_INCRSAT;
    s.render[D3DRS_STENCILFAIL] = D3DSTENCILOP_INVERT;
    s.render[D3DRS_STENCILWRITEMASK] = 0x0F;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 16, 16, 0xFF00FF00), nullptr, depth.view);
    EXPECT_EQ(t.At(2, 3), 0xFF00FF00u);
    EXPECT_EQ(t.At(12, 3), 0xFF000000u);
    EXPECT_EQ(depth.bytes[size_t(3 * depth.view.pitch + 2 * 4)], 6);     // incremented
    EXPECT_EQ(depth.bytes[size_t(3 * depth.view.pitch + 12 * 4)], 0x0F);  // inverted under the write mask

    s.render[D3DRS_STENCILENABLE] = 0;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 16, 16, 0xFF0000FF), nullptr, depth.view);
    EXPECT_EQ(t.At(12, 3), 0xFF0000FFu);
    EXPECT_EQ(depth.bytes[size_t(3 * depth.view.pitch + 12 * 4)], 0x0F);
}

TEST(Shading, StencilDepthFailAndAlphaTestRejection) {
    Surface depth(D3DFMT_D24S8, 16, 16, 4);
    for (size_t i = 0; i < depth.bytes.size(); i += 4) depth.bytes[i + 3] = 0x40;  // depth 0x40xxxx, stencil 0
    StateBlock s = States2D();
    s.render[D3DRS_ZENABLE] = D3DZB_TRUE;
    s.render[D3DRS_ZFUNC] = D3DCMP_LESS;
    s.render[D3DRS_STENCILENABLE] = 1;
    s.render[D3DRS_STENCILZFAIL] = D3DSTENCILOP_REPLACE;
    s.render[D3DRS_STENCILPASS] = D3DSTENCILOP_INCR;
    s.render[D3DRS_STENCILREF] = 9;
    Target t;
    // z 0.5 lies behind the stored 0.25: depth fails, stencil takes REPLACE.
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, 0xFFFFFFFF, 0, 0, 1, 1, 0.5f), nullptr,
           depth.view);
    EXPECT_EQ(depth.bytes[0], 9);
    EXPECT_EQ(t.At(1, 1), 0xFF000000u);
    // In front: passes, INCR.
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, 0xFFFFFFFF, 0, 0, 1, 1, 0.0f), nullptr,
           depth.view);
    EXPECT_EQ(depth.bytes[0], 10);
    // An alpha-test reject leaves stencil and depth alone.
    s.render[D3DRS_ALPHATESTENABLE] = 1;
    s.render[D3DRS_ALPHAFUNC] = D3DCMP_NEVER;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, 0xFFFFFFFF, 0, 0, 1, 1, 0.0f), nullptr,
           depth.view);
    EXPECT_EQ(depth.bytes[0], 10);
}

}  // namespace
}  // namespace rastertest::shading_test
