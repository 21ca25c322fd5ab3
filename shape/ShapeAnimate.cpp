// Animate by dirty mask: which steps run for a sub-shape and in what order,
// the play order of the threads, and the frames of image-list materials.
#include <algorithm>
#include <cmath>

#include "shape/KShape.h"
#include "shape/KShapeInstance.h"

void KShapeInstance::Animate(int32_t detail) {
    if (!m_shape || detail < 0 || uint32_t(detail) >= m_shape->details.count) return;
    const int32_t subShape = m_shape->details[uint32_t(detail)].subShape;
    if (subShape < 0 || uint32_t(subShape) >= m_dirty.Count()) return;
    AnimateSubShape(uint32_t(subShape));
}

void KShapeInstance::AnimateSubShape(uint32_t subShape) {
    const uint32_t mask = m_dirty[subShape];
    if (mask & kDirtyThreadOrder) SortThreads();
    if (mask & kDirtyIflFrame) AnimateIflFrames();
    if (mask & kDirtyNodes) AnimateNodes(subShape);
    if (mask & kDirtyVisibility) AnimateObjectStates(subShape, kDirtyVisibility);
    if (mask & kDirtyFrame) AnimateObjectStates(subShape, kDirtyFrame);
    if (mask & kDirtyMaterialFrame) AnimateObjectStates(subShape, kDirtyMaterialFrame);
    if (mask & kDirtyDecal) AnimateDecals(subShape);
    m_dirty[subShape] = 0;
}

void KShapeInstance::SortThreads() {
    // Blend threads last, higher priority first, equal ones in the order
    // they were added.
    std::sort(m_threads.begin(), m_threads.end(), [](const KShapeThread* a, const KShapeThread* b) {
        if (a->IsBlend() != b->IsBlend()) return b->IsBlend();
        if (a->Priority() != b->Priority()) return a->Priority() > b->Priority();
        return a->Serial() < b->Serial();
    });
}

void KShapeInstance::AnimateIflFrames() {
    const KGrowArray<float>& times = m_shape->iflFrameTimes;
    for (uint32_t i = 0; i < m_iflMaterials.Count(); ++i) {
        KShapeIflInstance& ifl = m_iflMaterials[i];
        ifl.frame = 0;
        const KShapeThread* thread = nullptr;
        for (const KShapeThread* t : m_threads)
            if (t->Sequence()->iflSet.Test(i)) {
                thread = t;
                break;
            }
        if (!thread) continue;
        // Frame times that do not cover the material's frames leave frame 0.
        const int32_t first = ifl.material->firstFrame, n = ifl.material->frameCount;
        if (first < 0 || n <= 0 || int64_t(first) + n > int64_t(times.Count())) continue;
        const float total = times[uint32_t(first + n - 1)];
        const KShapeSequence& sequence = *thread->Sequence();
        float t = sequence.duration * thread->Position() + sequence.iflTimeOffset;
        if (t > total && total > 0.0f) t -= std::trunc(t / total) * total;
        int32_t frame = 0;
        for (int32_t k = 0; k < n - 1; ++k)
            if (times[uint32_t(first + k)] < t) ++frame;
        ifl.frame = frame;
    }
    for (uint32_t& mask : m_dirty) mask &= ~kDirtyIflFrame;
}
