// The vector row kernels against the scalar ones, and the sprite spans that
// use them against the general span, at every instruction-set level the
// processor runs: byte for byte.
#include <gtest/gtest.h>

#include <iterator>
#include <utility>
#include <vector>

#include "RasterTestKit.h"
#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/TexelFormats.h"

namespace rastertest {
namespace {

struct Lcg {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state;
    }
};

// Pixels whose alphas come in runs of all clear, all opaque and mixed, so
// the kernels' whole-group shortcuts and their arithmetic both run.
std::vector<uint32_t> Pixels(uint32_t seed, int n) {
    Lcg lcg{seed};
    std::vector<uint32_t> out(size_t(n) + 1);  // one more, to start unaligned
    for (int i = 0; i <= n; ++i) {
        const uint32_t colour = lcg.Next() & 0x00FFFFFFu;
        const int run = (i / 8) % 3;
        const uint32_t alpha = run == 0 ? 0 : run == 1 ? 255 : (lcg.Next() >> 24);
        out[size_t(i)] = alpha << 24 | colour;
    }
    return out;
}

std::vector<SimdLevel> VectorLevels() {
    std::vector<SimdLevel> levels;
    for (SimdLevel l : {SimdLevel::kSse2, SimdLevel::kAvx2})
        if (SimdLevelSupported(l)) levels.push_back(l);
    return levels;
}

struct LevelGuard {
    SimdLevel restore = ActiveSimdLevel();
    ~LevelGuard() { SetSimdLevel(restore); }
};

TEST(RowKernels, BlendsMatchTheScalarKernelsForEveryModeTargetAndLength) {
    const RowKernels& scalar = ScalarRowKernels();
    for (SimdLevel level : VectorLevels()) {
        const RowKernels& vector = RowKernelsFor(level);
        for (int mode = 0; mode < kFastBlendCount; ++mode)
            for (int x = 0; x < 2; ++x)
                for (int n : {0, 1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 64, 67})
                    for (int offset : {0, 1}) {
                        const std::vector<uint32_t> src = Pixels(uint32_t(n * 31 + mode), n);
                        std::vector<uint32_t> expected = Pixels(uint32_t(n * 77 + 5), n), got = expected;
                        scalar.blend[mode][x](expected.data() + offset, src.data() + 1 - offset, n);
                        vector.blend[mode][x](got.data() + offset, src.data() + 1 - offset, n);
                        EXPECT_EQ(got, expected) << "level " << int(level) << " mode " << mode << " x " << x << " n " << n;
                    }
    }
}

TEST(RowKernels, FlatShadesMatchTheScalarKernel) {
    const FlatShade shades[] = {
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0},           // texture as it is
        {0x80FF4010u, 0xFFFFFFFFu, 0},           // modulate every channel
        {0xFFFFFFFFu, 0xFF000000u, 0x00123456u},  // colour from diffuse, alpha from texture
        {0xFF804020u, 0x00FFFFFFu, 0x7F000000u},  // alpha from diffuse
        {0x00000000u, 0xFFFFFFFFu, 0},           // modulate by black
        {0xC0FF80FFu, 0xFFFFFFFFu, 0, 0x00FFFFFFu, 0},             // MODULATE2X colour
        {0x80FF4010u, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0x00FFFFFFu},   // MODULATE4X colour, 2X alpha
        {0xFF804020u, 0x00FFFFFFu, 0x7F000000u, 0x00FFFFFFu, 0x00FFFFFFu},  // 4X colour, diffuse alpha
        {0x40FFFFFFu, 0xFF000000u, 0x00123456u, 0xFF000000u, 0xFF000000u},  // diffuse colour, 4X alpha
    };
    const RowKernels& scalar = ScalarRowKernels();
    for (SimdLevel level : VectorLevels())
        for (const FlatShade& shade : shades)
            for (bool scaledKernel : {false, true}) {
                if (!scaledKernel && shade.doubled) continue;  // the plain shade has no scaled channels
                const ShadeRowFn expectedShade = scaledKernel ? scalar.shadeScaled : scalar.shade;
                const ShadeRowFn vectorShade = scaledKernel ? RowKernelsFor(level).shadeScaled : RowKernelsFor(level).shade;
                for (int n : {1, 4, 6, 8, 13, 64}) {
                    const std::vector<uint32_t> in = Pixels(uint32_t(n), n);
                    std::vector<uint32_t> expected(in.size()), got(in.size()), inPlace = in;
                    expectedShade(expected.data(), in.data(), n, shade);
                    vectorShade(got.data(), in.data(), n, shade);
                    vectorShade(inPlace.data(), inPlace.data(), n, shade);
                    EXPECT_EQ(got, expected) << "level " << int(level) << " factor " << shade.factor << " scaled "
                                             << shade.doubled << " n " << n;
                    expected.back() = in.back();  // a shade in place keeps what lies past the run
                    EXPECT_EQ(inPlace, expected) << "level " << int(level) << " in place, n " << n;
                }
            }
}

