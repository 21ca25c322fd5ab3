// One animation thread of a shape instance: a sequence played at a position
// from 0 to 1, the two key frames around it and the fraction between them.
// Moving the position marks the instance's sub-shapes dirty by what the
// sequence animates and fires the sequence's triggers on the way.
#pragma once

#include <cstdint>

#include "shape/ShapeRecords.h"

class KShapeInstance;

class KShapeThread {
public:
    // On sequence 0 at position 0 (the instance's shape has one). Serial
    // orders threads of equal priority: the instance counts its additions.
    KShapeThread(KShapeInstance* owner, uint64_t serial);
    KShapeThread(const KShapeThread&) = delete;
    KShapeThread& operator=(const KShapeThread&) = delete;

    // Takes sequence index at position (a cyclic one starts at 0.9999 at
    // most). False, and nothing changed, for an index past the shape's
    // sequences.
    bool SetSequence(uint32_t index, float position);
    // Moves by seconds x time scale / the sequence's duration; a duration of
    // 0 or less does not move the thread.
    void AdvanceTime(float seconds);
    bool IsFinished() const { return m_position >= 1.0f; }

    KShapeInstance* Owner() const { return m_owner; }
    const KShapeSequence* Sequence() const { return m_sequence; }
    uint32_t SequenceIndex() const { return m_sequenceIndex; }
    uint32_t Priority() const { return m_priority; }
    float Position() const { return m_position; }
    float TimeScale() const { return m_timeScale; }
    void SetTimeScale(float scale) { m_timeScale = scale; }
    int32_t KeyFrame1() const { return m_keyFrame1; }
    int32_t KeyFrame2() const { return m_keyFrame2; }
    float KeyFraction() const { return m_keyFraction; }
    int32_t WrapCount() const { return m_wrapCount; }
    bool FiresTriggers() const { return m_firesTriggers; }
    bool IsBlend() const { return m_sequence->flags & kSequenceBlend; }
    // Whether it animates anything: a sequence without key frames does not.
    bool Animates() const { return m_sequence->keyFrameCount > 0; }
    uint64_t Serial() const { return m_serial; }

private:
    // Moves the position by d (a fraction of the sequence), wrapping or
    // clamping it, then takes the key frames.
    void AdvancePosition(float d);
    void ComputeKeyFrames();
    // Fires the triggers of the sequence met between the two positions, by
    // the wrap count.
    void FireTriggers(float from, float to, int32_t wraps);
    void FireRange(float from, float to);

    uint32_t m_priority = 0;
    KShapeInstance* m_owner;
    const KShapeSequence* m_sequence = nullptr;
    uint32_t m_sequenceIndex = 0;
    float m_position = 0.0f;
    float m_timeScale = 1.0f;
    int32_t m_keyFrame1 = 0;
    int32_t m_keyFrame2 = 0;
    float m_keyFraction = 0.0f;
    float m_previousPosition = 0.0f;
    float m_newPosition = 0.0f;
    int32_t m_wrapCount = 0;
    bool m_firesTriggers = false;
    uint64_t m_serial;
};
