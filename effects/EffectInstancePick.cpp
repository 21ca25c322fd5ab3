// Picking elements under a screen point and selecting those inside a
// screen rectangle. Screen points become points on a plane through the
// camera, one world unit a pixel, and the pick ray runs from there along
// the view's up column.
#include <vector>

#include "effects/K3DEffectInstance.h"
#include "shell/D3DDevice.h"

namespace {

constexpr float kNoHit = -1.0f;
constexpr float kMinDeterminant = 0.0001f;

struct ViewBasis {
    D3DXVECTOR3 right{1, 0, 0};
    D3DXVECTOR3 up{0, 1, 0};
    D3DXVECTOR3 back{0, 0, 1};
    D3DXVECTOR3 eye{0, 0, 0};

    // The world point under the screen point of a width x height viewport.
    D3DXVECTOR3 PointAt(int x, int y, int width, int height) const {
        return eye + right * (float(x) - float(width) / 2.0f) + back * (float(height) / 2.0f - float(y));
    }
};

ViewBasis ViewOfDevice() {
    ViewBasis basis;
    D3DXMATRIX view, inverse;
    D3DXMatrixIdentity(&view);
    if (IDirect3DDevice9* device = g_D3DDevice.device) device->GetTransform(D3DTS_VIEW, &view);
    const D3DXVECTOR3 right(view._11, view._21, view._31);
    D3DXVec3Normalize(&basis.right, &right);
    basis.up = D3DXVECTOR3(view._12, view._22, view._32);
    D3DXVECTOR3 back;
    D3DXVec3Cross(&back, &basis.up, &basis.right);
    D3DXVec3Normalize(&basis.back, &back);
    if (D3DXMatrixInverse(&inverse, nullptr, &view)) basis.eye = D3DXVECTOR3(inverse._41, inverse._42, inverse._43);
    return basis;
}

// Distance along the ray to the triangle, or kNoHit. Either winding hits;
// the distance may be negative (behind the origin).
float RayTriangle(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir, const D3DXVECTOR3& v0, const D3DXVECTOR3& v1,
                  const D3DXVECTOR3& v2) {
    const D3DXVECTOR3 edge1 = v1 - v0;
    const D3DXVECTOR3 edge2 = v2 - v0;
    D3DXVECTOR3 p;
    D3DXVec3Cross(&p, &dir, &edge2);
    float det = D3DXVec3Dot(&edge1, &p);
    D3DXVECTOR3 t = origin - v0;
    if (det < 0.0f) {
        t = v0 - origin;
        det = -det;
    }
    if (!(det >= kMinDeterminant)) return kNoHit;
    const float u = D3DXVec3Dot(&t, &p);
    if (u < 0.0f || u > det) return kNoHit;
    D3DXVECTOR3 q;
    D3DXVec3Cross(&q, &t, &edge1);
    const float v = D3DXVec3Dot(&dir, &q);
    if (v < 0.0f || u + v > det) return kNoHit;
    return D3DXVec3Dot(&edge2, &q) / det;
}

// Triangles (j, j + 1, j + 2) of one strip from `first`, j from 0 to
// count - 1: the first hit, or the nearest with `nearest`.
float HitStrip(const std::vector<D3DXVECTOR3>& v, size_t first, int count, bool nearest, const D3DXVECTOR3& origin,
               const D3DXVECTOR3& dir) {
    float best = kNoHit;
    for (int j = 0; j < count; ++j) {
        const size_t a = first + size_t(j);
        if (a + 2 >= v.size()) break;
        const float d = RayTriangle(origin, dir, v[a], v[a + 1], v[a + 2]);
        if (d == kNoHit) continue;
        if (!nearest) return d;
        if (best == kNoHit || d < best) best = d;
    }
    return best;
}

}  // namespace

