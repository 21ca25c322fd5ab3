// Firing a sequence's triggers as its thread passes them: forwards each
// trigger sets its state bits on or off as stored; backwards the same, with
// the on bit inverted where the trigger asks for it.
#include "shape/KShape.h"
#include "shape/KShapeInstance.h"
#include "shape/KShapeThread.h"

namespace {

constexpr uint32_t kTriggerStateBits = 0x3FFFFFFFu;
constexpr uint32_t kTriggerInvertBackwards = 1u << 30;
constexpr uint32_t kTriggerOn = 1u << 31;

// The sequence's triggers, or none when they lie outside the table.
struct TriggerRun {
    const KShapeTrigger* first = nullptr;
    uint32_t count = 0;
};

TriggerRun TriggersOf(const KShape& shape, const KShapeSequence& sequence) {
    const uint64_t end = uint64_t(sequence.firstTrigger) + sequence.triggerCount;
    if (!shape.triggers.data || end > shape.triggers.count) return {};
    return {shape.triggers.data + sequence.firstTrigger, sequence.triggerCount};
}

// The trigger at or after position whose predecessor lies before it; one
// past the last when none.
uint32_t BoundaryOf(const TriggerRun& run, float position) {
    for (uint32_t i = 0; i < run.count; ++i)
        if ((i == 0 || run.first[i - 1].position < position) && run.first[i].position >= position) return i;
    return run.count;
}

}  // namespace

void KShapeThread::FireTriggers(float from, float to, int32_t wraps) {
    if (wraps == 0) {
        FireRange(from, to);
    } else if (wraps == 1) {
        FireRange(from, 1.0f);
        FireRange(0.0f, to);
    } else if (wraps > 1) {
        FireRange(to, 1.0f);
        FireRange(0.0f, to);
    } else if (wraps == -1) {
        FireRange(from, 0.0f);
        FireRange(1.0f, to);
    } else {
        FireRange(to, 0.0f);
        FireRange(1.0f, to);
    }
}

void KShapeThread::FireRange(float from, float to) {
    const TriggerRun run = TriggersOf(*m_owner->GetShape(), *m_sequence);
    const uint32_t start = BoundaryOf(run, from);
    const uint32_t end = BoundaryOf(run, to);
    if (to > from) {
        for (uint32_t i = start; i < end; ++i) {
            const uint32_t state = run.first[i].state;
            m_owner->SetTriggerState(state & kTriggerStateBits, state & kTriggerOn);
        }
    } else if (to < from) {
        for (uint32_t i = start; i-- > end;) {
            const uint32_t state = run.first[i].state;
            const bool on = (state & kTriggerOn) != 0;
            m_owner->SetTriggerState(state & kTriggerStateBits, state & kTriggerInvertBackwards ? !on : on);
        }
    }
}
