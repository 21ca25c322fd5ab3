// The effect node's clock: when it starts, how speed and start offsets move
// the effect time, when the effect is over, and what the handle reports.
#include <gtest/gtest.h>

#include "effects/EffectNodeFixture.h"
#include "win32/Control.h"

namespace effect_node_test {
namespace {

using lumiva::win32::AdvanceClock;

class EffectNodeClockTest : public EffectNodeTest {
protected:
    // A visible upright quad whose x position runs from 0 at 0 ms to 100 at
    // 1000 ms, in a set of the duration.
    K3DEffectNode* Node(int32_t duration = 1000) {
        a3e::Tracks tracks;
        tracks.position = {{{0, 0, 0}, 0}, {{100, 0, 0}, 1000}};
        return MakeNode(OneElement(2, 4, 4, tracks, duration));
    }
    // Update with the recorder on: its result, and whether anything reached
    // the device.
    struct Step {
        bool result;
        size_t draws;
        size_t deviceCalls;
    };
    static Step Update(K3DEffectNode* node) {
        Record();
        const bool result = node->Update();
        return {result, Draws().size(), lumiva::d3d9::RecordedCalls().size()};
    }
};

TEST_F(EffectNodeClockTest, TheFirstUpdateStartsTheClockAndTheElapsedTimeDrawsUpToTheDuration) {
    K3DEffectNode* node = Node();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->StartTime(), 0u);
    EXPECT_TRUE(Update(node).result);
    EXPECT_EQ(node->StartTime(), 100000u);
    AdvanceClock(400);
    Step step = Update(node);
    EXPECT_TRUE(step.result);
    EXPECT_EQ(step.draws, 1u);
    EXPECT_EQ(node->Elapsed(), 400u);
    EXPECT_FLOAT_EQ(WorldAt(Draws()[0])._41, 40.0f);  // the track at 400 ms
    AdvanceClock(600);
    step = Update(node);
    EXPECT_TRUE(step.result) << "elapsed = duration still draws";
    EXPECT_EQ(step.draws, 1u);
    AdvanceClock(1);
    step = Update(node);
    EXPECT_FALSE(step.result);
    EXPECT_EQ(step.deviceCalls, 0u) << "an ended effect touches no state";
    Release(node);
}

TEST_F(EffectNodeClockTest, SpeedScalesTheEffectTime) {
    struct Case {
        float speed;
        int32_t duration;
        uint64_t afterMs;
        bool draws;
        DWORD elapsed;
    };
    constexpr DWORD kOver = 0xFFFFFFFF;
    const Case cases[] = {
        {0.0f, 1000, 5000, true, 0},        // the first moment, every time
        {2.0f, 1000, 500, true, 1000},      // 500 ms of real time is the whole effect
        {2.0f, 1000, 501, false, 1002},
        {0.5f, 1000, 1999, true, 999},      // truncated
        {-1.0f, 1000, 0, true, 0},          // -0 is still the start
        {-1.0f, 1000, 1, false, kOver},     // below 0: over
        {1e6f, 2000000000, 5000, false, kOver},  // 5e9 ms does not fit 32 bits: over
        {1.0f, 0, 0, true, 0},              // a set without length draws its one moment
        {1.0f, 0, 1, false, 1},
    };
    for (const Case& c : cases) {
        K3DEffectNode* node = Node(c.duration);
        ASSERT_NE(node, nullptr);
        node->SetSpeed(c.speed);
        EXPECT_EQ(node->SetStartOffset(0), 1);
        AdvanceClock(c.afterMs);
        const Step step = Update(node);
        EXPECT_EQ(step.result, c.draws) << c.speed << " after " << c.afterMs;
        EXPECT_EQ(step.draws, c.draws ? 1u : 0u) << c.speed << " after " << c.afterMs;
        EXPECT_EQ(node->Elapsed(), c.elapsed) << c.speed << " after " << c.afterMs;
        Release(node);
    }
}

TEST_F(EffectNodeClockTest, SpeedZeroDrawsTheFirstMomentEveryTime) {
    K3DEffectNode* node = Node();
    node->SetSpeed(0.0f);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Update(node).result);
        EXPECT_FLOAT_EQ(WorldAt(Draws()[0])._41, 0.0f);
        AdvanceClock(700);
    }
    Release(node);
}

TEST_F(EffectNodeClockTest, AStartOffsetUpToTheDurationMovesTheStartAndLongerOnesAreRefused) {
    K3DEffectNode* node = Node(1000);
    EXPECT_EQ(node->SetStartOffset(1000), 1);
    EXPECT_EQ(node->StartTime(), 99000u);
    AdvanceClock(5);
    EXPECT_EQ(node->SetStartOffset(1001), 0);
    EXPECT_EQ(node->StartTime(), 99000u) << "a refused offset leaves the start";
    EXPECT_FALSE(Update(node).result);
    // An ended effect restarts where the offset puts it.
    EXPECT_EQ(node->SetStartOffset(250), 1);
    EXPECT_TRUE(Update(node).result);
    EXPECT_EQ(node->Elapsed(), 250u);
    Release(node);
}

TEST_F(EffectNodeClockTest, ANegativeStartOffsetDelaysTheEffect) {
    K3DEffectNode* node = Node(1000);
    EXPECT_EQ(node->SetStartOffset(-200), 1);
    AdvanceClock(199);
    Step step = Update(node);
    EXPECT_FALSE(step.result);
    EXPECT_EQ(step.deviceCalls, 0u);
    AdvanceClock(1);
    step = Update(node);
    EXPECT_TRUE(step.result);
    EXPECT_EQ(node->Elapsed(), 0u);
    Release(node);
}

TEST_F(EffectNodeClockTest, TheHandleReportsTheDurationAndKeepsDirectionScaleAndSpeed) {
    K3DEffectNode* node = Node(1234);
    IK3DEffectNode* handle = node;
    DWORD duration = 7;
    EXPECT_EQ(handle->GetDuration(&duration), 1234u);
    EXPECT_EQ(duration, 1234u);
    EXPECT_EQ(handle->GetDuration(nullptr), 1234u);
    EXPECT_TRUE(handle->IsValid());
    EXPECT_EQ(node->Direction(), D3DXVECTOR3(0, 1, 0));
    handle->SetDirection(3, 0, 4);
    EXPECT_EQ(node->Direction(), D3DXVECTOR3(0.6f, 0, 0.8f));
    handle->SetDirection(0, 0, 0);
    EXPECT_EQ(node->Direction(), D3DXVECTOR3(0, 0, 0));
    handle->SetScale(2, 3, 4);
    EXPECT_EQ(node->NodeScale(), D3DXVECTOR3(2, 3, 4));
    handle->SetSpeed(1.5f);
    EXPECT_EQ(node->Speed(), 1.5f);
    // Position and enabling are the scene node's.
    handle->SetPosition(5, 6, 7, 0);
    float x = 0, y = 0, z = 0;
    node->GetPosition(&x, &y, &z, 0, 1);
    EXPECT_EQ(D3DXVECTOR3(x, y, z), D3DXVECTOR3(5, 6, 7));
    handle->SetEnabled(1);
    EXPECT_EQ(node->IsEnabled(), 1);
    handle->SetEnabled(0);
    Release(node);
}

}  // namespace
}  // namespace effect_node_test
