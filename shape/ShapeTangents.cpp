// Per-vertex tangents of a shape mesh, from the position and texture
// coordinate differences of its triangles.
#include <cmath>

#include "shape/KShapeMesh.h"
#include "shape/ShapeReadContext.h"

namespace {

KShapeVec3 Add(const KShapeVec3& a, const KShapeVec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
KShapeVec3 Sub(const KShapeVec3& a, const KShapeVec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
KShapeVec3 Mul(const KShapeVec3& a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float Dot(const KShapeVec3& a, const KShapeVec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
KShapeVec3 Cross(const KShapeVec3& a, const KShapeVec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

KShapeVec2 TexCoordOf(const KBlockArray<KShapeVec2>& texCoords, uint32_t vertex) {
    return texCoords.count ? texCoords[vertex % texCoords.count] : KShapeVec2{0.0f, 0.0f};
}

}  // namespace

void KShapeMesh::ComputeTangents(KShapeReadContext& c) {
    const uint32_t n = vertices.count;
    std::vector<KShapeVec3>& binormals = c.binormalSums;
    binormals.assign(n, KShapeVec3{0.0f, 0.0f, 0.0f});
    for (uint32_t i = 0; i < n; ++i) tangents[i] = {0.0f, 0.0f, 0.0f, 0.0f};

    auto addTriangle = [&](uint32_t i0, uint32_t i1, uint32_t i2) {
        const KShapeVec3 e1 = Sub(vertices[i1], vertices[i0]), e2 = Sub(vertices[i2], vertices[i0]);
        const KShapeVec2 t0 = TexCoordOf(texCoords, i0), t1 = TexCoordOf(texCoords, i1), t2 = TexCoordOf(texCoords, i2);
        const float du1 = t1.x - t0.x, dv1 = t1.y - t0.y, du2 = t2.x - t0.x, dv2 = t2.y - t0.y;
        const float area = du1 * dv2 - du2 * dv1;
        if (area == 0.0f) return;  // no texture direction to follow
        const float r = 1.0f / area;
        const KShapeVec3 tangent = Mul(Sub(Mul(e1, dv2), Mul(e2, dv1)), r);
        const KShapeVec3 binormal = Mul(Sub(Mul(e2, du1), Mul(e1, du2)), r);
        for (uint32_t v : {i0, i1, i2}) {
            tangents[v].x += tangent.x;
            tangents[v].y += tangent.y;
            tangents[v].z += tangent.z;
            binormals[v] = Add(binormals[v], binormal);
        }
    };
    for (const KShapePrimitive& p : primitives) {
        const uint16_t* at = indices.data + p.start;
        if ((p.material & kPrimitiveTypeMask) == 0) {
            for (uint32_t k = 0; k + 2 < p.count; k += 3) addTriangle(at[k], at[k + 1], at[k + 2]);
        } else if (p.material & kPrimitiveFan) {
            for (uint32_t k = 1; k + 1 < p.count; ++k) addTriangle(at[0], at[k], at[k + 1]);
        }
    }

    for (uint32_t i = 0; i < n; ++i) {
        const KShapeVec3 normal = i < normals.count ? normals[i] : KShapeVec3{0.0f, 0.0f, 0.0f};
        const KShapeVec3 sum{tangents[i].x, tangents[i].y, tangents[i].z};
        KShapeVec3 t = Sub(sum, Mul(normal, Dot(normal, sum)));
        const float length = std::sqrt(Dot(t, t));
        t = length > 0.0f ? Mul(t, 1.0f / length) : KShapeVec3{0.0f, 0.0f, 1.0f};
        const float w = Dot(Cross(normal, t), binormals[i]) >= 0.0f ? 1.0f : -1.0f;
        tangents[i] = {t.x, t.y, t.z, w};
    }
}
