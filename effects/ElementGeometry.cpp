// Vertices of one effect element for one draw, by type:
//   1, 2, 5  a quad: one strip of 4
//   3        a dome: M strips of 2N + 1 (N rings, M sides), each ending at the apex
//   4        a ring or cylinder: one strip of 2N + 2, closed by repeating the first pair
//   6        a model's outline: one strip of 10 around the four upright sides of its box
// Positions are less the sampled offset, so the offset moves the pivot of
// scaling and turning rather than the drawn shape.
#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/ElementModelSeam.h"
#include "effects/K3DEffectSet.h"
#include "shell/D3DDevice.h"

namespace {

constexpr int64_t kMaxVertices = 65536;
constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;
constexpr DWORD kOutlineColor = 0xFFFFFFFF;

// Room for count vertices; empty for a count outside 1..kMaxVertices.
KEffectGeometry Allocate(int64_t count) {
    KEffectGeometry g;
    if (count < 1 || count > kMaxVertices) return g;
    g.vertices = std::make_unique_for_overwrite<K3DEffectVertex[]>(size_t(count));
    g.count = int(count);
    return g;
}

K3DEffectVertex Vertex(const D3DXVECTOR3& p, DWORD color, float u, float v) { return {p.x, p.y, p.z, color, u, v}; }

// Texture coordinates of the four quad corners, in vertex order: mode 1
// shows the picture once; modes 2 and 3 repeat it S.x times along u. Other
// modes take mode 1's.
void QuadCoordinates(int mappingMode, float scaleX, float (&u)[4], float (&v)[4]) {
    const float uRight = (mappingMode == 2 || mappingMode == 3) ? scaleX : 1.0f;
    const float us[4] = {0.0f, 0.0f, uRight, uRight};
    const float vs[4] = {1.0f, 0.0f, 1.0f, 0.0f};
    for (int i = 0; i < 4; ++i) u[i] = us[i], v[i] = vs[i];
}

KEffectGeometry Quad(const D3DXVECTOR3 (&corners)[4], int mappingMode, float scaleX, DWORD color) {
    KEffectGeometry g = Allocate(4);
    float u[4], v[4];
    QuadCoordinates(mappingMode, scaleX, u, v);
    for (int i = 0; i < 4; ++i) g.vertices[size_t(i)] = Vertex(corners[i], color, u[i], v[i]);
    return g;
}

KEffectGeometry GroundQuad(const K3DEffectElementRecord& r, const D3DXVECTOR3& o, const D3DXVECTOR3& s, DWORD c) {
    const float w = r.dimension[0] * 0.5f;
    const float d = r.dimension[1] * 0.5f;
    const D3DXVECTOR3 corners[4] = {D3DXVECTOR3(-w, 0.0f, -d) - o, D3DXVECTOR3(-w, 0.0f, d) - o,
                                    D3DXVECTOR3(w, 0.0f, -d) - o, D3DXVECTOR3(w, 0.0f, d) - o};
    return Quad(corners, r.mappingMode, s.x, c);
}

KEffectGeometry UprightQuad(const K3DEffectElementRecord& r, const D3DXVECTOR3& o, const D3DXVECTOR3& s, DWORD c) {
    const float w = r.dimension[0] * 0.5f;
    const float h = r.dimension[1] * 0.5f;
    const D3DXVECTOR3 corners[4] = {D3DXVECTOR3(-w, -h, 0.0f) - o, D3DXVECTOR3(-w, h, 0.0f) - o,
                                    D3DXVECTOR3(w, -h, 0.0f) - o, D3DXVECTOR3(w, h, 0.0f) - o};
    return Quad(corners, r.mappingMode, s.x, c);
}

// Faces the camera of the device's view; placed in the world at M's
// translation, without the offset.
KEffectGeometry CameraQuad(const K3DEffectElementRecord& r, const D3DXMATRIX& world, const D3DXVECTOR3& s, DWORD c,
                           float f1, float f2) {
    D3DXMATRIX view;
    D3DXMatrixIdentity(&view);
    if (IDirect3DDevice9* device = g_D3DDevice.device) device->GetTransform(D3DTS_VIEW, &view);
    D3DXVECTOR3 right(view._11, view._21, view._31);
    D3DXVECTOR3 up(view._12, view._22, view._32);
    D3DXVec3Normalize(&right, &right);
    D3DXVec3Normalize(&up, &up);
    const D3DXVECTOR3 a = right * (r.dimension[0] * s.x * 0.5f * f1);
    const D3DXVECTOR3 b = up * (r.dimension[1] * s.y * 0.5f * f2);
    const D3DXVECTOR3 p(world._41, world._42, world._43);
    const D3DXVECTOR3 corners[4] = {p - a - b, p - a + b, p + a - b, p + a + b};
    return Quad(corners, 1, s.x, c);
}

// N sides; mapping mode 4 lays a flat ring seen from above, every other
// mode a band once around.
KEffectGeometry Ring(const K3DEffectElementRecord& r, const D3DXVECTOR3& o, const D3DXVECTOR3& s, DWORD c) {
    const int n = r.segments[0];
    if (n < 1) return {};
    KEffectGeometry g = Allocate(2 * int64_t(n) + 2);
    if (!g.count) return g;
    const float step = kTwoPi / float(n);
    const float r1 = r.dimension[0] * s.x;
    const float r2 = r.dimension[1] * s.y;
    const float h = r.dimension[2] * 0.5f * s.z;
    const bool flat = r.mappingMode == 4;
    const float du = 1.0f / float(n);
    float u = 0.0f;
    K3DEffectVertex* out = g.vertices.get();
    for (int i = 0; i < n; ++i, u += du) {
        const double a = double(float(i) * step);
        const float cs = float(std::cos(a));
        const float sn = float(std::sin(a));
        K3DEffectVertex& top = out[2 * i];
        K3DEffectVertex& bottom = out[2 * i + 1];
        top = Vertex(D3DXVECTOR3(r1 * cs, h, r1 * sn) - o, c, u, 0.0f);
        bottom = Vertex(D3DXVECTOR3(r2 * cs, -h, r2 * sn) - o, c, u, 1.0f);
        if (flat) {
            top.u = 0.15f * cs + 0.5f, top.v = 0.15f * sn + 0.5f;
            bottom.u = 0.5f * cs + 0.5f, bottom.v = 0.5f * sn + 0.5f;
        }
    }
    out[2 * n] = out[0];
    out[2 * n + 1] = out[1];
    if (!flat) out[2 * n].u = out[2 * n + 1].u = u;
    return g;
}

// N rings up to the apex, M sides around; trigonometry in double precision
// from single-precision angles.
KEffectGeometry Dome(const K3DEffectElementRecord& r, const D3DXVECTOR3& o, DWORD c) {
    const int n = r.segments[0];
    const int m = r.segments[1];
    if (n < 1 || m < 1) return {};
    const int64_t perStrip = 2 * int64_t(n) + 1;
    KEffectGeometry g = Allocate(perStrip * m);
    if (!g.count) return g;
    const double radius = r.dimension[0];
    const float dPhi = kHalfPi / float(n);
    const float dTheta = kTwoPi / float(m);
    std::vector<double> ringCos(static_cast<size_t>(n)), ringSin(static_cast<size_t>(n));
    for (int b = 0; b < n; ++b) {
        const double phi = double(float(b) * dPhi);
        ringCos[size_t(b)] = std::cos(phi);
        ringSin[size_t(b)] = std::sin(phi);
    }
    const auto point = [&](int b, double ct, double st) {
        const double cp = ringCos[size_t(b)];
        const D3DXVECTOR3 p(float(radius * cp * ct), float(radius * ringSin[size_t(b)]), float(radius * cp * st));
        return Vertex(p - o, c, float(cp * ct * 0.5 + 0.5), float(cp * st * 0.5 + 0.5));
    };
    const D3DXVECTOR3 apex = D3DXVECTOR3(0.0f, float(radius), 0.0f) - o;
    K3DEffectVertex* out = g.vertices.get();
    double ct0 = std::cos(0.0), st0 = std::sin(0.0);
    for (int side = 0; side < m; ++side) {
        const double theta1 = double(float(side + 1) * dTheta);
        const double ct1 = std::cos(theta1), st1 = std::sin(theta1);
        for (int b = 0; b < n; ++b) {
            *out++ = point(b, ct0, st0);
            *out++ = point(b, ct1, st1);
        }
        *out++ = Vertex(apex, c, 0.5f, 0.5f);
        ct0 = ct1, st0 = st1;
    }
    return g;
}

KEffectGeometry ModelOutline(KModelProxy* model) {
    D3DXVECTOR3 lo, hi;
    if (!model || !element_model::GetBounds(model, &lo, &hi)) return {};
    KEffectGeometry g = Allocate(10);
    const D3DXVECTOR3 corners[10] = {
        {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {hi.x, lo.y, hi.z},
        {hi.x, hi.y, hi.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z},
    };
    for (int i = 0; i < 10; ++i) g.vertices[size_t(i)] = Vertex(corners[i], kOutlineColor, 0.0f, 0.0f);
    return g;
}

}  // namespace

KEffectGeometry K3DEffectSet::BuildElementGeometry(const K3DEffectElement* element, const D3DXMATRIX& world,
                                                   const D3DXVECTOR3& offset, const D3DXVECTOR3& scale, DWORD color,
                                                   float f1, float f2) {
    if (!element) return {};
    m_lastElementPosition = D3DXVECTOR3(world._41, world._42, world._43);
    const K3DEffectElementRecord& r = element->record;
    switch (r.type) {
        case 1: return GroundQuad(r, offset, scale, color);
        case 2: return UprightQuad(r, offset, scale, color);
        case 3: return Dome(r, offset, color);
        case 4: return Ring(r, offset, scale, color);
        case 5: return CameraQuad(r, world, scale, color, f1, f2);
        case 6: return ModelOutline(element->Model());
        default: return {};
    }
}