// Every texel channel against every factor, blue and red scaled by 4, green
// and alpha by 2: the stage's ScaledProduct, saturation included.
TEST(RowKernels, ScaledShadesAreTheStagesScaledProducts) {
    std::vector<uint32_t> in(256);
    for (uint32_t t = 0; t < 256; ++t) in[t] = t * 0x01010101u;
    for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse2, SimdLevel::kAvx2}) {
        if (!SimdLevelSupported(level)) continue;
        for (uint32_t f = 0; f < 256; ++f) {
            const FlatShade shade{f * 0x01010101u, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0x00FF00FFu};
            std::vector<uint32_t> out(256);
            RowKernelsFor(level).shadeScaled(out.data(), in.data(), 256, shade);
            for (int32_t t = 0; t < 256; ++t) {
                const uint32_t four = uint32_t(ScaledProduct(t, int32_t(f), 4)),
                               two = uint32_t(ScaledProduct(t, int32_t(f), 2));
                ASSERT_EQ(out[size_t(t)], two << 24 | four << 16 | two << 8 | four)
                    << "level " << int(level) << " texel " << t << " factor " << f;
            }
        }
    }
}

// Every comparison function (and values past them, which pass all) at the
// ends and the middle of the alpha range; each pixel kept or replaced by its
// blended value as CompareFunc decides, at every level and length.
TEST(RowKernels, AlphaTestKeepsWhatFailsAndTakesWhatPasses) {
    for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse2, SimdLevel::kAvx2}) {
        if (!SimdLevelSupported(level)) continue;
        const RowKernels& kernels = RowKernelsFor(level);
        for (uint32_t func = 0; func <= 9; ++func)
            for (int32_t reference : {0, 0x80, 255})
                for (int n : {0, 1, 3, 4, 5, 8, 9, 17, 64}) {
                    std::vector<uint32_t> src = Pixels(uint32_t(n * 13 + func), n);
                    for (size_t i = 0; i < src.size(); i += 5) src[i] = uint32_t(reference) << 24 | (src[i] & 0xFFFFFFu);
                    const std::vector<uint32_t> blended = Pixels(uint32_t(n * 7 + 1), n), before = Pixels(99, n);
                    std::vector<uint32_t> got = before;
                    kernels.alphaTested(got.data(), blended.data(), src.data(), n, AlphaTestMasksOf(func, reference));
                    for (size_t i = 0; i < got.size(); ++i) {
                        const bool inRun = i < size_t(n);
                        const bool passes = CompareFunc(func, src[i] >> 24, uint32_t(reference));
                        ASSERT_EQ(got[i], inRun && passes ? blended[i] : before[i])
                            << "level " << int(level) << " func " << func << " reference " << reference << " n " << n
                            << " pixel " << i;
                    }
                }
    }
}

TEST(RowKernels, A4R4G4B4DecodesEveryTexelAsTheFetchDoes) {
    std::vector<uint16_t> all(65536 + 1);
    for (uint32_t v = 0; v < 65536; ++v) all[v] = uint16_t(v);
    for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse2, SimdLevel::kAvx2}) {
        if (!SimdLevelSupported(level)) continue;
        for (int offset : {0, 1}) {  // 2-byte aligned and odd texel starts
            std::vector<uint32_t> out(65536);
            const int n = 65536 - offset;
            RowKernelsFor(level).decodeA4R4G4B4(out.data(), reinterpret_cast<const uint8_t*>(all.data() + offset), n);
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(out[size_t(i)], DecodeA4R4G4B4(uint32_t(i + offset))) << "level " << int(level) << " " << i;
        }
    }
}

