#include "d3d9/raster/Clipper.h"

#include <algorithm>

namespace raster {

namespace {

constexpr double kGuardBandPixels = 16384.0;

void SetPlane(ClipPlanes& p, double a, double b, double c, double d) {
    double* e = p.plane[p.count++];
    e[0] = a;
    e[1] = b;
    e[2] = c;
    e[3] = d;
}

double Distance(const double plane[4], const ClipVertex& v) {
    return plane[0] * v.pos[0] + plane[1] * v.pos[1] + plane[2] * v.pos[2] + plane[3] * v.pos[3];
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, double t) {
    ClipVertex out;
    for (int i = 0; i < 4; ++i) out.pos[i] = a.pos[i] + (b.pos[i] - a.pos[i]) * t;
    for (int i = 0; i < kAttributeCount; ++i) out.attr[i] = float(a.attr[i] + (b.attr[i] - a.attr[i]) * t);
    out.hasScreen = false;
    return out;
}

}  // namespace

ClipPlanes MakeClipPlanes(bool pretransformed, const Viewport& viewport) {
    ClipPlanes p;
    double gx, gy;
    if (pretransformed) {
        gx = gy = kGuardBandPixels;
    } else {
        SetPlane(p, 0, 0, 1, 0);   // near: z >= 0
        SetPlane(p, 0, 0, -1, 1);  // far: z <= w
        gx = std::max(1.0, 2.0 * kGuardBandPixels / std::max(1.0, double(viewport.width)));
        gy = std::max(1.0, 2.0 * kGuardBandPixels / std::max(1.0, double(viewport.height)));
    }
    SetPlane(p, 1, 0, 0, gx);
    SetPlane(p, -1, 0, 0, gx);
    SetPlane(p, 0, 1, 0, gy);
    SetPlane(p, 0, -1, 0, gy);
    return p;
}

uint32_t OutsideMask(const ClipPlanes& planes, const ClipVertex& v) {
    uint32_t mask = 0;
    for (int i = 0; i < planes.count; ++i)
        if (!(Distance(planes.plane[i], v) >= 0.0)) mask |= 1u << i;
    return mask;
}

int ClipPolygon(const ClipPlanes& planes, const ClipVertex* in, int count, ClipVertex* out) {
    ClipVertex bufferA[kMaxClippedVertices], bufferB[kMaxClippedVertices];
    const ClipVertex* src = in;
    ClipVertex* dst = bufferA;
    for (int p = 0; p < planes.count && count > 0; ++p) {
        int written = 0;
        for (int i = 0; i < count; ++i) {
            const ClipVertex& a = src[i];
            const ClipVertex& b = src[(i + 1) % count];
            const double da = Distance(planes.plane[p], a), db = Distance(planes.plane[p], b);
            const bool aIn = da >= 0.0, bIn = db >= 0.0;
            if (aIn) dst[written++] = a;
            if (aIn != bIn && written < kMaxClippedVertices) dst[written++] = Lerp(a, b, da / (da - db));
        }
        count = written;
        src = dst;
        dst = (dst == bufferA) ? bufferB : bufferA;
    }
    std::copy(src, src + count, out);
    return count;
}

bool ClipSegment(const ClipPlanes& planes, ClipVertex& a, ClipVertex& b) {
    double t0 = 0.0, t1 = 1.0;
    for (int p = 0; p < planes.count; ++p) {
        const double da = Distance(planes.plane[p], a), db = Distance(planes.plane[p], b);
        if (da < 0 && db < 0) return false;
        if (!(da >= 0.0 && db >= 0.0)) {
            if (!(da >= 0.0) && !(db >= 0.0)) return false;  // NaN
            const double t = da / (da - db);
            if (da < 0) t0 = std::max(t0, t);
            else t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) return false;
    const ClipVertex origA = a, origB = b;
    if (t0 > 0.0) a = Lerp(origA, origB, t0);
    if (t1 < 1.0) b = Lerp(origA, origB, t1);
    return true;
}

}  // namespace raster
