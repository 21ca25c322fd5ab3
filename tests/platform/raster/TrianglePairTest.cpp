// Triangles drawn in pairs (a quad's halves become one span a row) must
// leave exactly what drawing them one by one leaves, overlapping or not.
#include <gtest/gtest.h>

#include <vector>

#include "RasterTestKit.h"

namespace rastertest {
namespace {

struct PairCase {
    const char* name;
    std::vector<ScreenVtx> list;  // two triangles, as a list
};

ScreenVtx V(float x, float y, uint32_t colour, float u, float v) { return ScreenVtx{x, y, 0, 1, colour, u, v}; }

std::vector<PairCase> Cases() {
    const uint32_t c = 0xA0FFFFFFu;
    return {
        {"quad halves", {V(2.5f, 3.5f, c, 0, 0), V(20.5f, 3.5f, c, 1, 0), V(2.5f, 17.5f, c, 0, 1),
                         V(20.5f, 3.5f, c, 1, 0), V(20.5f, 17.5f, c, 1, 1), V(2.5f, 17.5f, c, 0, 1)}},
        {"quad on whole pixels", {V(1, 1, c, 0, 0), V(17, 1, c, 1, 0), V(1, 9, c, 0, 1), V(17, 1, c, 1, 0),
                                  V(17, 9, c, 1, 1), V(1, 9, c, 0, 1)}},
        {"overlapping", {V(2, 2, c, 0, 0), V(22, 4, c, 1, 0), V(4, 20, c, 0, 1), V(6, 6, 0x80FF0000u, 0, 0),
                         V(23, 21, 0x80FF0000u, 1, 1), V(3, 18, 0x80FF0000u, 0, 1)}},
        {"same planes, overlapping", {V(2, 2, c, 0, 0), V(22, 2, c, 1, 0), V(2, 22, c, 0, 1), V(2, 2, c, 0, 0),
                                      V(22, 2, c, 1, 0), V(2, 22, c, 0, 1)}},
        {"apart in a row", {V(1, 2, c, 0, 0), V(8, 2, c, 0.5f, 0), V(1, 12, c, 0, 1), V(14, 2, c, 0.5f, 0),
                            V(22, 2, c, 1, 0), V(22, 12, c, 1, 1)}},
        {"second off target", {V(2, 2, c, 0, 0), V(12, 2, c, 1, 0), V(2, 12, c, 0, 1), V(40, 40, c, 0, 0),
                               V(50, 40, c, 1, 0), V(40, 50, c, 0, 1)}},
        // Opposite windings: under either cull mode one of the two is culled
        // and the other drawn alone.
        {"windings differ", {V(2, 2, c, 0, 0), V(12, 2, c, 1, 0), V(2, 12, c, 0, 1), V(14, 2, c, 0, 0),
                             V(14, 12, c, 0, 1), V(22, 2, c, 1, 0)}},
        {"first degenerate", {V(2, 2, c, 0, 0), V(12, 2, c, 1, 0), V(22, 2, c, 0, 1), V(2, 2, c, 0, 0),
                              V(12, 2, c, 1, 0), V(2, 12, c, 0, 1)}},
        // Rectangles drawn as one span a row: both diagonals, corners on
        // pixel centres and between them, thin, cut by the target's edges.
        {"rectangle, other diagonal", {V(2.5f, 3.5f, c, 0, 0), V(20.5f, 3.5f, c, 1, 0), V(20.5f, 17.5f, c, 1, 1),
                                       V(2.5f, 3.5f, c, 0, 0), V(20.5f, 17.5f, c, 1, 1), V(2.5f, 17.5f, c, 0, 1)}},
        {"rectangle on pixel centres", {V(3, 4, c, 0, 0), V(3, 12, c, 0, 1), V(11, 4, c, 1, 0), V(11, 12, c, 1, 1),
                                        V(11, 4, c, 1, 0), V(3, 12, c, 0, 1)}},
        {"rectangle off target", {V(-5.25f, -3.75f, c, 0, 0), V(30.25f, -3.75f, c, 1, 0), V(-5.25f, 9.6f, c, 0, 1),
                                  V(30.25f, -3.75f, c, 1, 0), V(30.25f, 9.6f, c, 1, 1), V(-5.25f, 9.6f, c, 0, 1)}},
        {"thin rectangle", {V(4.4f, 2, c, 0, 0), V(5.1f, 2, c, 1, 0), V(4.4f, 20, c, 0, 1), V(5.1f, 2, c, 1, 0),
                            V(5.1f, 20, c, 1, 1), V(4.4f, 20, c, 0, 1)}},
        {"same half twice", {V(2, 2, c, 0, 0), V(22, 2, c, 1, 0), V(22, 22, c, 1, 1), V(22, 2, c, 1, 0),
                             V(22, 22, c, 1, 1), V(2, 2, c, 0, 0)}},
        {"halves sharing an edge", {V(2, 2, c, 0, 0), V(22, 2, c, 1, 0), V(22, 22, c, 1, 1), V(2, 2, c, 0, 0),
                                    V(22, 2, c, 1, 0), V(2, 22, c, 0, 1)}},
        {"shaded quad", {V(2.5f, 3.5f, 0xFF0000FFu, 0, 0), V(20.5f, 3.5f, 0x8000FF00u, 1, 0),
                         V(2.5f, 17.5f, 0x40FF0000u, 0, 1), V(20.5f, 3.5f, 0x8000FF00u, 1, 0),
                         V(20.5f, 17.5f, 0xFFFFFFFFu, 1, 1), V(2.5f, 17.5f, 0x40FF0000u, 0, 1)}},
    };
}

std::vector<uint8_t> Draw(const StateBlock& s, const Texture& tex, const std::vector<ScreenVtx>& list, bool together) {
    Target t(24, 0xFF304050u);
    if (together) {
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLELIST, 2, list, &tex.view);
    } else {
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLELIST, 1, std::vector<ScreenVtx>(list.begin(), list.begin() + 3),
               &tex.view);
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLELIST, 1, std::vector<ScreenVtx>(list.begin() + 3, list.end()),
               &tex.view);
    }
    return t.bytes;
}

TEST(TrianglePairs, PairsLeaveWhatOneByOneLeaves) {
    BothPaths guard;
    std::vector<uint32_t> texels(8 * 8);
    for (uint32_t i = 0; i < texels.size(); ++i) texels[i] = (i * 2654435761u) | 0x20000000u;
    const Texture tex = Texture::Argb(8, 8, texels);
    for (uint32_t cull : {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW})
        for (bool fast : {false, true}) {
            StateBlock s = States2D(24, 24);
            s.render[D3DRS_CULLMODE] = cull;
            s.render[D3DRS_ALPHABLENDENABLE] = 1;
            s.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
            s.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
            s.stage[0][D3DTSS_ALPHAOP] = D3DTOP_MODULATE;
            s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
            SetFastPathsEnabled(fast);
            for (const PairCase& c : Cases())
                EXPECT_EQ(Draw(s, tex, c.list, true), Draw(s, tex, c.list, false))
                    << c.name << " cull " << cull << " fast " << fast;
        }
}

}  // namespace
}  // namespace rastertest
