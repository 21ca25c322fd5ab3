// Animation threads: adding and removing them, key frames from positions,
// moving with time, trigger firing by wrap count, dirty masks and the play
// order.
#include <cmath>

#include "ShapeInstanceFixture.h"

namespace {

using shapetest::AnimShape;
using shapetest::KeyedSequence;

class ShapeThread : public shapetest::ShapeInstanceTest {
protected:
    // The fixture shape with one sequence of n key frames.
    KShapeInstance& MakeWith(uint32_t keyFrames, uint32_t flags, float duration = 1.0f) {
        dts::Shape s = AnimShape();
        dts::Sequence q = KeyedSequence(s, keyFrames, flags);
        q.duration = duration;
        s.sequences = {q};
        return Make(s);
    }
    void ClearMasks() {
        AnimateAll();
        for (uint32_t i = 0; i < shape.SubShapeCount(); ++i) ASSERT_EQ(instance->DirtyMask(i), 0u);
    }
};

TEST_F(ShapeThread, AddThreadNeedsASequenceAndRemoveThreadClosesTheGap) {
    KShapeInstance& bare = Make(AnimShape());
    EXPECT_EQ(bare.AddThread(), nullptr);
    EXPECT_EQ(bare.GetThreadCount(), 0u);

    KShapeInstance& inst = MakeWith(4, 0);
    ClearMasks();
    KShapeThread* a = inst.AddThread();
    KShapeThread* b = inst.AddThread();
    KShapeThread* c = inst.AddThread();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->SequenceIndex(), 0u);
    EXPECT_EQ(a->Position(), 0.0f);
    EXPECT_EQ(a->TimeScale(), 1.0f);
    EXPECT_EQ(inst.GetThreadCount(), 3u);
    EXPECT_EQ(inst.DirtyMask(0), 127u);
    EXPECT_EQ(inst.DirtyMask(1), 127u);
    EXPECT_EQ(inst.GetThread(3), nullptr);

    ClearMasks();
    inst.RemoveThread(b);
    EXPECT_EQ(inst.GetThreadCount(), 2u);
    EXPECT_EQ(inst.GetThread(0), a);
    EXPECT_EQ(inst.GetThread(1), c);
    EXPECT_EQ(inst.DirtyMask(1), 127u);
}

TEST_F(ShapeThread, ForeignThreadsAndBadSequencesChangeNothing) {
    KShapeInstance& inst = MakeWith(4, 0);
    KShapeThread* own = inst.AddThread();
    KShape otherShape;
    ASSERT_TRUE(Read(dts::WriteDts([] {
                         dts::Shape s = AnimShape();
                         s.sequences = {KeyedSequence(s, 2, 0)};
                         return s;
                     }()),
                     otherShape));
    KShapeInstance other(&otherShape, false, nullptr);
    KShapeThread* foreign = other.AddThread();
    ClearMasks();

    inst.SetSequence(foreign, 0, 0.5f);
    inst.RemoveThread(foreign);
    inst.RemoveThread(nullptr);
    inst.SetSequence(own, 1, 0.5f);  // past the one sequence
    EXPECT_EQ(foreign->Position(), 0.0f);
    EXPECT_EQ(other.GetThreadCount(), 1u);
    EXPECT_EQ(inst.GetThreadCount(), 1u);
    EXPECT_EQ(own->Position(), 0.0f);
    EXPECT_EQ(inst.DirtyMask(0), 0u);
}

