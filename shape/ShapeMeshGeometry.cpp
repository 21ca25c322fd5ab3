// Polygon counts and bounds of a shape mesh.
#include <cmath>

#include "shape/KShapeMesh.h"

uint32_t PrimitiveTriangles(uint32_t material, uint32_t count) {
    if (material < kPrimitiveListLimit) return count / 3;
    return count < 3 ? 0 : count - 2;  // strips and fans
}

uint32_t KShapeMesh::GetPolyCount() const {
    uint32_t total = 0;
    for (const KShapePrimitive& p : primitives) total += PrimitiveTriangles(p.material, p.count);
    return total;
}

void KShapeMesh::ComputeBounds(const float* m, float* box, int frame, KShapeVec3* middle, float* reach) const {
    uint64_t first = 0, end = vertices.count;
    if (frame >= 0) {
        first = uint64_t(verticesPerFrame) * uint64_t(frame);
        end = first + verticesPerFrame < end ? first + verticesPerFrame : end;
    }
    auto moved = [&](const KShapeVec3& p) -> KShapeVec3 {
        if (!m) return p;
        return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
                m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
    };
    for (int i = 0; i < 6; ++i) box[i] = 0.0f;
    *middle = {0.0f, 0.0f, 0.0f};
    *reach = 0.0f;
    if (first >= end) return;
    const KShapeVec3 start = moved(vertices[uint32_t(first)]);
    float lo[3] = {start.x, start.y, start.z}, hi[3] = {start.x, start.y, start.z};
    for (uint64_t i = first + 1; i < end; ++i) {
        const KShapeVec3 p = moved(vertices[uint32_t(i)]);
        const float v[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            if (v[k] < lo[k]) lo[k] = v[k];
            if (v[k] > hi[k]) hi[k] = v[k];
        }
    }
    for (int k = 0; k < 3; ++k) {
        box[k] = lo[k];
        box[3 + k] = hi[k];
    }
    *middle = {(lo[0] + hi[0]) * 0.5f, (lo[1] + hi[1]) * 0.5f, (lo[2] + hi[2]) * 0.5f};
    // The radius reaches the farthest vertex from the box's middle.
    float farthest = 0.0f;
    for (uint64_t i = first; i < end; ++i) {
        const KShapeVec3 p = moved(vertices[uint32_t(i)]);
        const float dx = p.x - middle->x, dy = p.y - middle->y, dz = p.z - middle->z;
        const float d = dx * dx + dy * dy + dz * dz;
        if (d > farthest) farthest = d;
    }
    *reach = std::sqrt(farthest);
}
