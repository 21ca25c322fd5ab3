// The caps say what the raster does: the texture operations are found by
// drawing with each one and comparing with its Direct3D 9 formula, and fog,
// user clip planes and point sizes, which the raster does not draw, are not
// offered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <sstream>

#include "RasterTestKit.h"
#include "d3d9/Control.h"

namespace rastertest::advertised_caps_test {
namespace {

// Stage 0 reads TEXTURE as arg1, DIFFUSE as arg2 and TFACTOR as arg0.
struct Inputs {
    uint32_t texture, diffuse, factor;
};
const Inputs kInputs[] = {{0xC0D04010u, 0x80306090u, 0x40A0F020u}, {0x20FF80C0u, 0xF0104080u, 0xB0607F01u}};

double Channel(uint32_t argb, int shift) { return double((argb >> shift) & 255u) / 255.0; }
double Alpha(uint32_t argb) { return Channel(argb, 24); }

// The documented result of colour operation `op` on the channel at `shift`;
// none for the operations the raster does not carry out.
std::optional<double> Documented(uint32_t op, const Inputs& in, int shift) {
    const double a1 = Channel(in.texture, shift), a2 = Channel(in.diffuse, shift), a0 = Channel(in.factor, shift);
    const double textureAlpha = Alpha(in.texture), diffuseAlpha = Alpha(in.diffuse);
    switch (op) {
        case D3DTOP_DISABLE: return a2;  // stage 0 off: the diffuse colour passes
        case D3DTOP_SELECTARG1: return a1;
        case D3DTOP_SELECTARG2: return a2;
        case D3DTOP_MODULATE: return a1 * a2;
        case D3DTOP_MODULATE2X: return 2 * a1 * a2;
        case D3DTOP_MODULATE4X: return 4 * a1 * a2;
        case D3DTOP_ADD: return a1 + a2;
        case D3DTOP_ADDSIGNED: return a1 + a2 - 0.5;
        case D3DTOP_ADDSIGNED2X: return 2 * (a1 + a2 - 0.5);
        case D3DTOP_SUBTRACT: return a1 - a2;
        case D3DTOP_ADDSMOOTH: return a1 + a2 - a1 * a2;
        case D3DTOP_BLENDDIFFUSEALPHA: return a1 * diffuseAlpha + a2 * (1 - diffuseAlpha);
        case D3DTOP_BLENDTEXTUREALPHA: return a1 * textureAlpha + a2 * (1 - textureAlpha);
        case D3DTOP_BLENDFACTORALPHA: return a1 * Alpha(in.factor) + a2 * (1 - Alpha(in.factor));
        case D3DTOP_BLENDTEXTUREALPHAPM: return a1 + a2 * (1 - textureAlpha);
        case D3DTOP_BLENDCURRENTALPHA: return a1 * diffuseAlpha + a2 * (1 - diffuseAlpha);  // current = diffuse
        case D3DTOP_MODULATEALPHA_ADDCOLOR: return a1 + textureAlpha * a2;
        case D3DTOP_MODULATECOLOR_ADDALPHA: return a1 * a2 + textureAlpha;
        case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return (1 - textureAlpha) * a2 + a1;
        case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return (1 - a1) * a2 + textureAlpha;
        case D3DTOP_DOTPRODUCT3: {
            double sum = 0;
            for (int s : {16, 8, 0}) sum += (Channel(in.texture, s) - 0.5) * (Channel(in.diffuse, s) - 0.5);
            return 4 * sum;
        }
        case D3DTOP_MULTIPLYADD: return a0 + a1 * a2;
        case D3DTOP_LERP: return a0 * a1 + (1 - a0) * a2;
        default: return std::nullopt;
    }
}

uint32_t DrawWithColourOp(uint32_t op, const Inputs& in) {
    StateBlock s = States2D(4, 4);
    s.stage[0][D3DTSS_COLOROP] = op;
    s.stage[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    s.stage[0][D3DTSS_COLORARG0] = D3DTA_TFACTOR;
    s.render[D3DRS_TEXTUREFACTOR] = in.factor;
    const Texture texture = Texture::Argb(1, 1, {in.texture});
    Target t(4, 0xFF000000u);
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, in.diffuse), &texture.view);
    return t.At(1, 1);
}

// The operations whose drawn colour is their documented one, within one
// level, as D3DTEXOPCAPS bits; `faults` names the ones that drew otherwise.
uint32_t ImplementedOps(std::string& faults) {
    uint32_t bits = 0;
    for (uint32_t op = D3DTOP_DISABLE; op <= D3DTOP_LERP; ++op) {
        bool matches = Documented(op, kInputs[0], 0).has_value();
        for (const Inputs& in : kInputs) {
            const uint32_t drawn = DrawWithColourOp(op, in);
            for (int shift : {16, 8, 0}) {
                const std::optional<double> expected = Documented(op, in, shift);
                if (!expected) continue;
                const double level = std::round(std::clamp(*expected, 0.0, 1.0) * 255.0);
                const double got = double((drawn >> shift) & 255u);
                if (std::fabs(got - level) > 1.0) {
                    matches = false;
                    std::ostringstream fault;
                    fault << " op " << op << " drew " << got << " for " << level << ";";
                    faults += fault.str();
                }
            }
        }
        if (matches) bits |= 1u << (op - 1);
    }
    return bits;
}

// Direct3D 9's TextureOpCaps lists the operations a device carries out:
// here exactly those the combiner draws as documented, on either path.
TEST(AdvertisedCaps, TextureOpCapsAreTheOperationsTheCombinerDraws) {
    const D3DCAPS9 caps = lumiva::d3d9::DefaultCaps(D3DDEVTYPE_HAL);
    BothPaths restore;
    for (bool fast : {true, false}) {
        SetFastPathsEnabled(fast);
        std::string faults;
        EXPECT_EQ(ImplementedOps(faults), caps.TextureOpCaps) << (fast ? "fast paths:" : "general path:") << faults;
    }
    // The ones documented here but not drawn are left out of the caps.
    for (DWORD missing : {D3DTEXOPCAPS_PREMODULATE, D3DTEXOPCAPS_BUMPENVMAP, D3DTEXOPCAPS_BUMPENVMAPLUMINANCE})
        EXPECT_FALSE(caps.TextureOpCaps & missing) << missing;
    EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_DOTPRODUCT3);
}

