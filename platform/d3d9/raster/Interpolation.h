// Screen-space attribute planes. Every path evaluates a plane the same way,
// row first and then column, so specialised spans match the general one bit
// for bit.
#pragma once

#include <cstdint>

namespace raster {

// Interpolated per vertex: diffuse and specular as 0..255 floats (r, g, b,
// a), then u and v of each texture coordinate set.
enum Attribute : int {
    kDiffuseR = 0,
    kSpecularR = 4,
    kTexcoord0 = 8,
    kAttributeCount = 8 + 2 * 8,
};

struct Plane {
    double c = 0.0, dx = 0.0, dy = 0.0;
    double Row(double y) const { return c + dy * y; }
    static double At(double row, double dx, double x) { return row + dx * x; }
    double Eval(double x, double y) const { return At(Row(y), dx, x); }
};

// Per-triangle values a specialised span works out at the triangle's first
// row and reads at its others.
struct SpanMemo {
    bool ready = false;
    bool rowShade = false;  // the stage is one row shade of these values
    uint32_t shadeFactor = 0, shadeKeep = 0, shadeConstant = 0;
    uint32_t shadeDoubled = 0, shadeQuadrupled = 0;  // scaled channels (MODULATE2X, MODULATE4X)
    // The first texture coordinate set's planes (u, v) scaled by 2^24 as
    // whole numbers, when they are: each row's coordinate is then
    // scaledRow + scaledDy * y, exactly what the doubles give.
    bool wholePlanes = false;
    int64_t scaledRow[2] = {}, scaledDy[2] = {}, scaledDx[2] = {};
};

struct Gradients {
    Plane z;          // screen depth, linear in screen space
    Plane q;          // 1 / w
    bool perspective = false;
    Plane attr[kAttributeCount];  // a or a / w (perspective)
    uint32_t constantMask = 0;    // attributes equal over the primitive: attr[i].c
    mutable SpanMemo memo;        // filled by the span on the triangle's first row
};

inline bool IsConstant(const Gradients& g, int attribute) { return (g.constantMask >> attribute) & 1u; }

// An attribute at a pixel; w is 1 / q there (1 without perspective).
inline double EvalAttribute(const Gradients& g, int attribute, double x, double y, double w) {
    if (IsConstant(g, attribute)) return g.attr[attribute].c;
    const double v = g.attr[attribute].Eval(x, y);
    return g.perspective ? v * w : v;
}

}  // namespace raster
