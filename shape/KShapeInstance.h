// One animated copy of a shape: its threads, the state of every object,
// decal and image-list material, and one matrix per node. Changes mark the
// sub-shapes dirty by what they touch; Animate brings only the dirty parts
// up to date for a detail level; RenderDetail draws that level.
//
//   KShapeInstance.cpp      construction, Init, threads, triggers, materials
//   ShapeAnimate.cpp        Animate by dirty mask, play order, image lists
//   ShapeAnimateNodes.cpp   node rotations, translations, scales, parents
//   ShapeAnimateStates.cpp  object visibility and frames, decal states
//   ShapeInstanceRender.cpp RenderDetail, RenderFaded
#pragma once

#include <d3d9.h>

#include <cstdint>

#include "shape/KGrowArray.h"
#include "shape/KShapeMesh.h"
#include "shape/KShapeThread.h"
#include "shape/ShapeRecords.h"

class KShape;
class KShapeMaterialList;

// The state of one object of the shape.
struct KShapeMeshObjectInstance {
    int32_t node;  // -1 none
    KShapeMeshBase* const* meshes;  // the object's first mesh entry; null when none
    const KShapeObject* object;
    int32_t frame;
    int32_t materialFrame;
    float visibility;
};

// The state of one decal; decals are kept, not drawn.
struct KShapeDecalInstance {
    int32_t node;  // the target object's
    KShapeMeshBase* const* meshes;  // the decal's first mesh entry; null when none
    const KShapeMeshObjectInstance* target;  // null without a target object
    const KShapeDecal* decal;
    int32_t state;
};

struct KShapeIflInstance {
    const KShapeIflMaterial* material;
    int32_t frame;  // -1 until animated
};

class KShapeInstance {
public:
    // Every field cleared, then Init.
    KShapeInstance(KShape* shape, bool withMaterials, IDirect3DDevice9* device);
    KShapeInstance(const KShapeInstance&) = delete;
    KShapeInstance& operator=(const KShapeInstance&) = delete;

    // Draws the objects of the detail's sub-shape at its object detail level
    // with the instance's materials and device; the two arguments are
    // published for the meshes. Nothing for detail -1 or one past the
    // shape's details.
    virtual void RenderDetail(int32_t detail, const KShapeMaterialList* materials, IDirect3DDevice9* device);
    // Cross-fades the detail with the next one by the current size.
    virtual void RenderFaded(int32_t detail, const KShapeMaterialList* materials);
    // Deletes the threads without reading the shape, which may be gone.
    virtual ~KShapeInstance();

    void Init(KShape* shape, bool withMaterials);

    // A new thread on sequence 0 at position 0; null when the shape has no
    // sequences.
    KShapeThread* AddThread();
    uint32_t GetThreadCount() const { return m_threads.Count(); }
    // Null past the last thread.
    KShapeThread* GetThread(uint32_t i) const { return i < m_threads.Count() ? *m_threads.At(i) : nullptr; }
    KShape* GetShape() const { return m_shape; }
    // Nothing for a thread of another instance or a sequence index past the
    // shape's sequences.
    void SetSequence(KShapeThread* thread, uint32_t sequence, float position);
    void RemoveThread(KShapeThread* thread);
    void AdvanceTime(float seconds);
    void SetTriggerState(uint32_t bits, bool on);
    // Draws with list from now on; the instance does not own it.
    void SetMaterialList(KShapeMaterialList* list);

    // Brings the detail's sub-shape up to date by its dirty mask, then clears
    // the mask. Nothing for detail -1, a detail past the shape's or one
    // without a sub-shape.
    void Animate(int32_t detail);
    void Animate() { Animate(m_currentDetail); }

    // ORs bits into every sub-shape's dirty mask.
    void MarkDirty(uint32_t bits);

    // State the meshes and tests read.
    uint32_t TriggerState() const { return m_triggerState; }
    const KShapeMaterialList* MaterialList() const { return m_materials; }
    IDirect3DDevice9* Device() const { return m_device; }
    bool ScaleAnimated() const { return m_scaleAnimated; }
    int32_t CurrentDetail() const { return m_currentDetail; }
    uint32_t DirtyMask(uint32_t subShape) const { return subShape < m_dirty.Count() ? m_dirty[subShape] : 0; }
    // Node n's matrix (16 floats, translation in elements 3, 7 and 11).
    const float* NodeMatrix(uint32_t n) const { return m_nodeMatrices.At(n)->m; }
    uint32_t NodeCount() const { return m_nodeMatrices.Count(); }
    const KGrowArray<KShapeMeshObjectInstance>& MeshObjects() const { return m_meshObjects; }
    const KGrowArray<KShapeDecalInstance>& Decals() const { return m_decals; }
    const KGrowArray<KShapeIflInstance>& IflMaterials() const { return m_iflMaterials; }

    // Drawing parameters nothing in the module changes after construction.
    void SetFade(bool on, float alpha) {
        m_fade = on;
        m_fadeAlpha = alpha;
    }
    void SetCurrentSize(float size) { m_currentSize = size; }
    void SetCurrentDetail(int32_t detail) { m_currentDetail = detail; }

private:
    void RecomputeScaleAnimated();
    bool Owns(const KShapeThread* thread) const;
    void BuildMeshObjects();
    void BuildDecals();
    void BuildIflMaterials();

    // Animation steps (ShapeAnimate*.cpp).
    void AnimateSubShape(uint32_t subShape);
    void SortThreads();
    void AnimateIflFrames();
    void AnimateNodes(uint32_t subShape);
    void AnimateObjectStates(uint32_t subShape, uint32_t which);
    void AnimateDecals(uint32_t subShape);

    bool m_fade = false;
    float m_fadeAlpha = 1.0f;
    uint8_t m_drawBytes[2] = {};
    float m_currentSize = 1.0f;
    uint32_t m_triggerState = 0;
    KShapeMaterialList* m_materials = nullptr;  // never owned
    KShape* m_shape = nullptr;
    KGrowArray<KShapeThread*> m_threads;  // in play order once sorted
    uint64_t m_threadsAdded = 0;
    bool m_scaleAnimated = false;
    int32_t m_currentDetail = 0;
    IDirect3DDevice9* m_device;
    KGrowArray<uint32_t> m_dirty;  // per sub-shape
    KGrowArray<KShapeMeshObjectInstance> m_meshObjects;
    KGrowArray<KShapeDecalInstance> m_decals;
    KGrowArray<KShapeIflInstance> m_iflMaterials;
    KGrowArray<KShapeMatrix> m_nodeMatrices;
};