TEST_F(ShapeThread, KeyFramesStayWithinTheSequence) {
    struct Case {
        const char* name;
        uint32_t keyFrames;
        bool cyclic;
        float position;
        int32_t key1, key2;
        float fraction;
    };
    const Case cases[] = {
        {"cyclic wraps to the first frame", 4, true, 0.8f, 3, 0, 0.2f},
        {"cyclic in the middle", 4, true, 0.3f, 1, 2, 0.2f},
        {"cyclic starts at 0.9999, not 1", 4, true, 1.0f, 3, 0, 0.9996f},
        {"cyclic below 0 wraps", 4, true, -0.25f, 3, 0, 0.0f},
        {"non-cyclic at the end", 5, false, 1.0f, 4, 4, 0.0f},
        {"non-cyclic in the middle", 5, false, 0.5f, 2, 3, 0.0f},
        {"non-cyclic past the end", 5, false, 1.5f, 4, 4, 0.0f},
        {"non-cyclic below 0", 5, false, -0.5f, 0, 1, 0.0f},
        {"one key frame", 1, false, 0.5f, 0, 0, 0.0f},
        {"no key frames", 0, false, 0.5f, 0, 0, 0.0f},
        {"not a number", 5, false, std::nanf(""), 0, 1, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KShapeInstance& inst = MakeWith(c.keyFrames, c.cyclic ? 16 : 0);
        KShapeThread* thread = inst.AddThread();
        inst.SetSequence(thread, 0, c.position);
        EXPECT_EQ(thread->KeyFrame1(), c.key1);
        EXPECT_EQ(thread->KeyFrame2(), c.key2);
        EXPECT_NEAR(thread->KeyFraction(), c.fraction, 1e-5f);
    }
}

TEST_F(ShapeThread, TimeMovesByDurationAndTimeScale) {
    struct Case {
        const char* name;
        bool cyclic;
        float duration, timeScale, start, seconds, position;
        bool finished;
    };
    const Case cases[] = {
        {"half a two-second sequence", false, 2.0f, 1.0f, 0.0f, 1.0f, 0.5f, false},
        {"time scale 2", false, 2.0f, 2.0f, 0.0f, 0.5f, 0.5f, false},
        {"non-cyclic clamps at 1", false, 1.0f, 1.0f, 0.5f, 3.0f, 1.0f, true},
        {"non-cyclic clamps at 0", false, 1.0f, 1.0f, 0.5f, -3.0f, 0.0f, false},
        {"cyclic wraps", true, 1.0f, 1.0f, 0.75f, 0.5f, 0.25f, false},
        {"cyclic wraps backwards", true, 1.0f, 1.0f, 0.25f, -0.5f, 0.75f, false},
        {"duration 0 does not move", false, 0.0f, 1.0f, 0.25f, 1.0f, 0.25f, false},
        {"negative duration does not move", true, -1.0f, 1.0f, 0.25f, 1.0f, 0.25f, false},
        {"tiny duration moves within 0..1", true, 1e-30f, 1.0f, 0.25f, 1e10f, 0.25f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KShapeInstance& inst = MakeWith(4, c.cyclic ? 16 : 0, c.duration);
        KShapeThread* thread = inst.AddThread();
        inst.SetSequence(thread, 0, c.start);
        thread->SetTimeScale(c.timeScale);
        inst.AdvanceTime(c.seconds);
        EXPECT_NEAR(thread->Position(), c.position, 1e-6f);
        EXPECT_EQ(thread->IsFinished(), c.finished);
        EXPECT_GE(thread->KeyFrame1(), 0);
        EXPECT_LT(thread->KeyFrame1(), 4);
        EXPECT_LT(thread->KeyFrame2(), 4);
    }
}

TEST_F(ShapeThread, TinyStepsLeaveTheMasksAndOthersMarkWhatTheSequenceTouches) {
    dts::Shape s = AnimShape();
    dts::Sequence q = KeyedSequence(s, 2, 16);
    q.frame = dts::Set::Of({0});
    q.decal = dts::Set::Of({0});
    shapetest::Append(s.objectStates, {{1, 0, 0}, {1, 1, 0}});
    shapetest::Append(s.decalStates, {1, 2});
    s.sequences = {q};
    KShapeInstance& inst = Make(s);
    KShapeThread* thread = inst.AddThread();
    ClearMasks();

    inst.AdvanceTime(0.000005f);
    EXPECT_EQ(inst.DirtyMask(0), 0u);
    EXPECT_EQ(inst.DirtyMask(1), 0u);
    EXPECT_NEAR(thread->Position(), 0.000005f, 1e-9f);

    inst.AdvanceTime(0.0001f);
    EXPECT_EQ(inst.DirtyMask(0), uint32_t(kDirtyFrame | kDirtyDecal));
    EXPECT_EQ(inst.DirtyMask(1), uint32_t(kDirtyFrame | kDirtyDecal));
}

// Three triggers: 0.1 sets bit 0, 0.5 clears bit 1 (set when played
// backwards), 0.95 clears bit 0. Bit 4 is set by nothing.
class ShapeTriggers : public ShapeThread {
protected:
    KShapeThread* MakeTriggered(bool cyclic, bool fires = true) {
        dts::Shape s = AnimShape();
        s.triggers = {{0x80000001u, 0.1f}, {0x40000002u, 0.5f}, {0x00000001u, 0.95f}};
        dts::Sequence q = KeyedSequence(s, 2, (cyclic ? 16 : 0) | (fires ? 32 : 0));
        q.firstTrigger = 0;
        q.triggerCount = 3;
        s.sequences = {q};
        KShapeInstance& inst = Make(s);
        return inst.AddThread();
    }
};

TEST_F(ShapeTriggers, FireInOrderOfPassingByWrapCount) {
    struct Case {
        const char* name;
        bool cyclic;
        float start, step;
        uint32_t before, after;
        int32_t wraps;
        float end;
    };
    const Case cases[] = {
        // 0.95 clears bit 0, then 0.1 sets it again.
        {"forwards over the end", true, 0.9f, 0.3f, 0x10, 0x11, 1, 0.2f},
        // 0.1 sets bit 0 on the way down, then 0.95 clears it.
        {"backwards over the start", true, 0.2f, -0.3f, 0x10, 0x10, -1, 0.9f},
        {"forwards within", true, 0.4f, 0.2f, 0x12, 0x10, 0, 0.6f},
        // Played backwards, 0.5 inverts its bit 31: bit 1 comes on.
        {"backwards within inverts", true, 0.6f, -0.2f, 0x10, 0x12, 0, 0.4f},
        // Two wraps: the whole cycle from the end position, forwards.
        {"more than one cycle forwards", true, 0.3f, 2.5f, 0x12, 0x11, 2, 0.8f},
        // Two wraps back: the whole cycle from the end position, backwards.
        {"more than one cycle backwards", true, 0.3f, -2.5f, 0x10, 0x12, -3, 0.8f},
        {"non-cyclic stops at the end", false, 0.9f, 0.3f, 0x11, 0x10, 0, 1.0f},
        {"nothing passed", true, 0.2f, 0.2f, 0x13, 0x13, 0, 0.4f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KShapeThread* thread = MakeTriggered(c.cyclic);
        instance->SetSequence(thread, 0, c.start);
        instance->SetTriggerState(c.before, true);
        instance->AdvanceTime(c.step);
        EXPECT_EQ(instance->TriggerState(), c.after);
        EXPECT_EQ(thread->WrapCount(), c.wraps);
        EXPECT_NEAR(thread->Position(), c.end, 1e-5f);
    }
}

TEST_F(ShapeTriggers, ASequenceThatDoesNotFireLeavesTheState) {
    MakeTriggered(true, false);
    instance->SetTriggerState(0x3, true);
    instance->AdvanceTime(0.99f);
    EXPECT_EQ(instance->TriggerState(), 0x3u);
    instance->SetTriggerState(0x1, false);
    EXPECT_EQ(instance->TriggerState(), 0x2u);
}

TEST_F(ShapeThread, PlayOrderIsBlendLastThenPriorityThenAddition) {
    dts::Shape s = AnimShape();
    s.sequences = {KeyedSequence(s, 2, 0, 1), KeyedSequence(s, 2, 8, 5), KeyedSequence(s, 2, 0, 3),
                   KeyedSequence(s, 2, 0, 3)};
    KShapeInstance& inst = Make(s);
    KShapeThread* low = Play(0, 0);
    KShapeThread* blend = Play(1, 0);
    KShapeThread* high1 = Play(2, 0);
    KShapeThread* high2 = Play(3, 0);
    // Not sorted until a mask with bit 64 is served.
    EXPECT_EQ(inst.GetThread(0), low);
    inst.Animate(2);  // no sub-shape
    EXPECT_EQ(inst.GetThread(0), low);
    inst.Animate(1);
    EXPECT_EQ(inst.GetThread(0), high1);
    EXPECT_EQ(inst.GetThread(1), high2);
    EXPECT_EQ(inst.GetThread(2), low);
    EXPECT_EQ(inst.GetThread(3), blend);

    // Raised to the same priority, the thread added first goes first.
    inst.SetSequence(low, 2, 0);
    inst.Animate(0);
    EXPECT_EQ(inst.GetThread(0), low);
    EXPECT_EQ(inst.GetThread(1), high1);
    EXPECT_EQ(inst.GetThread(2), high2);
    EXPECT_EQ(inst.GetThread(3), blend);
}

TEST_F(ShapeThread, ScaleAnimatedFollowsTheThreadsSequences) {
    dts::Shape s = AnimShape();
    s.uniformScales = {1, 1};
    s.sequences = {KeyedSequence(s, 2, 1), KeyedSequence(s, 2, 0)};
    KShapeInstance& inst = Make(s);
    EXPECT_FALSE(inst.ScaleAnimated());
    KShapeThread* a = inst.AddThread();  // on the scaled sequence 0
    EXPECT_TRUE(inst.ScaleAnimated());
    KShapeThread* b = Play(1, 0);
    EXPECT_TRUE(inst.ScaleAnimated());
    inst.SetSequence(a, 1, 0);
    EXPECT_FALSE(inst.ScaleAnimated());
    inst.SetSequence(b, 0, 0);
    EXPECT_TRUE(inst.ScaleAnimated());
    inst.RemoveThread(b);
    EXPECT_FALSE(inst.ScaleAnimated());
}

}  // namespace