TEST(RowKernels, ALevelTheProcessorLacksIsLoweredAndScalarIsAlwaysThere) {
    LevelGuard guard;
    SetSimdLevel(SimdLevel::kScalar);
    EXPECT_EQ(ActiveSimdLevel(), SimdLevel::kScalar);
    EXPECT_EQ(&ActiveRowKernels(), &ScalarRowKernels());
    SetSimdLevel(SimdLevel::kAvx2);
    EXPECT_EQ(ActiveSimdLevel(), SimdLevelSupported(SimdLevel::kAvx2) ? SimdLevel::kAvx2 : SimdLevel::kSse2);
}

// Sprite spans over a table of states, drawn by the general span and by the
// fast spans at every level.
struct SpriteCase {
    D3DFORMAT texture;
    uint32_t filter;
    uint32_t srcBlend, destBlend;  // ZERO / ZERO: blending off
    D3DFORMAT target;
    uint32_t colorOp, alphaOp;
    uint32_t diffuse;
    uint32_t address;
    uint32_t alphaFunc;  // 0: no alpha test
    uint32_t alphaRef;
};

// Alpha tests the sprite table cycles through: off, every function, the
// reference at the ends and the middle.
constexpr uint32_t kAlphaTests[][2] = {{0, 0},
                                       {D3DCMP_NEVER, 0x80},
                                       {D3DCMP_LESS, 0x80},
                                       {D3DCMP_EQUAL, 255},
                                       {D3DCMP_LESSEQUAL, 0},
                                       {D3DCMP_GREATER, 0},
                                       {D3DCMP_NOTEQUAL, 255},
                                       {D3DCMP_GREATEREQUAL, 0x80},
                                       {D3DCMP_ALWAYS, 255},
                                       {D3DCMP_GREATER, 255},
                                       {D3DCMP_LESS, 0}};

Texture SpriteTexture(D3DFORMAT format, uint32_t seed) {
    Lcg lcg{seed};
    if (format == D3DFMT_A4R4G4B4 || format == D3DFMT_R5G6B5 || format == D3DFMT_A1R5G5B5) {
        std::vector<uint16_t> texels(32 * 32);
        for (uint16_t& t : texels) t = uint16_t(lcg.Next() >> 16);
        return Texture::Words(format, 32, 32, texels);
    }
    if (format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5) {
        const int blockBytes = format == D3DFMT_DXT1 ? 8 : 16;  // 8 x 8 blocks
        std::vector<uint8_t> blocks(size_t(64 * blockBytes));
        for (uint8_t& b : blocks) b = uint8_t(lcg.Next() >> 24);
        Texture t;
        t.AddLevel(format, 32, 32, 8 * blockBytes, blocks);
        return t;
    }
    std::vector<uint32_t> texels = Pixels(seed, 32 * 32 - 1);
    return Texture::Argb(32, 32, texels, format);
}

