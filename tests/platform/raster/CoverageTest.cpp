// Which pixels a primitive covers: fill rule, lines, points, fill modes,
// culling and winding, clipping.
#include <gtest/gtest.h>

#include <string>

#include "RasterTestKit.h"

namespace rastertest::coverage_test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

std::vector<std::string> MaskOf(int size, bool (*inside)(int, int)) {
    std::vector<std::string> rows;
    for (int y = 0; y < size; ++y) {
        std::string row;
        for (int x = 0; x < size; ++x) row += inside(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

StateBlock UntexturedStates() {
    StateBlock s = States2D();
    s.stage[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG2;
    s.stage[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    s.stage[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG2;
    s.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
    return s;
}

TEST(Coverage, IntegerQuadCoversCentresOnTopAndLeftEdgesOnly) {
    Target t;
    const StateBlock s = UntexturedStates();
    EXPECT_EQ(DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(2, 2, 6, 6, kWhite)), DrawResult::kDrawn);
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) { return x >= 2 && x <= 5 && y >= 2 && y <= 5; }));
}

// Additive blending of 1 per draw shows any pixel drawn twice.
struct SharedEdgeCase {
    const char* name;
    std::vector<PlainVtx> triangles;  // triangle list
};

bool InsideConvex(const std::vector<std::pair<double, double>>& poly, double x, double y) {
    bool pos = false, neg = false;
    for (size_t i = 0; i < poly.size(); ++i) {
        const auto& a = poly[i];
        const auto& b = poly[(i + 1) % poly.size()];
        const double c = (b.first - a.first) * (y - a.second) - (b.second - a.second) * (x - a.first);
        if (c > 0) pos = true;
        if (c < 0) neg = true;
    }
    return !(pos && neg);
}

TEST(Coverage, SharedEdgesDrawEachPixelOnce) {
    const uint32_t one = 0x01010101u;
    // A quad cut on its diagonal, and a fan of six triangles around an
    // off-grid centre; corners lie off pixel centres and off the grid.
    const std::vector<std::pair<double, double>> hexagon = {{7.5, 1.3}, {13.2, 4.6}, {13.7, 10.9},
                                                            {7.4, 14.6}, {1.6, 11.1}, {2.1, 4.3}};
    std::vector<PlainVtx> fan;
    for (size_t i = 0; i < hexagon.size(); ++i) {
        const auto& a = hexagon[i];
        const auto& b = hexagon[(i + 1) % hexagon.size()];
        fan.push_back({7.3f, 8.6f, 0, 1, one});
        fan.push_back({float(a.first), float(a.second), 0, 1, one});
        fan.push_back({float(b.first), float(b.second), 0, 1, one});
    }
    const std::vector<std::pair<double, double>> quad = {{2.3, 1.7}, {13.6, 1.7}, {13.6, 14.2}, {2.3, 14.2}};
    const std::vector<PlainVtx> quadTriangles = {{2.3f, 1.7f, 0, 1, one},   {13.6f, 1.7f, 0, 1, one},
                                                 {13.6f, 14.2f, 0, 1, one}, {2.3f, 1.7f, 0, 1, one},
                                                 {13.6f, 14.2f, 0, 1, one}, {2.3f, 14.2f, 0, 1, one}};
    struct Case {
        const char* name;
        const std::vector<PlainVtx>* triangles;
        const std::vector<std::pair<double, double>>* outline;
    } cases[] = {{"quad", &quadTriangles, &quad}, {"fan", &fan, &hexagon}};

    StateBlock s = UntexturedStates();
    s.render[D3DRS_ALPHABLENDENABLE] = 1;
    s.render[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    s.render[D3DRS_DESTBLEND] = D3DBLEND_ONE;
    for (const Case& c : cases) {
        Target t(16, 0);
        DrawUp(s, t.view, kPlainFvf, D3DPT_TRIANGLELIST, uint32_t(c.triangles->size() / 3), *c.triangles);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint32_t expected = InsideConvex(*c.outline, x, y) ? one : 0;
                EXPECT_EQ(t.At(x, y), expected) << c.name << " at " << x << "," << y;
            }
    }
}

TEST(Coverage, LinesStepAlongTheMajorAxisAndHonourLastPixel) {
    StateBlock s = UntexturedStates();
    struct Case {
        float x0, y0, x1, y1;
        bool lastPixel;
        std::vector<std::pair<int, int>> pixels;
    } cases[] = {
        {2, 5, 8, 5, false, {{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}}},
        {2, 5, 8, 5, true, {{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}, {8, 5}}},
        {1, 1, 5, 3, false, {{1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {3, 9, 3, 5, false, {{3, 9}, {3, 8}, {3, 7}, {3, 6}}},  // y-major, upwards
    };
    for (const Case& c : cases) {
        Target t;
        s.render[D3DRS_LASTPIXEL] = c.lastPixel;
        DrawUp(s, t.view, kPlainFvf, D3DPT_LINELIST, 1,
               std::vector<PlainVtx>{{c.x0, c.y0, 0, 1, kWhite}, {c.x1, c.y1, 0, 1, kWhite}});
        std::vector<std::string> expected(16, std::string(16, '.'));
        for (auto [x, y] : c.pixels) expected[size_t(y)][size_t(x)] = '#';
        EXPECT_EQ(t.Mask(kBlack), expected) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    }
}

TEST(Coverage, LineStripDrawsJointsOnce) {
    StateBlock s = UntexturedStates();
    s.render[D3DRS_ALPHABLENDENABLE] = 1;
    s.render[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    s.render[D3DRS_DESTBLEND] = D3DBLEND_ONE;
    Target t(16, 0);
    const uint32_t one = 0x01010101u;
    DrawUp(s, t.view, kPlainFvf, D3DPT_LINESTRIP, 3,
           std::vector<PlainVtx>{{2, 2, 0, 1, one}, {10, 2, 0, 1, one}, {10, 10, 0, 1, one}, {2, 10, 0, 1, one}});
    int drawn = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_LE(t.At(x, y), one) << x << "," << y;
            drawn += t.At(x, y) == one;
        }
    EXPECT_EQ(drawn, 8 + 8 + 9);  // the last segment keeps its last pixel
    EXPECT_EQ(t.At(2, 10), one);
}

TEST(Coverage, WireframeDrawsTriangleEdges) {
    StateBlock s = UntexturedStates();
    s.render[D3DRS_FILLMODE] = D3DFILL_WIREFRAME;
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(2, 2, 10, 10, kWhite));
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) {
                  const bool inBox = x >= 2 && x <= 10 && y >= 2 && y <= 10;
                  return inBox && (x == 2 || x == 10 || y == 2 || y == 10 || x + y == 12);
              }));
}

TEST(Coverage, PointsLightTheNearestPixel) {
    StateBlock s = UntexturedStates();
    Target t;
    DrawUp(s, t.view, kPlainFvf, D3DPT_POINTLIST, 3,
           std::vector<PlainVtx>{{3.0f, 4.0f, 0, 1, kWhite}, {5.5f, 6.5f, 0, 1, kWhite}, {7.7f, 8.2f, 0, 1, kWhite}});
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) {
                  return (x == 3 && y == 4) || (x == 5 && y == 6) || (x == 8 && y == 8);
              }));
}