float K3DEffectInstance::PickElement(int index, int x, int y, int time, int width, int height) {
    const K3DEffectElement* element = m_set->GetElement(index);
    if (!element) return kNoHit;
    const Placed placed = UpdateElementState(index, time, true);
    if (!placed.geometry.count) return kNoHit;
    const ViewBasis view = ViewOfDevice();
    const D3DXVECTOR3 origin = view.PointAt(x, y, width, height);
    const int type = element->Type();
    const D3DXMATRIX& toWorld = type == 5 ? placed.savedWorld : placed.m;
    std::vector<D3DXVECTOR3> v(size_t(placed.geometry.count));
    for (size_t i = 0; i < v.size(); ++i) {
        const K3DEffectVertex& local = placed.geometry.vertices[i];
        const D3DXVECTOR3 p(local.x, local.y, local.z);
        D3DXVec3TransformCoord(&v[i], &p, &toWorld);
    }
    const int n = element->record.segments[0];
    switch (type) {
        case 1:
        case 2:
        case 5: return HitStrip(v, 0, 2, false, origin, view.up);
        case 4: return HitStrip(v, 0, 2 * n, true, origin, view.up);
        case 6: return HitStrip(v, 0, 8, false, origin, view.up);
        case 3: {
            const size_t perStrip = size_t(2 * n + 1);
            float best = kNoHit;
            for (size_t first = 0; first + perStrip <= v.size(); first += perStrip) {
                const float d = HitStrip(v, first, 2 * n - 1, true, origin, view.up);
                if (d != kNoHit && (best == kNoHit || d < best)) best = d;
            }
            return best;
        }
        default: return kNoHit;
    }
}

int K3DEffectInstance::PickByRay(DWORD, DWORD, int x, int y, int time, int width, int height) {
    if (!m_set) return -1;
    int picked = -1;
    float nearest = kNoHit;
    for (int i = 0; i < m_set->ElementCount(); ++i) {
        const float d = PickElement(i, x, y, time, width, height);
        if (d == kNoHit) continue;
        if (picked >= 0 && !(d < nearest)) continue;
        picked = i;
        nearest = d;
    }
    return picked < 0 ? -1 : int(m_set->GetElement(picked)->Id());
}

bool K3DEffectInstance::IsElementInRect(int index, const RECT& rectangle, bool requireAll, int time, int width,
                                        int height) {
    const K3DEffectElement* element = m_set->GetElement(index);
    if (!element) return false;
    const Placed placed = UpdateElementState(index, time, false);
    if (element->Type() == 6) return false;  // a model has no vertices to test
    const ViewBasis view = ViewOfDevice();
    const D3DXVECTOR3 p1 = view.PointAt(rectangle.left, rectangle.top, width, height);
    const D3DXVECTOR3 p2 = view.PointAt(rectangle.right, rectangle.bottom, width, height);
    const struct {
        D3DXVECTOR3 point, normal;
    } sides[4] = {{p1, -view.back}, {p1, view.right}, {p2, -view.right}, {p2, view.back}};
    const D3DXMATRIX& toWorld = element->Type() == 5 ? placed.savedWorld : placed.m;
    int inside = 0;
    for (int i = 0; i < placed.geometry.count; ++i) {
        const K3DEffectVertex& local = placed.geometry.vertices[size_t(i)];
        const D3DXVECTOR3 p(local.x, local.y, local.z);
        D3DXVECTOR3 w;
        D3DXVec3TransformCoord(&w, &p, &toWorld);
        bool in = true;
        for (const auto& side : sides) {
            const D3DXVECTOR3 from = w - side.point;
            if (D3DXVec3Dot(&from, &side.normal) < 0.0f) in = false;
        }
        if (in) ++inside;
    }
    if (requireAll) return placed.geometry.count > 0 && inside == placed.geometry.count;
    return inside > 0;
}

bool K3DEffectInstance::SelectInVolume(std::vector<DWORD>* ids, DWORD, DWORD, RECT rectangle, bool requireAll,
                                       int time, int width, int height) {
    if (!m_set || !ids) return false;
    bool any = false;
    for (int i = 0; i < m_set->ElementCount(); ++i) {
        if (!IsElementInRect(i, rectangle, requireAll, time, width, height)) continue;
        ids->push_back(m_set->GetElement(i)->Id());
        any = true;
    }
    return any;
}
