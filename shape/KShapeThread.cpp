#include "shape/KShapeThread.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "shape/KShape.h"
#include "shape/KShapeInstance.h"

namespace {

constexpr float kCyclicLast = 0.9999f;  // a cyclic sequence never starts at 1.0
constexpr float kStillStep = 0.00001f;  // smaller steps leave the dirty masks

// Whole cycles in a position, rounded towards minus infinity as the wrap
// count counts them, kept within 32 bits.
int32_t WrapsOf(float position) {
    double wraps = std::trunc(double(position));
    if (position < 0.0f) wraps -= 1.0;
    if (wraps < double(INT_MIN)) return INT_MIN;
    if (wraps > double(INT_MAX)) return INT_MAX;
    return int32_t(wraps);
}

// A position taken back into [0, 1).
float WrapPosition(float position) {
    float p = float(double(position) - std::floor(double(position)));
    if (p < 0.0f) p += 1.0f;
    if (p >= 1.0f) p -= 1.0f;
    return p;
}

}  // namespace

KShapeThread::KShapeThread(KShapeInstance* owner, uint64_t serial) : m_owner(owner), m_serial(serial) {
    SetSequence(0, 0.0f);
}

bool KShapeThread::SetSequence(uint32_t index, float position) {
    const KShape* shape = m_owner->GetShape();
    if (!shape || index >= shape->sequences.Count()) return false;
    m_sequence = shape->sequences.At(index);
    m_sequenceIndex = index;
    m_priority = m_sequence->priority;
    m_firesTriggers = m_sequence->flags & kSequenceFiresTriggers;
    if (std::isnan(position)) position = 0.0f;
    if (m_sequence->IsCyclic() && position > kCyclicLast) position = kCyclicLast;
    m_position = position;
    ComputeKeyFrames();
    return true;
}

void KShapeThread::AdvanceTime(float seconds) {
    const float duration = m_sequence->duration;
    if (!(duration > 0.0f)) return;
    const float d = seconds * m_timeScale / duration;
    if (std::isfinite(d)) AdvancePosition(d);
}

void KShapeThread::AdvancePosition(float d) {
    if (std::fabs(d) > kStillStep) m_owner->MarkDirty(m_sequence->dirtyMask);
    const bool cyclic = m_sequence->IsCyclic();
    const float moved = m_position + d;
    if (!std::isfinite(moved)) return;
    if (m_firesTriggers) {
        m_previousPosition = m_position;
        m_wrapCount = cyclic ? WrapsOf(moved) : 0;
    }
    m_position = cyclic ? WrapPosition(moved) : std::fmin(std::fmax(moved, 0.0f), 1.0f);
    if (m_firesTriggers) {
        m_newPosition = m_position;
        FireTriggers(m_previousPosition, m_newPosition, m_wrapCount);
    }
    ComputeKeyFrames();
}

void KShapeThread::ComputeKeyFrames() {
    const int32_t n = int32_t(std::min<uint32_t>(m_sequence->keyFrameCount, INT_MAX));
    m_keyFrame1 = m_keyFrame2 = 0;
    m_keyFraction = 0.0f;
    if (n == 0) return;
    // Positions outside 0..1 (given to SetSequence) and float rounding of
    // n x p never reach past the last key frame.
    if (m_sequence->IsCyclic()) {
        const float p = std::isfinite(m_position) ? WrapPosition(m_position) : 0.0f;
        const float t = float(n) * p;
        const int32_t k = std::min(int32_t(t), n - 1);
        m_keyFrame1 = k;
        m_keyFrame2 = k == n - 1 ? 0 : k + 1;
        m_keyFraction = std::fmin(t - float(k), 1.0f);
        return;
    }
    if (m_position >= 1.0f) {
        m_keyFrame1 = m_keyFrame2 = n - 1;
        return;
    }
    const float p = m_position > 0.0f ? m_position : 0.0f;  // NaN too
    const float t = float(n - 1) * p;
    const int32_t k = std::min(int32_t(t), n - 1);
    m_keyFrame1 = k;
    m_keyFrame2 = std::min(k + 1, n - 1);
    m_keyFraction = std::fmin(t - float(k), 1.0f);
}