// DOTPRODUCT3 as a colour op writes its product to every channel, alpha
// included, whatever the alpha op; as an alpha op it takes the product of
// the alpha arguments' colours. (255, 128, 128) is the unit vector +x.
TEST(AdvertisedCaps, DotProduct3ReachesAlphaAsAColourOp) {
    const struct {
        uint32_t texture, diffuse;
        uint32_t level;
    } cases[] = {
        {0x10FF8080u, 0x20FF8080u, 255},  // the same direction: 255 + (1 + 1) / 255, saturated
        {0x10FF8080u, 0x2080FF80u, 2},    // at right angles: (255 + 255 + 1) / 255
        {0x10FF8080u, 0x20008080u, 0},    // opposite: negative, saturated to 0
        {0x10C0C040u, 0x20E0C060u, 194},  // (129 * 193 + 129 * 129 + 127 * 63) / 255 = 194.3
    };
    for (bool asColour : {true, false}) {
        for (const auto& c : cases) {
            StateBlock s = States2D(4, 4);
            s.stage[0][D3DTSS_COLOROP] = asColour ? D3DTOP_DOTPRODUCT3 : D3DTOP_SELECTARG2;
            s.stage[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
            s.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
            s.stage[0][D3DTSS_ALPHAOP] = asColour ? D3DTOP_SELECTARG1 : D3DTOP_DOTPRODUCT3;
            s.stage[0][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
            s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
            const Texture texture = Texture::Argb(1, 1, {c.texture});
            Target t(4, 0);
            DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, c.diffuse), &texture.view);
            const uint32_t colour = asColour ? c.level * 0x010101u : c.diffuse & 0xFFFFFFu;
            EXPECT_EQ(t.At(2, 2), c.level << 24 | colour) << std::hex << c.texture << " " << c.diffuse << " "
                                                          << asColour;
        }
    }
}

// Direct3D 9 caps: no FOGVERTEX or FOGTABLE raster caps, no user clip
// planes, point size 1; and indeed fog, clip planes and point sizes leave
// the pixels as they are without them.
TEST(AdvertisedCaps, FogClipPlanesAndPointSizesAreNotOffered) {
    const D3DCAPS9 caps = lumiva::d3d9::DefaultCaps(D3DDEVTYPE_HAL);
    EXPECT_FALSE(caps.RasterCaps & (D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE));
    EXPECT_EQ(caps.MaxUserClipPlanes, 0u);
    EXPECT_EQ(caps.MaxPointSize, 1.0f);

    auto draw = [](bool everything) {
        StateBlock s = States2D(8, 8);
        s.stage[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
        s.stage[0][D3DTSS_COLORARG1] = D3DTA_DIFFUSE;
        if (everything) {
            // Every depth lies past the fog's end: fully fogged, were there fog.
            const float eight = 8.0f, start = -2.0f, end = -1.0f;
            s.render[D3DRS_FOGENABLE] = TRUE;
            s.render[D3DRS_FOGCOLOR] = 0xFF00FF00u;
            s.render[D3DRS_FOGTABLEMODE] = D3DFOG_LINEAR;
            s.render[D3DRS_FOGVERTEXMODE] = D3DFOG_LINEAR;
            std::memcpy(&s.render[D3DRS_FOGSTART], &start, 4);
            std::memcpy(&s.render[D3DRS_FOGEND], &end, 4);
            s.render[D3DRS_CLIPPLANEENABLE] = 0x3F;
            std::memcpy(&s.render[D3DRS_POINTSIZE], &eight, 4);
        }
        Target t(8, 0xFF000000u);
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 8, 0xFF336699u));
        DrawUp(s, t.view, kScreenFvf, D3DPT_POINTLIST, 1, Quad(6, 4, 6, 4, 0xFF996633u));
        return t.bytes;
    };
    const std::vector<uint8_t> plain = draw(false);
    EXPECT_EQ(draw(true), plain);
}

}  // namespace
}  // namespace rastertest::advertised_caps_test
