// The rasterizer's inline texel and pixel conversions agree with the
// device's format table, so drawn, locked and captured pixels never differ.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "d3d9/PixelFormats.h"
#include "d3d9/raster/TexelFormats.h"
#include "d3d9/raster/TextureSampler.h"

namespace {

using namespace raster;

TEST(TexelFormats, SixteenAndEightBitFormatsDecodeAsTheDeviceDoes) {
    const D3DFORMAT formats[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,
                                 D3DFMT_A8, D3DFMT_L8};
    for (D3DFORMAT f : formats) {
        const TexelFetchFn fetch = TexelFetcherFor(f);
        ASSERT_NE(fetch, nullptr) << f;
        const uint32_t count = BytesPerPixel(f) == 2 ? 65536 : 256;
        for (uint32_t v = 0; v < count; ++v) {
            uint8_t bytes[2] = {uint8_t(v), uint8_t(v >> 8)};
            SurfaceView one{f, 1, 1, 2, bytes};
            const uint32_t expected = lumiva::d3d9::DecodePixel(f, bytes);
            ASSERT_EQ(fetch(one, 0, 0), expected) << f << " value " << v;
            ASSERT_EQ(ReadPixel(f, bytes), expected) << f << " value " << v;
        }
    }
}

TEST(TexelFormats, EncodingMatchesTheDevice) {
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                 D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8,       D3DFMT_L8};
    uint32_t colour = 0x12345678;
    for (int i = 0; i < 20000; ++i) {
        colour = colour * 1664525u + 1013904223u;
        for (D3DFORMAT f : formats) {
            uint8_t mine[4] = {}, device[4] = {};
            WritePixel(f, mine, colour);
            lumiva::d3d9::EncodePixel(f, colour, device);
            ASSERT_EQ(0, std::memcmp(mine, device, 4)) << f << " colour " << std::hex << colour;
        }
    }
}

TEST(TexelFormats, BlocksDecodeAsTheDevice) {
    uint32_t seed = 99;
    for (int i = 0; i < 4000; ++i) {
        uint8_t block[16];
        for (uint8_t& b : block) {
            seed = seed * 1664525u + 1013904223u;
            b = uint8_t(seed >> 24);
        }
        if (i % 2) std::swap(block[8], block[10]);  // both orders of the colour endpoints
        for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5}) {
            D3DCOLOR expected[16];
            lumiva::d3d9::DecodeBlock(f, block, expected);
            SurfaceView view{f, 4, 4, f == D3DFMT_DXT1 ? 8 : 16, block};
            const TexelFetchFn fetch = TexelFetcherFor(f);
            for (int t = 0; t < 16; ++t) ASSERT_EQ(fetch(view, t % 4, t / 4), expected[t]) << f << " texel " << t;
        }
    }
}

// Block textures expanded whole, sides not multiples of 4 included: every
// texel as the texel fetch gives it, nothing written past the sides.
TEST(TexelFormats, BlockTexturesExpandAsTheirTexelsDecode) {
    const uint32_t sides[][2] = {{8, 8}, {6, 5}, {2, 1}, {1, 3}};
    uint32_t seed = 7;
    for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5})
        for (const auto& side : sides) {
            const uint32_t across = (side[0] + 3) / 4, down = (side[1] + 3) / 4;
            const int32_t pitch = int32_t(across) * (f == D3DFMT_DXT1 ? 8 : 16);
            std::vector<uint8_t> blocks(size_t(pitch) * down);
            for (uint8_t& b : blocks) {
                seed = seed * 1664525u + 1013904223u;
                b = uint8_t(seed >> 24);
            }
            const SurfaceView view{f, side[0], side[1], pitch, blocks.data()};
            const int32_t outPitch = int32_t(side[0] + 1) * 4;  // one texel of padding a row
            std::vector<uint8_t> out(size_t(outPitch) * side[1], 0xAB);
            ASSERT_TRUE(DecodeToArgb(view, out.data(), outPitch));
            const TexelFetchFn fetch = TexelFetcherFor(f);
            for (uint32_t y = 0; y < side[1]; ++y) {
                for (uint32_t x = 0; x < side[0]; ++x)
                    ASSERT_EQ(Load32(out.data() + y * outPitch + x * 4), fetch(view, int(x), int(y)))
                        << f << " " << side[0] << "x" << side[1] << " texel " << x << "," << y;
                ASSERT_EQ(Load32(out.data() + y * outPitch + side[0] * 4), 0xABABABABu) << f << " row " << y;
            }
        }
}

TEST(TexelFormats, DepthQuantizesAsTheDeviceClears) {
    const D3DFORMAT formats[] = {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D32, D3DFMT_D15S1};
    for (D3DFORMAT f : formats)
        for (float z : {0.0f, 0.1f, 0.25f, 0.5f, 0.7f, 0.999f, 1.0f}) {
            uint8_t device[4] = {};
            lumiva::d3d9::EncodeDepth(f, z, device);
            EXPECT_EQ(QuantizeDepth(f, double(z)), ReadDepth(f, device)) << f << " z " << z;
        }
}

}  // namespace

namespace {

TEST(TexelFormats, BilinearMixRoundsEachChannelOnItsOwn) {
    uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < 200000; ++i) {
        const uint32_t t[4] = {next(), next(), next(), i % 7 == 0 ? 0xFFFFFFFFu : next()};
        const uint32_t fx = next() % 257, fy = (i % 5 == 0) ? 256 : next() % 257;
        const uint32_t w[4] = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
        uint32_t expected = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            uint32_t sum = 0;
            for (int k = 0; k < 4; ++k) sum += ((t[k] >> shift) & 255) * w[k];
            expected |= ((sum + 32768) >> 16) << shift;
        }
        ASSERT_EQ(raster::BilinearMix(t[0], t[1], t[2], t[3], fx, fy), expected) << i;
    }
}

// Levels of detail past every level, infinite or NaN (a bias from any
// float bits) pick the last level instead of converting out of range.
TEST(TexelFormats, ExtremeLevelsOfDetailPickTheLastLevel) {
    TextureView view;
    view.levelCount = 3;
    for (uint32_t l = 0; l < 3; ++l) view.levels[l] = SurfaceView{D3DFMT_A8R8G8B8, 4u >> l, 4u >> l, 16, nullptr};
    SamplerSetup s;
    s.texture = &view;
    s.magFilter = s.minFilter = D3DTEXF_POINT;
    s.needsLod = true;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (uint32_t mip : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        s.mipFilter = mip;
        for (double lod : {3.4e38, inf, nan, 1e300}) {
            const MipPick pick = PickMip(s, lod);
            EXPECT_EQ(pick.level, 2) << mip << " " << lod;
            EXPECT_EQ(pick.weight, 0u) << mip << " " << lod;
        }
        EXPECT_EQ(PickMip(s, -inf).level, 0);
        EXPECT_EQ(PickMip(s, 1.0).level, 1);
    }
    s.mipFilter = D3DTEXF_LINEAR;
    const MipPick between = PickMip(s, 0.25);
    EXPECT_EQ(between.level, 0);
    EXPECT_EQ(between.weight, 64u);
}

}  // namespace
