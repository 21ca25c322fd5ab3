// Drawing an instance at a detail level, and the cross-fade of a level with
// the next one by the instance's current size.
#include "shape/KShape.h"
#include "shape/KShapeInstance.h"
#include "shape/ShapeAnimateTables.h"
#include "shape/ShapeDrawParams.h"
#include "shape/ShapeObjectDraw.h"

namespace {

constexpr float kOpaqueAlpha = 0.99f;  // at or above it a level draws without fading

// What an instance made without materials draws with.
const KShapeMaterialList& NoMaterials() {
    static const KShapeMaterialList empty;
    return empty;
}

}  // namespace

void KShapeInstance::RenderDetail(int32_t detail, const KShapeMaterialList* materials, IDirect3DDevice9* device) {
    if (!m_shape || detail < 0 || uint32_t(detail) >= m_shape->details.count) return;
    const KShapeDetail& record = m_shape->details[uint32_t(detail)];
    if (record.subShape < 0 || uint32_t(record.subShape) >= m_shape->SubShapeCount()) return;
    const uint32_t s = uint32_t(record.subShape);

    KShapeDrawParams& params = g_ShapeDrawParams;
    params.device = device;
    params.nodeMatrices = m_nodeMatrices.Count() ? m_nodeMatrices.At(0)->m : nullptr;
    params.nodeCount = m_nodeMatrices.Count();
    params.detail = detail;
    params.materials = materials;
    params.fade = m_fade;
    params.fadeAlpha = m_fade ? m_fadeAlpha : 1.0f;
    params.drawBytes[0] = m_drawBytes[0];
    params.drawBytes[1] = m_drawBytes[1];

    const KShapeMaterialList& list = m_materials ? *m_materials : NoMaterials();
    const KIndexRange range =
        ClampedRange(m_shape->subShapeFirstObject[s], m_shape->subShapeObjectCount[s], m_meshObjects.Count());
    for (uint32_t o = range.begin; o < range.end; ++o) {
        const KShapeMeshObjectInstance& object = m_meshObjects[o];
        DrawShapeObject(*m_shape, o, record.objectDetailLevel, object.frame, object.materialFrame, object.visibility,
                        list, m_device);
    }
    params.nodeMatrices = nullptr;
    params.nodeCount = 0;
}

void KShapeInstance::RenderFaded(int32_t detail, const KShapeMaterialList* materials) {
    if (!m_shape || detail < 0 || uint32_t(detail) >= m_shape->details.count ||
        uint32_t(detail) >= m_shape->detailFadeBand.count || uint32_t(detail) >= m_shape->detailFadeSize.count)
        return;
    const float band = m_shape->detailFadeBand[uint32_t(detail)];
    const float size = m_shape->detailFadeSize[uint32_t(detail)];
    const float current = m_currentSize;
    const bool savedFade = m_fade;
    const float savedAlpha = m_fadeAlpha;
    const float a = m_fade ? m_fadeAlpha : 1.0f;
    const uint32_t next = uint32_t(detail) + 1;
    const bool drawsNext = next < m_shape->details.count && m_shape->details[next].size > 0.0f;

    auto drawAt = [&](uint32_t level, float alpha) {
        m_fade = alpha < kOpaqueAlpha;
        m_fadeAlpha = alpha;
        RenderDetail(int32_t(level), materials, m_device);
    };
    if (current > band + size) {
        drawAt(uint32_t(detail), a);
    } else if (current > size) {
        // Within the band, which is then wider than 0.
        if (drawsNext) drawAt(next, (band + size - current) * a / band);
        drawAt(uint32_t(detail), a);
    } else if (size > 0.0f) {
        if (drawsNext) drawAt(next, a);
        drawAt(uint32_t(detail), a / size * current);
    } else {
        drawAt(uint32_t(detail), a);
    }
    m_fade = savedFade;
    m_fadeAlpha = savedAlpha;
}