TEST(Coverage, PointFillModeDrawsCorners) {
    StateBlock s = UntexturedStates();
    s.render[D3DRS_FILLMODE] = D3DFILL_POINT;
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(2, 3, 9, 12, kWhite));
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) { return (x == 2 || x == 9) && (y == 3 || y == 12); }));
}

TEST(Coverage, StripWindingAlternatesUnderCulling) {
    const auto clockwise = Quad(2, 2, 10, 10, kWhite);  // TL, TR, BL, BR: both triangles clockwise
    const std::vector<ScreenVtx> counter = {clockwise[0], clockwise[2], clockwise[1], clockwise[3]};
    struct Case {
        const char* name;
        const std::vector<ScreenVtx>* strip;
        uint32_t cull;
        int expectedPixels;
    } cases[] = {
        {"cw strip, cull ccw", &clockwise, D3DCULL_CCW, 64}, {"cw strip, cull cw", &clockwise, D3DCULL_CW, 0},
        {"ccw strip, cull ccw", &counter, D3DCULL_CCW, 0},   {"ccw strip, cull cw", &counter, D3DCULL_CW, 64},
        {"ccw strip, no cull", &counter, D3DCULL_NONE, 64},
    };
    for (const Case& c : cases) {
        StateBlock s = UntexturedStates();
        s.render[D3DRS_CULLMODE] = c.cull;
        Target t;
        DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, *c.strip);
        int drawn = 0;
        for (const std::string& row : t.Mask(kBlack)) drawn += int(std::count(row.begin(), row.end(), '#'));
        EXPECT_EQ(drawn, c.expectedPixels) << c.name;
    }
}

TEST(Coverage, FanCoversItsPolygon) {
    StateBlock s = UntexturedStates();
    s.render[D3DRS_CULLMODE] = D3DCULL_CCW;
    Target t;
    // Clockwise fan around (2,2)..(10,10): centre first.
    DrawUp(s, t.view, kPlainFvf, D3DPT_TRIANGLEFAN, 4,
           std::vector<PlainVtx>{{6, 6, 0, 1, kWhite},
                                 {2, 2, 0, 1, kWhite},
                                 {10, 2, 0, 1, kWhite},
                                 {10, 10, 0, 1, kWhite},
                                 {2, 10, 0, 1, kWhite},
                                 {2, 2, 0, 1, kWhite}});
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) { return x >= 2 && x < 10 && y >= 2 && y < 10; }));
}

TEST(Coverage, ViewportAndTargetBoundDrawing) {
    StateBlock s = UntexturedStates();
    s.viewport = Viewport{4, 4, 6, 100, 0, 1};  // taller than the target
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(-100, -100, 100, 100, kWhite));
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) { return x >= 4 && x < 10 && y >= 4; }));
}

