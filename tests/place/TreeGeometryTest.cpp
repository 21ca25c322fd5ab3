#include <gtest/gtest.h>

#include <climits>

#include "place/TreeGeometry.h"

namespace tree_geometry_test {
namespace {

constexpr KIntPoint P(int32_t x, int32_t y) { return KIntPoint{x, y}; }

struct PointCase {
    const char* what;
    KIntPoint p, a, b;
    int side;
};

TEST(ClassifyPointTest, HandComputedSides) {
    const PointCase cases[] = {
        {"three units from an end is on the line", P(0, 0), P(-3, 3), P(100, -50), 1},
        {"four units from it is not", P(0, 0), P(-4, 3), P(100, -50), 0},  // c = 200 - 300
        {"near the second end", P(100, 0), P(0, -500), P(103, -3), 1},
        {"cross product 10", P(0, 0), P(-5, -1), P(5, -1), 1},
        {"cross product 11", P(0, 0), P(-5, -1), P(6, -1), 2},
        {"cross product -10", P(0, 0), P(-5, 1), P(5, 1), 1},
        {"cross product -11", P(0, 0), P(-5, 1), P(6, 1), 0},
        {"ends swapped by x", P(0, 0), P(6, -1), P(-5, -1), 2},
        {"away from the origin", P(1000, 2000), P(995, 1999), P(1006, 1999), 2},
        {"vertical line keeps its order", P(0, 0), P(10, -10), P(10, 10), 2},
        {"vertical line upwards", P(0, 0), P(10, 10), P(10, -10), 0},
        {"a point for a line", P(0, 0), P(50, 50), P(50, 50), 1},
        // 4e9 wraps negative in 32 bits.
        {"wide line below", P(0, 0), P(-2000000000, -1), P(2000000000, -1), 2},
        {"extreme corners", P(INT_MIN, INT_MAX), P(INT_MAX, INT_MIN), P(INT_MAX, INT_MAX), 2},
    };
    for (const PointCase& c : cases) EXPECT_EQ(ClassifyPoint(c.p, c.a, c.b), c.side) << c.what;
}

struct SegmentCase {
    const char* what;
    KIntPoint p, e, a, b;
    int result;
    KIntPoint cut;
};

TEST(ClassifySegmentTest, SidesAndCrossings) {
    const KIntPoint none = P(-1, -1);
    const SegmentCase cases[] = {
        {"both below", P(0, 5), P(10, 5), P(-100, 0), P(100, 0), 2, none},
        {"start on the line takes the end's side", P(0, 0), P(0, -20), P(-100, 0), P(100, 0), 0, none},
        {"end on the line takes the start's side", P(0, 20), P(0, 0), P(-100, 0), P(100, 0), 2, none},
        // Line at x = 5: y = 5.25.
        {"vertical segment", P(5, -20), P(5, 40), P(-100, 0), P(100, 10), 3, P(5, 5)},
        // Line at y = 7: x = 5.85.
        {"horizontal segment", P(-20, 7), P(30, 7), P(3, -50), P(9, 70), 3, P(5, 7)},
        // At x = 5 the segment is at y = -2.5, truncated toward p: 7 down from -10.
        {"vertical line", P(-10, -10), P(30, 10), P(5, -100), P(5, 100), 3, P(5, -3)},
        {"horizontal line", P(50, -100), P(150, 100), P(0, 0), P(200, 0), 3, P(100, 0)},
        // Numerator 2 440 100 000 and denominator 4.8e9 overflow 32 bits; y = 501.25.
        {"wall across the window", P(100, -30000), P(100, 30000), P(-40000, 0), P(40000, 1000), 3, P(100, 501)},
        {"a point for a line", P(0, -50), P(0, 50), P(0, 0), P(0, 0), 1, none},
    };
    for (const SegmentCase& c : cases) {
        KIntPoint cut = none;
        EXPECT_EQ(ClassifySegment(c.p, c.e, c.a, c.b, &cut), c.result) << c.what;
        EXPECT_EQ(cut, c.cut) << c.what;
    }
}

TEST(ClassifySegmentTest, CrossingsOfExtremeCoordinatesStayInRange) {
    KIntPoint cut;
    ASSERT_EQ(ClassifySegment(P(INT_MIN, INT_MIN), P(INT_MAX, INT_MAX), P(INT_MIN, INT_MAX), P(INT_MAX, INT_MIN),
                              &cut),
              3);
    EXPECT_EQ(cut, P(-1, -1));  // the centre, truncated toward the start
}

struct DistanceCase {
    const char* what;
    KIntPoint p, a, b;
    int32_t distance;
};

TEST(PointLineDistanceTest, HandComputedDistances) {
    const DistanceCase cases[] = {
        {"above a horizontal line", P(0, 10), P(-5, 0), P(5, 0), 10},
        {"beyond the ends still to the line", P(100, -10), P(-5, 0), P(5, 0), 10},
        {"truncated", P(0, 7), P(0, 0), P(3, 4), 4},  // 21 / 5
        {"zero-length line: to its point", P(3, 4), P(0, 0), P(0, 0), 5},
        {"clamped to 32 bits", P(INT_MIN, INT_MIN), P(INT_MAX, INT_MIN), P(INT_MAX, INT_MAX), INT_MAX},
    };
    for (const DistanceCase& c : cases) EXPECT_EQ(PointLineDistance(c.p, c.a, c.b), c.distance) << c.what;
}

TEST(TruncateToInt32Test, SaturatesAndMapsNaNToZero) {
    EXPECT_EQ(TruncateToInt32(-7.9), -7);
    EXPECT_EQ(TruncateToInt32(2147483648.0), INT_MAX);
    EXPECT_EQ(TruncateToInt32(-1e30), INT_MIN);
    EXPECT_EQ(TruncateToInt32(__builtin_nan("")), 0);
}

}  // namespace
}  // namespace tree_geometry_test
