#include "shape/KShape.h"

#include <cstdlib>

void KShape::Clear() {
    if (meshes.data)
        for (KShapeMeshBase* mesh : meshes)
            if (mesh) DestroyMesh(mesh);
    std::free(block);
    static_cast<KShapeTables&>(*this) = KShapeTables{};
    sequences.Free();
    firstTranslucentObject.Free();
    detailRecords.Free();
    iflFrameTimes.Free();
    materials.Clear();
}

KShapeMesh* KShape::ObjectMesh(int64_t index) const {
    if (index < 0 || index >= int64_t(meshes.count) || !meshes.data) return nullptr;
    KShapeMeshBase* mesh = meshes[uint32_t(index)];
    return mesh && mesh->Kind() != kShapeMeshDecal ? static_cast<KShapeMesh*>(mesh) : nullptr;
}

KShapeDecalMesh* KShape::DecalMesh(int64_t index) const {
    if (index < 0 || index >= int64_t(meshes.count) || !meshes.data) return nullptr;
    KShapeMeshBase* mesh = meshes[uint32_t(index)];
    return mesh && mesh->Kind() == kShapeMeshDecal ? static_cast<KShapeDecalMesh*>(mesh) : nullptr;
}

const char* KShape::Name(int64_t index) const {
    return index >= 0 && index < int64_t(names.count) && names.data ? names[uint32_t(index)] : "";
}