std::vector<uint8_t> DrawSprites(const SpriteCase& c, const Texture& tex) {
    StateBlock s = States2D(48, 48);
    s.stage[0][D3DTSS_COLOROP] = c.colorOp;
    s.stage[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    s.stage[0][D3DTSS_ALPHAOP] = c.alphaOp;
    s.stage[0][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
    s.sampler[0][D3DSAMP_MINFILTER] = s.sampler[0][D3DSAMP_MAGFILTER] = c.filter;
    s.render[D3DRS_ALPHABLENDENABLE] = c.srcBlend != D3DBLEND_ZERO || c.destBlend != D3DBLEND_ZERO;
    s.render[D3DRS_SRCBLEND] = c.srcBlend;
    s.render[D3DRS_DESTBLEND] = c.destBlend;
    s.sampler[0][D3DSAMP_ADDRESSU] = s.sampler[0][D3DSAMP_ADDRESSV] = c.address;
    s.render[D3DRS_ALPHATESTENABLE] = c.alphaFunc != 0;
    s.render[D3DRS_ALPHAFUNC] = c.alphaFunc;
    s.render[D3DRS_ALPHAREF] = c.alphaRef;
    Target t(48, 0x80402010u, c.target);
    Lcg place{9};
    for (int i = 0; i < 10; ++i) {
        // Whole-texel windows at whole and half pixels, at scale 1 and 2,
        // some cut by the target's edges.
        const int w = 1 + int(place.Next() >> 27), h = 1 + int(place.Next() >> 27);
        const float half = (i % 2) ? 0.5f : 0.0f;
        const float x = float(int(place.Next() >> 26) - 8) - half, y = float(int(place.Next() >> 26) - 8) - half;
        const float scale = (i % 3 == 2) ? 2.0f : 1.0f;
        float u0 = float(place.Next() >> 29) / 32.0f, v0 = float(place.Next() >> 29) / 32.0f;
        float u1 = u0 + float(w) / 32.0f, v1 = v0 + float(h) / 32.0f;
        // Mirrored windows: coordinates that fall across and down the quad.
        if (i % 4 == 3) std::swap(v0, v1);
        if (i % 5 == 4) std::swap(u0, u1);
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2,
               Quad(x, y, x + float(w) * scale, y + float(h) * scale, c.diffuse, u0, v0, u1, v1), &tex.view);
    }
    // Tiled: whole texels from outside the texture, one a pixel and
    // magnified, across the target's edge.
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2,
           Quad(-4.5f, 3.5f, 43.5f, 20.5f, c.diffuse, -5.0f / 32.0f, 35.0f / 32.0f, 43.0f / 32.0f, 1.625f),
           &tex.view);
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2,
           Quad(2.5f, 24.5f, 46.5f, 52.5f, c.diffuse, -0.5f, 0.25f, 0.1875f, 0.6875f), &tex.view);
    return t.bytes;
}

TEST(RowKernels, SpriteSpansMatchTheGeneralPathAtEveryLevel) {
    BothPaths paths;
    LevelGuard guard;
    const uint32_t blends[][2] = {{D3DBLEND_ZERO, D3DBLEND_ZERO},   {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                  {D3DBLEND_ONE, D3DBLEND_ONE},     {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                                  {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR}};
    const uint32_t ops[][2] = {{D3DTOP_MODULATE, D3DTOP_MODULATE},   {D3DTOP_SELECTARG1, D3DTOP_SELECTARG1},
                               {D3DTOP_SELECTARG2, D3DTOP_MODULATE}, {D3DTOP_MODULATE, D3DTOP_SELECTARG2},
                               {D3DTOP_MODULATE2X, D3DTOP_MODULATE}, {D3DTOP_MODULATE4X, D3DTOP_MODULATE2X},
                               {D3DTOP_SELECTARG1, D3DTOP_MODULATE4X}};
    int cases = 0;
    for (D3DFORMAT texture : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5,
                              D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5})
        for (uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
            for (const auto& blend : blends)
                for (D3DFORMAT target : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8})
                    for (const auto& op : ops)
                        for (uint32_t diffuse : {0xFFFFFFFFu, 0xC08040FFu}) {
                            const uint32_t address = cases % 3 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
                            const auto& test = kAlphaTests[size_t(cases) % std::size(kAlphaTests)];
                            const SpriteCase c{texture, filter, blend[0], blend[1], target, op[0],  op[1],
                                               diffuse, address, test[0], test[1]};
                            const Texture tex = SpriteTexture(texture, uint32_t(++cases));
                            SetFastPathsEnabled(false);
                            const std::vector<uint8_t> general = DrawSprites(c, tex);
                            SetFastPathsEnabled(true);
                            for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse2, SimdLevel::kAvx2}) {
                                if (!SimdLevelSupported(level)) continue;
                                SetSimdLevel(level);
                                ASSERT_EQ(DrawSprites(c, tex), general)
                                    << "texture " << texture << " filter " << filter << " blend " << blend[0] << "/"
                                    << blend[1] << " target " << target << " ops " << op[0] << "/" << op[1]
                                    << " diffuse " << diffuse << " address " << address << " alpha test "
                                    << test[0] << "/" << test[1] << " level " << int(level);
                            }
                        }
}

}  // namespace
}  // namespace rastertest
