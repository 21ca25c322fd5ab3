// A skinned shape mesh is re-posed from its bones' nodes before each draw.
#include <cmath>

#include "shape/KShapeMesh.h"
#include "shape/ShapeDrawParams.h"

namespace {

void Normalise(KShapeVec3& v, float atLeast) {
    const float length2 = v.x * v.x + v.y * v.y + v.z * v.z;
    if (length2 <= atLeast) return;
    const float k = 1.0f / std::sqrt(length2);
    v = {v.x * k, v.y * k, v.z * k};
}

}  // namespace

void KShapeSkinMesh::Repose(const float* nodeMatrices, uint32_t nodeCount) {
    // Bone matrix = its node's matrix x its initial transform (node form).
    std::vector<KShapeMatrix> bones(boneTransforms.count);
    for (uint32_t b = 0; b < boneTransforms.count; ++b) {
        const uint32_t node = b < boneNodes.count ? uint32_t(boneNodes[b]) : UINT32_MAX;
        if (nodeMatrices && node < nodeCount)
            MatrixMultiply(nodeMatrices + 16 * size_t(node), boneTransforms[b].m, bones[b].m);
        else
            bones[b] = boneTransforms[b];
    }
    int64_t previous = -1;
    for (uint32_t i = 0; i < weights.count; ++i) {
        const uint32_t v = uint32_t(weightVertices[i]);
        if (int64_t(v) != previous) {
            vertices[v] = normals[v] = {0.0f, 0.0f, 0.0f};
            tangents[v].x = tangents[v].y = tangents[v].z = 0.0f;
            previous = v;
        }
        const float* m = bones[uint32_t(weightBones[i])].m;
        const float k = weights[i];
        const KShapeVec3 p = initialVertices[v], n = initialNormals[v];
        const KShapeTangent t = initialTangents[v];
        vertices[v].x += k * (m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3]);
        vertices[v].y += k * (m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7]);
        vertices[v].z += k * (m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]);
        normals[v].x += k * (m[0] * n.x + m[1] * n.y + m[2] * n.z);
        normals[v].y += k * (m[4] * n.x + m[5] * n.y + m[6] * n.z);
        normals[v].z += k * (m[8] * n.x + m[9] * n.y + m[10] * n.z);
        tangents[v].x += k * (m[0] * t.x + m[1] * t.y + m[2] * t.z);
        tangents[v].y += k * (m[4] * t.x + m[5] * t.y + m[6] * t.z);
        tangents[v].z += k * (m[8] * t.x + m[9] * t.y + m[10] * t.z);
    }
    for (KShapeVec3& n : normals) Normalise(n, 0.01f);
    for (KShapeTangent& t : tangents) {
        KShapeVec3 d{t.x, t.y, t.z};
        if (d.x * d.x + d.y * d.y + d.z * d.z > 0.0f)
            Normalise(d, 0.0f);
        else
            d = {0.0f, 0.0f, 1.0f};
        t.x = d.x;
        t.y = d.y;
        t.z = d.z;
    }
}

void KShapeSkinMesh::Render(int frame, int materialFrame, const KShapeMaterialList& materials,
                            IDirect3DDevice9* device) {
    Repose(g_ShapeDrawParams.nodeMatrices, g_ShapeDrawParams.nodeCount);
    // The standard drawing builds the buffers again from the new vertices.
    ReleaseBuffers();
    KShapeMesh::Render(frame, materialFrame, materials, device);
}
