#include "draw2d/scene/QuadStrip.h"

#include <cmath>
#include <cstring>

#include "shell/ShellServices.h"

DWORD ModulateColor(DWORD grid, DWORD colour) {
    DWORD out = grid & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const DWORD g = (grid >> shift) & 0xFF, c = (colour >> shift) & 0xFF;
        out |= ((g * c) >> 8) << shift;
    }
    return out;
}

KSceneVertex LightVertexByGrid(KShellServices& shell, const KSceneVertex& vertex, DWORD colour) {
    KSceneVertex lit = vertex;
    const DWORD grid = shell.GetLightGridColor(&vertex.x);
    lit.colour = colour == kOpaqueWhite ? grid : ModulateColor(grid, colour);
    return lit;
}

namespace {

bool IsFinite(const KSceneVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.u) && std::isfinite(v.v);
}

// Emits lit vertices in pairs; a pair that would pass the capacity spoils
// the strip, so huge or degenerate quads end instead of looping on.
class StripWriter {
public:
    StripWriter(KShellServices& shell, KSceneVertex* out, int capacity, DWORD colour)
        : m_shell(shell), m_out(out), m_capacity(capacity), m_colour(colour) {}

    bool Pair(const KSceneVertex& first, const KSceneVertex& second) {
        if (m_count > m_capacity - 2) {
            m_overflow = true;
            return false;
        }
        m_out[m_count++] = LightVertexByGrid(m_shell, first, m_colour);
        m_out[m_count++] = LightVertexByGrid(m_shell, second, m_colour);
        return true;
    }
    int Result() const { return m_overflow ? 0 : m_count; }

private:
    KShellServices& m_shell;
    KSceneVertex* m_out;
    int m_capacity;
    DWORD m_colour;
    int m_count = 0;
    bool m_overflow = false;
};

void StepDown(KSceneVertex& b, float dv, const KSceneVertex& br, bool& last) {
    b.y += kStripCellStep;
    b.v += dv;
    if (b.y >= br.y) {
        b.y = br.y;
        b.v = br.v;
        last = true;
    }
}

int SplitFlat(StripWriter& strip, const KSceneVertex* q) {
    const KSceneVertex &tl = q[0], &tr = q[1], &br = q[2];
    if (tr.x == tl.x || br.y == tl.y) return 0;
    const float du = (tr.u - tl.u) * kStripCellStep / (tr.x - tl.x);
    const float dv = (br.v - tl.v) * kStripCellStep / (br.y - tl.y);
    KSceneVertex a = tl, b = tl;
    bool last = false;
    for (;;) {
        a = b;  // row left to right
        StepDown(b, dv, br, last);
        do {
            if (!strip.Pair(b, a)) return strip.Result();
            a.x += kStripCellStep, b.x += kStripCellStep, a.u += du, b.u += du;
        } while (a.x < tr.x);
        a.x = b.x = tr.x;
        a.u = b.u = tr.u;
        if (!strip.Pair(b, a) || last) return strip.Result();

        a = b;  // row right to left
        StepDown(b, dv, br, last);
        do {
            if (!strip.Pair(a, b)) return strip.Result();
            a.x -= kStripCellStep, b.x -= kStripCellStep, a.u -= du, b.u -= du;
        } while (a.x > tl.x);
        a.x = b.x = tl.x;
        a.u = b.u = tl.u;
        if (!strip.Pair(a, b) || last) return strip.Result();
    }
}

void StepAlong(KSceneVertex& b, const float step[3], float du) {
    b.x += step[0], b.y += step[1], b.z += step[2];
    b.u += du;
}

// Whole-number spans, as the column test compares them.
bool ReachesEdge(float travelled, float span) {
    return std::fabs(std::trunc(travelled)) >= std::fabs(std::trunc(span));
}

int SplitStanding(StripWriter& strip, const KSceneVertex* q) {
    const KSceneVertex &tl = q[0], &tr = q[1], &br = q[2], &bl = q[3];
    const float h = tl.z - bl.z;
    if (tr.x == tl.x || h == 0.0f) return 0;
    const float scale = kStripCellStep / (tr.x - tl.x);
    const float du = scale * (tr.u - tl.u);
    const float dv = (kStripCellStep / h) * (bl.v - tl.v);
    const float step[3] = {(tr.x - tl.x) * scale, (tr.y - tl.y) * scale, (tr.z - tl.z) * scale};
    KSceneVertex a = tl, b = tl;
    bool last = false;
    for (;;) {
        a = b;  // column downwards
        StepAlong(b, step, du);
        if (ReachesEdge(b.x - tl.x, tr.x - tl.x)) b = tr, last = true;
        float endA = a.z - h, endB = b.z - h;
        do {
            if (!strip.Pair(a, b)) return strip.Result();
            a.z -= kStripCellStep, b.z -= kStripCellStep, a.v += dv, b.v += dv;
        } while (a.z > endA);
        a.z = endA, b.z = endB;
        a.v = b.v = bl.v;
        if (!strip.Pair(a, b) || last) return strip.Result();

        a = b;  // column upwards
        StepAlong(b, step, du);
        if (ReachesEdge(b.x - bl.x, br.x - bl.x)) b = br, last = true;
        endA = a.z + h, endB = b.z + h;
        do {
            if (!strip.Pair(b, a)) return strip.Result();
            a.z += kStripCellStep, b.z += kStripCellStep, a.v -= dv, b.v -= dv;
        } while (a.z < endA);
        a.z = endA, b.z = endB;
        a.v = b.v = tl.v;
        if (!strip.Pair(b, a) || last) return strip.Result();
    }
}

}  // namespace

int SplitQuadIntoStrip(KShellServices& shell, const KSceneVertex* quad, KSceneVertex* out, int capacity, DWORD colour) {
    if (!quad || !out || capacity < 2) return 0;
    for (int i = 0; i < 4; ++i)
        if (!IsFinite(quad[i])) return 0;
    StripWriter strip(shell, out, capacity, colour);
    return quad[0].z == quad[2].z ? SplitFlat(strip, quad) : SplitStanding(strip, quad);
}

bool UploadStrips(KShellServices& shell, IDirect3DDevice9* device, const KSceneVertex* vertices, int count, int* first) {
    IDirect3DVertexBuffer9* buffer = nullptr;
    void* out = shell.LockDynamicVertices(count, sizeof(KSceneVertex), first, &buffer);
    if (!out) return false;
    std::memcpy(out, vertices, static_cast<size_t>(count) * sizeof(KSceneVertex));
    shell.UnlockDynamicVertices();
    device->SetStreamSource(0, buffer, 0, sizeof(KSceneVertex));
    return true;
}
