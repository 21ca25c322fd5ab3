// KFrameTimer against the manual clock: stepping by real time, seeking to a
// time offset, scaled and relative frames, and clocks without frames or
// with odd speeds and elapsed times.
#include <limits>

#include "SceneNodeFixture.h"
#include "scene/KFrameTimer.h"
#include "win32/Control.h"

namespace scene_test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

enum class Op { Advance, Seek, Scaled, FrameAt };

struct TimerCase {
    const char* what;
    int32_t count, interval, current;
    DWORD lastStep, now;
    Op op;
    float speedOrFraction;
    int arg;  // SeekTime's ms, GetFrameAt's n
    int result;
    int32_t currentAfter;
    DWORD lastStepAfter;
};

int RunOp(KFrameTimer& timer, const TimerCase& c) {
    switch (c.op) {
    case Op::Advance: return timer.Advance(0xDEAD, c.speedOrFraction);
    case Op::Seek: return timer.SeekTime(c.arg, c.speedOrFraction);
    case Op::Scaled: return timer.GetScaledCount(c.speedOrFraction);
    case Op::FrameAt: return timer.GetFrameAt(c.arg);
    }
    return -1;
}

class FrameTimer : public SceneNodeTest {};

TEST_F(FrameTimer, Cases) {
    constexpr int kMax = std::numeric_limits<int>::max();
    const TimerCase cases[] = {
        // Stepping: whole frames, the rest of the time lost; short steps wait.
        {"250 ms: two frames", 4, 100, 0, 1000, 1250, Op::Advance, 1.0f, 0, 2, 2, 1250},
        {"90 ms: nothing yet", 4, 100, 0, 1000, 1090, Op::Advance, 1.0f, 0, 0, 0, 1000},
        {"double speed, 60 ms", 4, 100, 0, 1000, 1060, Op::Advance, 2.0f, 0, 1, 1, 1060},
        {"wraps from frame 3", 4, 100, 3, 1000, 1200, Op::Advance, 1.0f, 0, 1, 1, 1200},
        {"clock wrapped past 2^32", 4, 100, 0, 0xFFFFFFF0, 0x60, Op::Advance, 1.0f, 0, 1, 1, 0x60},
        {"speed 0", 4, 100, 2, 1000, 9000, Op::Advance, 0.0f, 0, 2, 2, 1000},
        {"negative speed", 4, 100, 2, 1000, 9000, Op::Advance, -3.0f, 0, 2, 2, 1000},
        {"NaN speed", 4, 100, 2, 1000, 9000, Op::Advance, kNaN, 0, 2, 2, 1000},
        // (2^32 - 1) ms is held at the largest int: 306783378 frames of 7 ms.
        {"elapsed near 2^32", 4, 7, 0, 1, 0, Op::Advance, 1.0f, 0, 2, 2, 0},
        {"huge speed", 4, 7, 1, 0, 10, Op::Advance, 1e30f, 0, (1 + kMax / 7) % 4, (1 + kMax / 7) % 4, 10},
        // Seeking: modulo the span, a frame outside the count gives 0.
        {"450 ms of 400", 4, 100, 3, 0, 0, Op::Seek, 1.0f, 450, 0, 0, 0},
        {"250 ms", 4, 100, 0, 0, 0, Op::Seek, 1.0f, 250, 2, 2, 0},
        {"250 ms at half speed", 4, 100, 0, 0, 0, Op::Seek, 0.5f, 250, 1, 1, 0},
        {"-150 ms", 4, 100, 3, 0, 0, Op::Seek, 1.0f, -150, 0, 0, 0},
        {"speed 0", 4, 100, 3, 0, 0, Op::Seek, 0.0f, 250, 0, 0, 0},
        {"negative speed", 4, 100, 3, 0, 0, Op::Seek, -1.0f, 250, 0, 0, 0},
        {"NaN speed", 4, 100, 3, 0, 0, Op::Seek, kNaN, 250, 0, 0, 0},
        {"huge speed", 4, 100, 3, 0, 0, Op::Seek, 1e30f, 250, 0, 0, 0},
        {"tiny speed", 4, 100, 3, 0, 0, Op::Seek, 1e-30f, 250, 0, 0, 0},
        {"span past 32 bits", 0x10000, 0x10000, 3, 0, 0, Op::Seek, 1.0f, 0x10000 * 5, 5, 5, 0},
        {"int minimum", 4, 100, 3, 0, 0, Op::Seek, 1.0f, std::numeric_limits<int>::min(), 0, 0, 0},
        // Scaled and relative frames change nothing.
        {"all of 8", 8, 100, 3, 0, 0, Op::Scaled, 1.0f, 0, 7, 3, 0},
        {"half of 8", 8, 100, 3, 0, 0, Op::Scaled, 0.5f, 0, 4, 3, 0},
        {"NaN of 8", 8, 100, 3, 0, 0, Op::Scaled, kNaN, 0, 0, 3, 0},
        {"1e10 of 8", 8, 100, 3, 0, 0, Op::Scaled, 1e10f, 0, kMax, 3, 0},
        {"3 after frame 2", 4, 100, 2, 0, 0, Op::FrameAt, 0, 3, 1, 2, 0},
        {"int maximum after frame 3", 4, 100, 3, 0, 0, Op::FrameAt, 0, kMax, int((3LL + kMax) % 4), 3, 0},
        // No frames, or no interval to step by: frame 0, nothing changes.
        {"count 0", 0, 100, 2, 1000, 5000, Op::Advance, 1.0f, 0, 0, 2, 1000},
        {"count 0", 0, 100, 2, 0, 0, Op::Seek, 1.0f, 250, 0, 2, 0},
        {"count 0", 0, 100, 2, 0, 0, Op::Scaled, 1.0f, 0, 0, 2, 0},
        {"count 0", 0, 100, 2, 0, 0, Op::FrameAt, 0, 1, 0, 2, 0},
        {"count -1", -1, 100, 2, 0, 0, Op::FrameAt, 0, 1, 0, 2, 0},
        {"interval 0", 4, 0, 2, 1000, 5000, Op::Advance, 1.0f, 0, 0, 2, 1000},
        {"interval -5", 4, -5, 2, 1000, 5000, Op::Advance, 1.0f, 0, 0, 2, 1000},
        {"interval 0", 4, 0, 2, 0, 0, Op::Seek, 1.0f, 250, 0, 2, 0},
        {"interval 0 keeps the count", 4, 0, 2, 0, 0, Op::Scaled, 0.5f, 0, 2, 2, 0},
    };
    for (const TimerCase& c : cases) {
        KFrameTimer timer;
        timer.frameCount = c.count;
        timer.frameInterval = c.interval;
        timer.currentFrame = c.current;
        timer.lastStepTime = c.lastStep;
        lumiva::win32::SetClock(c.now);
        EXPECT_EQ(RunOp(timer, c), c.result) << c.what;
        EXPECT_EQ(timer.currentFrame, c.currentAfter) << c.what;
        EXPECT_EQ(timer.lastStepTime, c.lastStepAfter) << c.what;
    }
}

// Short steps add up: 60 + 60 ms move one frame, from the first step time.
TEST_F(FrameTimer, TimeAccumulatesUntilAFrameIsDue) {
    KFrameTimer timer;
    timer.frameCount = 4;
    timer.frameInterval = 100;
    lumiva::win32::SetClock(60);
    EXPECT_EQ(timer.Advance(0, 1.0f), 0);
    lumiva::win32::SetClock(120);
    EXPECT_EQ(timer.Advance(0, 1.0f), 1);
    EXPECT_EQ(timer.lastStepTime, 120u);
}

TEST_F(FrameTimer, NewClockIsClear) {
    const KFrameTimer timer;
    EXPECT_EQ(timer.pictureId, 0u);
    EXPECT_EQ(timer.indexHint, 0);
    EXPECT_EQ(timer.frameCount, 0);
    EXPECT_EQ(timer.frameInterval, 0);
    EXPECT_EQ(timer.currentFrame, 0);
    EXPECT_EQ(timer.lastStepTime, 0u);
}

}  // namespace
}  // namespace scene_test
