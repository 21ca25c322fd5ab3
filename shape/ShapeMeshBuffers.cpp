// The device buffers of a shape mesh: one managed vertex buffer of 76-byte
// vertices, one managed index buffer per primitive, and the frame rewrite
// that moves texture coordinate 0 to another frame.
#include <climits>
#include <cstring>

#include "shape/KShapeMesh.h"

namespace {

// Byte offset of texture coordinate 0 in a vertex.
constexpr UINT kTexCoordOffset = 24;

KShapeVec2 TexCoordAt(const KBlockArray<KShapeVec2>& texCoords, uint64_t i) {
    return texCoords.count ? texCoords[uint32_t(i % texCoords.count)] : KShapeVec2{0.0f, 0.0f};
}

D3DPRIMITIVETYPE PrimitiveType(uint32_t material) {
    switch (material >> 30) {
        case 1: return D3DPT_TRIANGLESTRIP;
        case 2: return D3DPT_TRIANGLEFAN;
        default: return D3DPT_TRIANGLELIST;
    }
}

template <class Buffer>
void Release(Buffer*& buffer) {
    if (buffer) buffer->Release();
    buffer = nullptr;
}

}  // namespace

KShapeMesh::~KShapeMesh() { ReleaseBuffers(); }

void KShapeMesh::ReleaseBuffers() {
    Release(vertexBuffer);
    for (KShapeDrawable& d : drawables) Release(d.indices);
    drawables.clear();
}

bool KShapeMesh::BuildBuffers(IDirect3DDevice9* device) {
    const uint32_t n = vertices.count;
    if (n == 0 || !device || uint64_t(n) * kShapeMeshVertexBytes > UINT_MAX) return false;
    if (FAILED(device->CreateVertexBuffer(n * kShapeMeshVertexBytes, 0, kShapeMeshFvf, D3DPOOL_MANAGED, &vertexBuffer,
                                          nullptr)))
        return false;
    void* locked = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &locked, 0))) {
        ReleaseBuffers();
        return false;
    }
    auto* out = static_cast<uint8_t*>(locked);
    for (uint32_t i = 0; i < n; ++i, out += kShapeMeshVertexBytes) {
        const KShapeVec3& p = vertices[i];
        const KShapeVec3 nv = i < normals.count ? normals[i] : KShapeVec3{0.0f, 0.0f, 0.0f};
        const KShapeVec2 uv = TexCoordAt(texCoords, i);
        const KShapeTangent t = i < tangents.count ? tangents[i] : KShapeTangent{0.0f, 0.0f, 1.0f, 1.0f};
        // Binormal: normal x tangent, turned by the tangent's handedness.
        const float bx = (nv.y * t.z - nv.z * t.y) * t.w, by = (nv.z * t.x - nv.x * t.z) * t.w,
                    bz = (nv.x * t.y - nv.y * t.x) * t.w;
        const float vertex[19] = {p.x, p.y, p.z, nv.x, nv.y, nv.z, uv.x, uv.y, 0.0f, 0.0f,
                                  t.x, t.y, t.z, bx,   by,   bz,   nv.x, nv.y, nv.z};
        std::memcpy(out, vertex, sizeof vertex);
    }
    vertexBuffer->Unlock();
    bufferFrame = 0;
    bufferMaterialFrame = 0;

    drawables.reserve(primitives.count);
    for (const KShapePrimitive& p : primitives) {
        KShapeDrawable d{nullptr, PrimitiveType(p.material), PrimitiveTriangles(p.material, p.count), 0, 0, n};
        if (d.primitiveCount) {
            void* at = nullptr;
            if (FAILED(device->CreateIndexBuffer(p.count * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &d.indices,
                                                 nullptr)) ||
                FAILED(d.indices->Lock(0, 0, &at, 0))) {
                Release(d.indices);
                ReleaseBuffers();
                return false;
            }
            std::memcpy(at, indices.data + p.start, size_t(p.count) * 2);
            d.indices->Unlock();
        }
        drawables.push_back(d);
    }
    return true;
}

void KShapeMesh::RewriteFrame(int frame, int materialFrame) {
    const uint64_t perFrame = verticesPerFrame, n = vertices.count;
    const uint64_t first = perFrame * uint64_t(frame);
    bufferFrame = frame;
    bufferMaterialFrame = materialFrame;
    if (first >= n || perFrame == 0) return;
    const uint64_t count = n - first < perFrame ? n - first : perFrame;
    void* locked = nullptr;
    if (FAILED(vertexBuffer->Lock(UINT(first * kShapeMeshVertexBytes), UINT(count * kShapeMeshVertexBytes), &locked, 0)))
        return;
    auto* out = static_cast<uint8_t*>(locked) + kTexCoordOffset;
    const uint32_t texCount = texCoords.count;
    const KShapeVec2 none{0.0f, 0.0f};
    // Coordinate (i + perFrame x materialFrame) modulo the count, stepped.
    uint32_t from = texCount ? uint32_t(perFrame * uint64_t(materialFrame) % texCount) : 0;
    for (uint64_t i = 0; i < count; ++i, out += kShapeMeshVertexBytes) {
        std::memcpy(out, texCount ? &texCoords[from] : &none, sizeof(KShapeVec2));
        if (++from == texCount) from = 0;
    }
    vertexBuffer->Unlock();
}
