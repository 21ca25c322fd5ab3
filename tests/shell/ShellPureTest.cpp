// Device-side rules that need no device: mode order, texture sizes, depth
// fallbacks, budget tiers, card names, format choice and record layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/SkinningShaders.h"
#include "shell/VideoPolicy.h"

namespace {

TEST(RoundUpTextureSize, PowersOfTwoFromEightToOneKilo) {
    const struct {
        int n;
        int expected;
    } cases[] = {{-1, 0},    {0, 8},     {1, 8},     {8, 8},      {9, 16},      {16, 16},  {17, 32},
                 {255, 256}, {256, 256}, {257, 512}, {513, 1024}, {1024, 1024}, {1025, 0}, {1 << 30, 0}};
    for (const auto& c : cases) EXPECT_EQ(KD3DShell::RoundUpTextureSize(c.n), c.expected) << c.n;
}

TEST(CompareDisplayModes, FormatThenWidthThenHeight) {
    std::vector<KD3DModeInfo> modes = {
        {1024, 768, D3DFMT_R5G6B5, 0}, {800, 600, D3DFMT_X8R8G8B8, 0}, {1024, 600, D3DFMT_X8R8G8B8, 0},
        {640, 480, D3DFMT_R5G6B5, 0},  {800, 480, D3DFMT_X8R8G8B8, 0}, {800, 600, D3DFMT_A8R8G8B8, 0},
    };
    std::sort(modes.begin(), modes.end(), KD3DShell::CompareDisplayModes);
    const KD3DModeInfo expected[] = {
        {800, 600, D3DFMT_A8R8G8B8, 0},  {800, 480, D3DFMT_X8R8G8B8, 0}, {800, 600, D3DFMT_X8R8G8B8, 0},
        {1024, 600, D3DFMT_X8R8G8B8, 0}, {640, 480, D3DFMT_R5G6B5, 0},   {1024, 768, D3DFMT_R5G6B5, 0},
    };
    ASSERT_EQ(modes.size(), std::size(expected));
    for (size_t i = 0; i < modes.size(); ++i) {
        EXPECT_EQ(modes[i].Width, expected[i].Width) << i;
        EXPECT_EQ(modes[i].Height, expected[i].Height) << i;
        EXPECT_EQ(modes[i].Format, expected[i].Format) << i;
    }
    EXPECT_FALSE(KD3DShell::CompareDisplayModes(modes[0], modes[0]));
}

std::vector<D3DFORMAT> DepthProbes(int depth, int stencil, D3DFORMAT acceptedFormat, D3DFORMAT* chosen) {
    std::vector<D3DFORMAT> asked;
    *chosen = ChooseDepthFormatWith(depth, stencil, [&](D3DFORMAT f) {
        asked.push_back(f);
        return f == acceptedFormat;
    });
    return asked;
}

TEST(ChooseDepthFormat, ThirtyTwoWithStencilWalksTheWholeChain) {
    D3DFORMAT chosen;
    const std::vector<D3DFORMAT> asked = DepthProbes(32, 8, D3DFMT_UNKNOWN, &chosen);
    const std::vector<D3DFORMAT> expected = {D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D24S8, D3DFMT_D24X4S4,
                                             D3DFMT_D24X8, D3DFMT_D15S1,   D3DFMT_D15S1, D3DFMT_D16};
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(chosen, D3DFMT_UNKNOWN);
}

TEST(ChooseDepthFormat, StopsAtTheFirstAcceptedFormat) {
    const struct {
        int depth, stencil;
        D3DFORMAT accepted;
        size_t probes;
    } cases[] = {
        {32, 8, D3DFMT_D24S8, 1}, {32, 8, D3DFMT_D24X8, 5}, {32, 8, D3DFMT_D16, 8},   {32, 0, D3DFMT_D32, 1},
        {16, 0, D3DFMT_D16, 1},   {16, 8, D3DFMT_D15S1, 1}, {24, 0, D3DFMT_D15S1, 2}, {32, 1, D3DFMT_D24X4S4, 2},
    };
    for (const auto& c : cases) {
        D3DFORMAT chosen;
        EXPECT_EQ(DepthProbes(c.depth, c.stencil, c.accepted, &chosen).size(), c.probes) << c.depth << "," << c.stencil;
        EXPECT_EQ(chosen, c.accepted);
    }
}

TEST(ChooseDepthFormat, UnknownRequestsAskNothing) {
    for (const auto& r : {std::pair{32, 2}, std::pair{15, 0}, std::pair{0, 0}}) {
        D3DFORMAT chosen;
        EXPECT_TRUE(DepthProbes(r.first, r.second, D3DFMT_D16, &chosen).empty());
        EXPECT_EQ(chosen, D3DFMT_UNKNOWN);
    }
}

TEST(ChooseDepthFormat, StencilBitsByFormat) {
    EXPECT_TRUE(DepthFormatHasStencil(D3DFMT_D24S8));
    EXPECT_TRUE(DepthFormatHasStencil(D3DFMT_D24X4S4));
    EXPECT_TRUE(DepthFormatHasStencil(D3DFMT_D15S1));
    EXPECT_FALSE(DepthFormatHasStencil(D3DFMT_D16));
    EXPECT_FALSE(DepthFormatHasStencil(D3DFMT_D24X8));
    EXPECT_FALSE(DepthFormatHasStencil(D3DFMT_D32));
    EXPECT_FALSE(DepthFormatHasStencil(D3DFMT_UNKNOWN));
}

TEST(TextureBudget, TiersSwitchAtTheirExactBoundaries) {
    const struct {
        uint32_t bytes;
        const char* thresholdKey;
        uint32_t threshold, target;
    } cases[] = {
        {0, "16_1", 4194304, 4194304},
        {0x2000000 - 1, "16_1", 4194304, 4194304},
        {0x2000000, "32_1", 4194304, 10485760},
        {0x4000000 - 1, "32_1", 4194304, 10485760},
        {0x4000000, "64_1", 20971520, 31457280},
        {0x8000000 - 1, "64_1", 20971520, 31457280},
        {0x8000000, "128_1", 10485760, 26214400},
        {236716031, "128_1", 10485760, 26214400},
        {236716032, "192_1", 12582912, 31457280},
        {0xFFFFFFFF, "192_1", 12582912, 31457280},
    };
    for (const auto& c : cases) {
        const KTextureBudgetTier& tier = SelectTextureBudgetTier(c.bytes);
        EXPECT_STREQ(tier.thresholdKey, c.thresholdKey) << c.bytes;
        EXPECT_EQ(tier.thresholdDefault, c.threshold) << c.bytes;
        EXPECT_EQ(tier.targetDefault, c.target) << c.bytes;
        std::string targetKey = c.thresholdKey;
        targetKey.back() = '2';
        EXPECT_EQ(tier.targetKey, targetKey) << c.bytes;
    }
}

TEST(VideoCardType, FirstNameInSearchOrderWins) {
    const struct {
        const char* description;
        int type;
    } cases[] = {
        {"NVIDIA RIVA TNT2 Model 64", 1},
        {"NVIDIA GeForce2 MX", 2},
        {"NVIDIA GeForce4 MX 440", 3},
        {"GeForce4 with TNT2 heritage", 3},
        {"TNT2 then GeForce4", 3},
        {"ATI Radeon 7000", 4},
        {"ATI Radeon 7200 / Radeon 7000", 4},
        {"ATI Radeon 7200", 5},
        {"geforce2 mx", 0},
        {"", 0},
        {nullptr, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectVideoCardType(c.description), c.type) << (c.description ? c.description : "null");
}

TEST(DesktopBytesPerPixel, ByFormat) {
    EXPECT_EQ(DesktopBytesPerPixel(D3DFMT_A8R8G8B8), 4);
    EXPECT_EQ(DesktopBytesPerPixel(D3DFMT_X8R8G8B8), 4);
    for (D3DFORMAT f : {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4})
        EXPECT_EQ(DesktopBytesPerPixel(f), 2) << f;
    EXPECT_EQ(DesktopBytesPerPixel(D3DFMT_R8G8B8), 0);
    EXPECT_EQ(DesktopBytesPerPixel(D3DFMT_UNKNOWN), 0);
}

TEST(TextureFormatChoice, RenderTargetAndPictureFallbacks) {
    const struct {
        KTextureFormatSupport support;
        bool desktop32;
        D3DFORMAT renderTarget;
        bool alpha;
        int warning;
        D3DFORMAT picture;
    } cases[] = {
        {{true, true, true, true}, true, D3DFMT_A4R4G4B4, true, 0, D3DFMT_R5G6B5},
        {{true, true, true, false}, true, D3DFMT_A8R8G8B8, true, 0, D3DFMT_R5G6B5},
        {{true, false, true, false}, true, D3DFMT_R5G6B5, false, 6, D3DFMT_R5G6B5},
        {{true, false, true, false}, false, D3DFMT_R5G6B5, false, 10, D3DFMT_R5G6B5},
        {{false, false, true, false}, true, D3DFMT_X8R8G8B8, false, 7, D3DFMT_X8R8G8B8},
        {{false, false, true, false}, false, D3DFMT_X8R8G8B8, false, 11, D3DFMT_X8R8G8B8},
        {{false, true, false, false}, true, D3DFMT_A8R8G8B8, true, 0, D3DFMT_UNKNOWN},
        {{false, false, false, false}, true, D3DFMT_UNKNOWN, false, 0, D3DFMT_UNKNOWN},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const KTextureFormatChoice choice = ChooseTextureFormats(c.support, c.desktop32);
        EXPECT_EQ(choice.renderTarget, c.renderTarget) << i;
        EXPECT_EQ(choice.renderTargetAlpha, c.alpha) << i;
        EXPECT_EQ(choice.renderTargetWarning, c.warning) << i;
        EXPECT_EQ(choice.picture, c.picture) << i;
    }
    EXPECT_EQ(NoRenderTargetFormatText(true), 8);
    EXPECT_EQ(NoRenderTargetFormatText(false), 12);
    EXPECT_EQ(NoPictureFormatText(true), 9);
    EXPECT_EQ(NoPictureFormatText(false), 13);
}

TEST(PresentParamsLog, ExactTextWithItsQuirks) {
    D3DPRESENT_PARAMETERS p;
    std::memset(&p, 0, sizeof(p));
    p.AutoDepthStencilFormat = D3DFMT_D24S8;
    p.BackBufferCount = 1;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferWidth = 800;
    p.BackBufferHeight = 600;
    p.EnableAutoDepthStencil = TRUE;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    p.SwapEffect = D3DSWAPEFFECT_COPY;
    p.Windowed = TRUE;
    const std::string expected =
        "D3DPP:\t\t\t\t\t\t\tnDepth format:75\n"
        "\t\t\t\t\t\tBack buffer count:1\n"
        "\t\t\t\t\t\tBack buffer format:22\n"
        "\t\t\t\t\t\tBack buffer height:600\n"
        "\t\t\t\t\t\tBack buffer widthL:800\n"
        "\t\t\t\t\t\tUse depth buffer:1\n"
        "\t\t\t\t\t\tFlag:1\n"
        "\t\t\t\t\t\tFullscreen present interval:2147483648d\n"
        "\t\t\t\t\t\tFullscreen refresh rate:0\n"
        "\t\t\t\t\t\tMultisample type:0\n"
        "\t\t\t\t\t\tSwap effect:3\n"
        "\t\t\t\t\t\tWindow mode:1\n";
    EXPECT_EQ(FormatPresentParamsLog(p), expected);
}

TEST(VideoPolicyRecord, ByteLayoutAsTheHostReadsIt) {
    KVideoPolicy policy{};
    policy.VideoCardType = 0x04030201;
    policy.BackRefresh = 0x24232221;
    policy.RenderTargetAlpha = 0x31;
    policy.SupportDXT = 0x32;
    unsigned char bytes[sizeof(KVideoPolicy)];
    std::memcpy(bytes, &policy, sizeof(bytes));
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[3], 0x04);
    EXPECT_EQ(bytes[28], 0x21);
    EXPECT_EQ(bytes[31], 0x24);
    EXPECT_EQ(bytes[32], 0x31);
    EXPECT_EQ(bytes[33], 0x32);
    EXPECT_EQ(bytes[34], 0);
    EXPECT_EQ(bytes[35], 0);
}

TEST(SkinningShaders, FourTextsShareOneRegisterContract) {
    EXPECT_EQ(SkinningShaderSource(0), nullptr);
    EXPECT_EQ(SkinningShaderSource(5), nullptr);
    for (int k = 1; k <= 4; ++k) {
        const std::string text = SkinningShaderSource(k);
        EXPECT_EQ(text.rfind("vs.1.1\n", 0), 0u) << k;
        EXPECT_NE(text.find("mul r1, v2.zyxw, c0.wwww"), std::string::npos) << k;
        EXPECT_NE(text.find("m4x4 oPos, r0, c1"), std::string::npos) << k;
        EXPECT_NE(text.find("mov oT0, v3"), std::string::npos) << k;
        // One palette lookup per influence.
        size_t lookups = 0;
        for (size_t at = text.find("c[a0.x + 5]"); at != std::string::npos; at = text.find("c[a0.x + 5]", at + 1))
            ++lookups;
        EXPECT_EQ(lookups, static_cast<size_t>(k)) << k;
        EXPECT_EQ(text.find("dcl_blendweight") != std::string::npos, k > 1) << k;
    }
    EXPECT_NE(std::string(SkinningShaderSource(2)).find("dp3 r2.w, v1, c0.xzz"), std::string::npos);
    EXPECT_NE(std::string(SkinningShaderSource(3)).find("dp3 r2.w, v1, c0.xxz"), std::string::npos);
    EXPECT_NE(std::string(SkinningShaderSource(4)).find("dp3 r2.w, v1, c0.xxx"), std::string::npos);
}

}  // namespace
