#include "shape/ShapeObjectDraw.h"

#include "shape/KShape.h"
#include "shape/ShapeDrawParams.h"

void DrawShapeObject(const KShape& shape, uint32_t object, int32_t level, int frame, int materialFrame,
                     float visibility, const KShapeMaterialList& materials, IDirect3DDevice9* device) {
    if (object >= shape.objects.count || visibility <= 0.01f || level < 0) return;
    const KShapeObject& record = shape.objects[object];
    if (level >= record.meshCount) return;
    KShapeMesh* mesh = shape.ObjectMesh(int64_t(record.firstMesh) + level);
    if (!mesh) return;
    const KShapeDrawParams& params = g_ShapeDrawParams;
    if (record.node >= 0 && params.nodeMatrices && uint32_t(record.node) < params.nodeCount)
        MatrixTranspose(params.nodeMatrices + 16 * size_t(record.node), mesh->currentMatrix);
    else
        MatrixIdentity(mesh->currentMatrix);
    g_ShapeDrawParams.visibility = visibility;
    mesh->Render(frame, materialFrame, materials, device);
}
