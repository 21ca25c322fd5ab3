// The two shapes of a lightning definition, drawn anew with rand() at every
// generation into the definition's fixed vertex array.
#include <d3dx9math.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "effects/KLightning.h"

namespace {

constexpr DWORD kWhite = 0xFFFFFFFF;

// rand() % n - offset for an n that Load made sure is not 0; a negative n
// takes the C remainder like a positive one. Wide arithmetic so extreme
// file values cannot overflow.
float RandomIn(int64_t n, int64_t offset) { return float(int64_t(rand()) % n - offset); }

D3DXVECTOR3 Vec(const float* p) { return D3DXVECTOR3(p[0], p[1], p[2]); }

// A unit vector across the span, level with the ground; zero for a
// vertical span.
D3DXVECTOR3 Across(const D3DXVECTOR3& span) {
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXVECTOR3 across, side;
    D3DXVec3Cross(&across, &span, &up);
    D3DXVec3Normalize(&side, &across);
    return side;
}

void Put(KSceneVertex* v, const D3DXVECTOR3& p, float u, float tv) { *v = {p.x, p.y, p.z, kWhite, u, tv}; }

// first + (rand() % 40 - 20 + width) * side, a draw for each axis.
D3DXVECTOR3 Partner(const D3DXVECTOR3& first, const D3DXVECTOR3& side, float width) {
    D3DXVECTOR3 second;
    second.x = first.x + (RandomIn(40, 20) + width) * side.x;
    second.y = first.y + (RandomIn(40, 20) + width) * side.y;
    second.z = first.z + (RandomIn(40, 20) + width) * side.z;
    return second;
}

// True when every axis of the gap, truncated, is nearer than the limit.
bool Arrived(const D3DXVECTOR3& gap, int limit) {
    for (float axis : {gap.x, gap.y, gap.z})
        if (!(std::fabs(std::trunc(double(axis))) < double(limit))) return false;
    return true;
}

}  // namespace

void KLightning::GenerateBolt() {
    const D3DXVECTOR3 from = Vec(start), to = Vec(end);
    const D3DXVECTOR3 side = Across(to - from);
    const D3DXVECTOR3 halfWidth = side * width / 2.0f;
    Put(&vertices[0], from - halfWidth, 0.0f, 0.0f);
    Put(&vertices[1], from + halfWidth, 0.0f, 1.0f);

    D3DXVECTOR3 offset;
    offset.x = RandomIn(int64_t(x1) + x2, x1);
    offset.y = RandomIn(int64_t(y1) + y2, y1);
    offset.z = RandomIn(int64_t(z1) + z2, z1);
    if (rand() % 2) offset.x = -offset.x;
    if (rand() % 2) offset.y = -offset.y;
    D3DXVECTOR3 first = Vec(&vertices[0].x) + offset;
    Put(&vertices[2], first, 0.25f, 0.0f);
    Put(&vertices[3], Partner(first, side, width), 0.25f, 1.0f);

    for (int k = 2; k < kLightningBoltPairs; ++k) {
        const D3DXVECTOR3 previous = Vec(&vertices[2 * k - 2].x);
        const D3DXVECTOR3 gap = to - previous;
        const float u = float(k / 4.0);
        if (Arrived(gap, overLimitDistance)) {
            Put(&vertices[2 * k], to - halfWidth, u, 0.0f);
            Put(&vertices[2 * k + 1], to + halfWidth, u, 1.0f);
            vertexCount = 2 * k + 2;
            return;
        }
        D3DXVECTOR3 heading;
        D3DXVec3Normalize(&heading, &gap);
        offset = (heading * 40.0f + offset) * reduce;
        first = previous + offset;
        first.x += RandomIn(30, 15);
        first.y += RandomIn(30, 15);
        first.z += RandomIn(30, 15);
        Put(&vertices[2 * k], first, u, 0.0f);
        Put(&vertices[2 * k + 1], Partner(first, side, width), u, 1.0f);
    }
    vertexCount = kLightningMaxVertices;
}

void KLightning::GenerateCircles() {
    const D3DXVECTOR3 from = Vec(start), to = Vec(end);
    const D3DXVECTOR3 span = to - from;
    const float length = D3DXVec3Length(&span);
    const D3DXVECTOR3 side = Across(span);

    Put(&vertices[0], from - side / 2.0f, 0.0f, 0.0f);
    Put(&vertices[1], from + side * width / 2.0f, 0.0f, 1.0f);

    // The steps stop where the array would overflow (NaN spans take none).
    const double steps = double(length) / double(segLength);
    const int n = steps >= 0.0 ? int(std::min(steps, double(kLightningMaxBandSteps))) : 0;
    const float parts = float(n + 1);
    for (int i = 1; i <= n; ++i) {
        D3DXVECTOR3 first;
        first.x = from.x + float(i) * span.x / parts + RandomIn(2 * int64_t(randomC), randomC) * side.x;
        first.y = from.y + float(i) * span.y / parts + RandomIn(2 * int64_t(randomC), randomC) * side.y;
        const int fromMiddle = std::abs((n + 1) / 2 - i);
        const float f = float(fromMiddle) / parts;
        first.z = from.z + float(i) * span.z / parts + (height - f * height) + RandomIn(randomA, 0);
        D3DXVECTOR3 jitter;
        jitter.x = RandomIn(2 * int64_t(randomB), randomB);
        jitter.y = RandomIn(2 * int64_t(randomB), randomB);
        jitter.z = RandomIn(2 * int64_t(randomB), randomB);
        const float u = float(i / 2.0);
        Put(&vertices[2 * i], first, u, 0.0f);
        Put(&vertices[2 * i + 1], first + side * width + jitter, u, 1.0f);
    }
    const int last = n + 1;
    const D3DXVECTOR3 endFirst = to - side / 2.0f;
    const float endU = float(last / 2.0 + 0.5);
    Put(&vertices[2 * last], endFirst, endU, 0.0f);
    Put(&vertices[2 * last + 1], endFirst + side * width / 2.0f, endU, 1.0f);
    firstStripCount = vertexCount = 2 * n + 4;

    ringFlag = 0;
    // A ring is built only when all of it fits behind the band.
    const bool fits = segementNumber >= 1 && vertexCount + 2 * segementNumber + 2 <= kLightningMaxVertices;
    if (length < distanceLimit && fits) {
        ringFlag = 1;
        AppendRing(end);
    }
}

void KLightning::AppendRing(const float* to) {
    const int steps = segementNumber;
    const int64_t wobble = circleOffset;
    const int ringStart = vertexCount;
    for (int s = 0; s < steps; ++s) {
        const float a = RandomIn(2 * wobble, wobble);
        const double phase = double(rand() % (kLightningMaxRingSteps / steps)) * 2 * 3.141592 / 360.0;
        const double theta = s * 6.283184 / steps + phase;
        const float c = float(std::cos(theta)), sn = float(std::sin(theta));
        const float u = float(s / 3.0);
        const D3DXVECTOR3 inner((a + radius) * c + to[0], (a + radius) * sn + to[1], a + to[2]);
        Put(&vertices[vertexCount++], inner, u, 0.0f);
        const float b = RandomIn(2 * wobble, wobble);
        const D3DXVECTOR3 outer((b + radius) * c + to[0], (b + radius) * sn + to[1], to[2] + circleWidth + b);
        Put(&vertices[vertexCount++], outer, u, 1.0f);
    }
    const float closingU = float(steps / 5.0);
    for (int i = 0; i < 2; ++i) {
        vertices[vertexCount] = vertices[ringStart + i];
        vertices[vertexCount++].u = closingU;
    }
}