TEST(Coverage, ZeroCountDrawsNothingAndOversizedCountsStopAtTheData) {
    StateBlock s = UntexturedStates();
    Target t;
    const auto quad = Quad(0, 0, 16, 16, kWhite);
    EXPECT_EQ(DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 0, quad), DrawResult::kDrawn);
    // A count far beyond the data draws what the data holds and stops.
    EXPECT_EQ(DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLELIST, 0x7FFFFFFF, quad), DrawResult::kDrawn);
    // The first three vertices make one triangle; its long edge is a right edge.
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) { return x + y < 16; }));
}

// Projection with w = z and the near plane at z = 1 (clip z = z - 1).
Matrix NearAtOneProjection() {
    Matrix p{};
    p.m[0][0] = 1;
    p.m[1][1] = 1;
    p.m[2][2] = 1;
    p.m[2][3] = 1;
    p.m[3][2] = -1;
    return p;
}

TEST(Coverage, TriangleCrossingTheNearPlaneIsClipped) {
    StateBlock s = UntexturedStates();
    s.projection = NearAtOneProjection();
    Target t;
    // Two corners at z = 2 and one behind the eye: the near plane cuts the
    // edges at x = -0.75 and 0.75, a trapezoid (4,4) (12,4) (14,0) (2,0).
    struct Vtx {
        float x, y, z;
        uint32_t c;
    };
    const std::vector<Vtx> v = {{-1, 1, 2, kWhite}, {1, 1, 2, kWhite}, {0, 1, -2, kWhite}};
    DrawUp(s, t.view, 0x42, D3DPT_TRIANGLELIST, 1, v);
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) {
                  switch (y) {
                      case 0: return x >= 2 && x <= 13;
                      case 1: return x >= 3 && x <= 13;
                      case 2: return x >= 3 && x <= 12;
                      case 3: return x >= 4 && x <= 12;
                      default: return false;
                  }
              }));
}

TEST(Coverage, ClippedPolygonsAreCulledByTheirVisibleWinding) {
    // The visible trapezoid of the near-plane case runs counter-clockwise.
    struct Vtx {
        float x, y, z;
        uint32_t c;
    };
    const std::vector<Vtx> v = {{-1, 1, 2, kWhite}, {1, 1, 2, kWhite}, {0, 1, -2, kWhite}};
    for (uint32_t cull : {D3DCULL_CW, D3DCULL_CCW}) {
        StateBlock s = UntexturedStates();
        s.projection = NearAtOneProjection();
        s.render[D3DRS_CULLMODE] = cull;
        Target t;
        DrawUp(s, t.view, 0x42, D3DPT_TRIANGLELIST, 1, v);
        EXPECT_EQ(t.At(8, 1), cull == D3DCULL_CW ? kWhite : kBlack) << cull;
    }
}

TEST(Coverage, WireframeTrianglesAreCulledToo) {
    StateBlock s = UntexturedStates();
    s.render[D3DRS_FILLMODE] = D3DFILL_WIREFRAME;
    s.render[D3DRS_CULLMODE] = D3DCULL_CW;  // the quad's triangles are clockwise
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(2, 2, 10, 10, kWhite));
    EXPECT_EQ(t.Mask(kBlack), std::vector<std::string>(16, std::string(16, '.')));
}

TEST(Coverage, PretransformedVerticesIgnoreDepthRange) {
    StateBlock s = UntexturedStates();
    Target t;
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(0, 0, 4, 4, kWhite, 0, 0, 1, 1, 100.0f));
    DrawUp(s, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2, Quad(4, 0, 8, 4, kWhite, 0, 0, 1, 1, -3.0f));
    EXPECT_EQ(t.Mask(kBlack), MaskOf(16, [](int x, int y) { return x < 8 && y < 4; }));
}

TEST(Coverage, NonFiniteVerticesAreDropped) {
    StateBlock s = UntexturedStates();
    Target t;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    DrawUp(s, t.view, kPlainFvf, D3DPT_TRIANGLELIST, 2,
           std::vector<PlainVtx>{{nan, 0, 0, 1, kWhite}, {16, 0, 0, 1, kWhite}, {0, 16, 0, 1, kWhite},
                                 {0, 0, 0, 1, kWhite}, {inf, 0, 0, 1, kWhite}, {0, 16, 0, 1, kWhite}});
    EXPECT_EQ(t.Mask(kBlack), std::vector<std::string>(16, std::string(16, '.')));
}

TEST(Coverage, HugeCoordinatesStayInsideTheGuardBand) {
    StateBlock s = UntexturedStates();
    Target t;
    DrawUp(s, t.view, kPlainFvf, D3DPT_TRIANGLELIST, 1,
           std::vector<PlainVtx>{{-1e9f, -1e9f, 0, 1, kWhite}, {1e9f, -1e9f, 0, 1, kWhite}, {0, 1e9f, 0, 1, kWhite}});
    EXPECT_EQ(t.Mask(kBlack), std::vector<std::string>(16, std::string(16, '#')));
}

}  // namespace
}  // namespace rastertest::coverage_test
