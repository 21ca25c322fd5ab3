// Scenes, states and plans shared by the fast-path tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <vector>

#include "RasterTestKit.h"
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/TexturedSpans.h"

namespace rastertest::fast_path_test {

// Fixed-sequence generator: the scenes are the same on every run.
struct Sequence {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    float Range(float lo, float hi) { return lo + (hi - lo) * float(Next() % 10000) / 10000.0f; }
};

inline Texture MakeTexture(D3DFORMAT format, Sequence& seq) {
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
inline std::vector<std::vector<ScreenVtx>> Scene(Sequence& seq, bool constantColour) {
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
inline Config WithAlphaTest(Config cfg, int i) {
    const auto& test = kAlphaTests[size_t(i) % std::size(kAlphaTests)];
    cfg.alphaFunc = test[0];
    cfg.alphaRef = test[1];
    return cfg;
}

inline std::vector<uint8_t> Render(const Config& cfg, const StateBlock& s, const Texture* tex, bool fast, bool constantColour) {
    SetFastPathsEnabled(fast);
    Target t(32, 0x80402010u, cfg.target);
    Sequence seq{7};
    for (const auto& quad : Scene(seq, constantColour))
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, quad, tex ? &tex->view : nullptr);
    return t.bytes;
}

inline StateBlock StatesFor(const Config& cfg) {
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

inline FastKind PlannedKind(const StateBlock& s, const Texture* tex, D3DFORMAT targetFormat) {
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

}  // namespace rastertest::fast_path_test
