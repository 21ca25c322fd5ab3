#include "shape/KShapeInstance.h"

#include <cstring>

#include "shape/KShape.h"

KShapeInstance::KShapeInstance(KShape* shape, bool withMaterials, IDirect3DDevice9* device) : m_device(device) {
    Init(shape, withMaterials);
}

KShapeInstance::~KShapeInstance() {
    // The shape may already be freed (the model manager frees meshes before
    // models): only the instance's own memory is touched here.
    for (uint32_t i = m_threads.Count(); i-- > 0;) delete m_threads[i];
}

void KShapeInstance::Init(KShape* shape, bool withMaterials) {
    // Threads play sequences of the shape they were made on.
    for (KShapeThread* thread : m_threads) delete thread;
    m_threads.Resize(0);
    m_scaleAnimated = false;
    m_shape = shape;
    if (!shape) return;
    m_materials = withMaterials ? &shape->materials : nullptr;
    m_nodeMatrices.Resize(shape->nodes.count);
    for (KShapeMatrix& m : m_nodeMatrices) MatrixIdentity(m.m);
    BuildMeshObjects();
    BuildDecals();
    if (withMaterials) BuildIflMaterials();
    m_dirty.Resize(shape->SubShapeCount());
    m_currentDetail = 0;
    MarkDirty(kDirtyAll);
    for (uint32_t s = 0; s < m_dirty.Count(); ++s)
        if (m_dirty[s] & kDirtyNodes) AnimateSubShape(s);
}

void KShapeInstance::BuildMeshObjects() {
    const KShape& shape = *m_shape;
    m_meshObjects.Resize(0);
    for (uint32_t i = 0; i < shape.objects.count; ++i) {
        const KShapeObject& object = shape.objects[i];
        const bool hasMeshes = object.meshCount > 0 && object.firstMesh >= 0 &&
                               uint64_t(object.firstMesh) < shape.meshes.count && shape.meshes.data;
        const KShapeObjectState state = i < shape.objectStates.count ? shape.objectStates[i] : KShapeObjectState{1, 0, 0};
        KShapeMeshObjectInstance* record = m_meshObjects.Append();
        if (!record) return;
        *record = {object.node, hasMeshes ? shape.meshes.data + object.firstMesh : nullptr, &object,
                   state.frame,  state.materialFrame, state.visibility};
    }
}

void KShapeInstance::BuildDecals() {
    KShape& shape = *m_shape;
    m_decals.Resize(0);
    for (uint32_t i = 0; i < shape.decals.count; ++i) {
        const KShapeDecal& decal = shape.decals[i];
        const bool hasTarget = decal.object >= 0 && uint32_t(decal.object) < m_meshObjects.Count();
        const KShapeMeshObjectInstance* target = hasTarget ? m_meshObjects.At(uint32_t(decal.object)) : nullptr;
        const bool hasMeshes = decal.meshCount > 0 && decal.firstMesh >= 0 &&
                               uint64_t(decal.firstMesh) < shape.meshes.count && shape.meshes.data;
        KShapeDecalInstance* record = m_decals.Append();
        if (!record) return;
        const int32_t state = i < shape.decalStates.count ? shape.decalStates[i] : 0;
        *record = {target ? target->node : -1, hasMeshes ? shape.meshes.data + decal.firstMesh : nullptr, target,
                   &decal, state};
        // Each decal mesh lies on the target object's mesh of the same
        // detail. One without a target stays in the shared table: other
        // instances of the shape read the same entry.
        for (int64_t k = 0; k < decal.meshCount; ++k) {
            KShapeDecalMesh* mesh = shape.DecalMesh(int64_t(decal.firstMesh) + k);
            if (!mesh) continue;
            const KShapeObject* object = target ? target->object : nullptr;
            mesh->target = object && k < object->meshCount ? shape.ObjectMesh(int64_t(object->firstMesh) + k) : nullptr;
        }
    }
}

void KShapeInstance::BuildIflMaterials() {
    m_iflMaterials.Resize(0);
    for (const KShapeIflMaterial& material : m_shape->iflMaterials) {
        KShapeIflInstance* record = m_iflMaterials.Append();
        if (!record) return;
        *record = {&material, -1};
    }
}

void KShapeInstance::MarkDirty(uint32_t bits) {
    for (uint32_t& mask : m_dirty) mask |= bits;
}

bool KShapeInstance::Owns(const KShapeThread* thread) const {
    for (const KShapeThread* t : m_threads)
        if (t == thread) return thread != nullptr;
    return false;
}

void KShapeInstance::RecomputeScaleAnimated() {
    m_scaleAnimated = false;
    for (const KShapeThread* t : m_threads)
        if (t->Sequence()->ScaleKind()) m_scaleAnimated = true;
}

KShapeThread* KShapeInstance::AddThread() {
    if (!m_shape || m_shape->sequences.Count() == 0) return nullptr;
    KShapeThread** slot = m_threads.Append();
    if (!slot) return nullptr;
    *slot = new KShapeThread(this, m_threadsAdded++);
    MarkDirty(kDirtyAll);
    // A scaled first sequence animates its scales from the start.
    if ((*slot)->Sequence()->ScaleKind()) m_scaleAnimated = true;
    return *slot;
}

void KShapeInstance::SetSequence(KShapeThread* thread, uint32_t sequence, float position) {
    if (!Owns(thread) || !thread->SetSequence(sequence, position)) return;
    MarkDirty(kDirtyAll);
    if (thread->Sequence()->ScaleKind())
        m_scaleAnimated = true;
    else if (m_scaleAnimated)
        RecomputeScaleAnimated();
}

void KShapeInstance::RemoveThread(KShapeThread* thread) {
    if (!Owns(thread)) return;
    const uint32_t n = m_threads.Count();
    uint32_t i = 0;
    while (*m_threads.At(i) != thread) ++i;
    delete thread;
    std::memmove(m_threads.At(i), m_threads.At(i + 1), (n - i - 1) * sizeof(KShapeThread*));
    m_threads.Resize(n - 1);
    MarkDirty(kDirtyAll);
    RecomputeScaleAnimated();
}

void KShapeInstance::AdvanceTime(float seconds) {
    for (KShapeThread* thread : m_threads) thread->AdvanceTime(seconds);
}

void KShapeInstance::SetTriggerState(uint32_t bits, bool on) {
    m_triggerState = on ? m_triggerState | bits : m_triggerState & ~bits;
}

void KShapeInstance::SetMaterialList(KShapeMaterialList* list) { m_materials = list; }
