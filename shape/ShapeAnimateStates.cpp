// Object visibility, frames and material frames, and decal states, of one
// sub-shape: the first thread in play order whose sequence animates an item
// gives its state; items no thread reaches take their defaults.
#include "shape/KShape.h"
#include "shape/KShapeInstance.h"
#include "shape/ShapeAnimScratch.h"
#include "shape/ShapeAnimateTables.h"

namespace {

constexpr float kStepSquare = 0.99f;  // larger jumps of visibility step instead of blending

const KIntegerSet& SetFor(const KShapeSequence& q, uint32_t which) {
    return which == kDirtyVisibility ? q.visibilitySet : which == kDirtyFrame ? q.frameSet : q.materialFrameSet;
}

void TakeState(KShapeMeshObjectInstance& object, uint32_t which, const KShapeObjectState& a,
               const KShapeObjectState& b, float fraction) {
    if (which == kDirtyVisibility) {
        const float d = a.visibility - b.visibility;
        if (d * d <= kStepSquare)
            object.visibility = (1.0f - fraction) * a.visibility + fraction * b.visibility;
        else
            object.visibility = fraction < 0.5f ? a.visibility : b.visibility;
    } else if (which == kDirtyFrame) {
        object.frame = fraction < 0.5f ? a.frame : b.frame;
    } else {
        object.materialFrame = fraction < 0.5f ? a.materialFrame : b.materialFrame;
    }
}

void TakeDefault(KShapeMeshObjectInstance& object, uint32_t which, const KShapeObjectState& state) {
    TakeState(object, which, state, state, 0.0f);
}

// The sub-shape's items within total, none of them set yet.
KIndexRange StartItems(int32_t first, int32_t count, uint32_t total, KShapeAnimScratch& scratch) {
    const KIndexRange range = ClampedRange(first, count, total);
    scratch.SizeItems(total);
    for (uint32_t i = range.begin; i < range.end; ++i) scratch.itemSet[i] = 0;
    return range;
}

}  // namespace

void KShapeInstance::AnimateObjectStates(uint32_t subShape, uint32_t which) {
    const KShape& shape = *m_shape;
    KShapeAnimScratch& scratch = g_ShapeAnimScratch;
    const KIndexRange range = StartItems(shape.subShapeFirstObject[subShape], shape.subShapeObjectCount[subShape],
                                         m_meshObjects.Count(), scratch);
    const KBlockArray<KShapeObjectState>& states = shape.objectStates;

    for (const KShapeThread* thread : m_threads) {
        if (!thread->Animates()) continue;
        const KShapeSequence& q = *thread->Sequence();
        const KIntegerSet& matching = SetFor(q, which);
        // The table keeps one run of key frames per member of the union.
        KIntegerSet all;
        all.Copy(q.visibilitySet);
        all.Or(q.frameSet);
        all.Or(q.materialFrameSet);
        uint32_t j = 0;
        for (uint32_t o = all.First(); o < KIntegerSet::kMembers; all.Next(o), ++j) {
            if (!range.Contains(o) || scratch.itemSet[o] || !matching.Test(o)) continue;
            const uint32_t n = q.keyFrameCount;
            uint32_t a, b;
            if (!KeyIndex(q.baseObjectState, j, n, thread->KeyFrame1(), states.count, a) ||
                !KeyIndex(q.baseObjectState, j, n, thread->KeyFrame2(), states.count, b))
                continue;
            TakeState(m_meshObjects[o], which, states[a], states[b], thread->KeyFraction());
            scratch.itemSet[o] = 1;
        }
    }
    for (uint32_t o = range.begin; o < range.end; ++o)
        if (!scratch.itemSet[o] && o < states.count) TakeDefault(m_meshObjects[o], which, states[o]);
}

void KShapeInstance::AnimateDecals(uint32_t subShape) {
    const KShape& shape = *m_shape;
    KShapeAnimScratch& scratch = g_ShapeAnimScratch;
    const KIndexRange range = StartItems(shape.subShapeFirstDecal[subShape], shape.subShapeDecalCount[subShape],
                                         m_decals.Count(), scratch);
    const KBlockArray<int32_t>& states = shape.decalStates;

    for (const KShapeThread* thread : m_threads) {
        if (!thread->Animates()) continue;
        const KShapeSequence& q = *thread->Sequence();
        const int32_t key = thread->KeyFraction() < 0.5f ? thread->KeyFrame1() : thread->KeyFrame2();
        uint32_t j = 0;
        for (uint32_t d = q.decalSet.First(); d < KIntegerSet::kMembers; q.decalSet.Next(d), ++j) {
            uint32_t at;
            if (!range.Contains(d) || scratch.itemSet[d] ||
                !KeyIndex(q.baseDecalState, j, q.keyFrameCount, key, states.count, at))
                continue;
            m_decals[d].state = states[at];
            scratch.itemSet[d] = 1;
        }
    }
    for (uint32_t d = range.begin; d < range.end; ++d)
        if (!scratch.itemSet[d] && d < states.count) m_decals[d].state = states[d];
}
