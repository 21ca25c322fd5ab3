// Timed moves (straight and arc), the motion mode, and the heading turns
// of KModelNodeBase, all read against a test-set g_FrameTime.
#include <cmath>
#include <limits>

#include "SceneNodeFixture.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace scene_test {
namespace {

constexpr float kPi = 3.1415927f;

D3DXVECTOR3 PositionOf(IK3DSceneNode& node, BYTE relative = 0) {
    D3DXVECTOR3 at(-1, -1, -1);
    node.GetPosition(&at.x, &at.y, &at.z, relative, 0);
    return at;
}

D3DXVECTOR3 HeadingOf(KModelNodeBase& node) {
    D3DXVECTOR3 h(-1, -1, -1);
    node.GetHeading(&h.x, &h.y, &h.z);
    return h;
}

class NodeMotion : public SceneNodeTest {
protected:
    // An arc mover with base 3, random extra 5 and step 60.
    void MakeArcMover(TestNode& node) {
        const BYTE arc[3] = {3, 5, 60};
        node.SetMotionMode(0, arc);
    }
};

TEST_F(NodeMotion, NewNodeStandsStill) {
    lumiva::win32::SetClock(777);
    TestNode node(&journal, "n", 1, 2, 3);
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(node.GetTimeStamp(), 777u);
    EXPECT_EQ(node.Motion().straight, kModelNodeMotionMode);
    EXPECT_EQ(node.IsEnabled(), 0);
    EXPECT_FALSE(node.IsRegistered());
}

TEST_F(NodeMotion, StraightMoveReachesTheTargetExactlyAndEnds) {
    TestNode node(&journal, "n");
    g_FrameTime = 5000;
    lumiva::win32::SetClock(123);
    node.SetPosition(100, 0, 0, 1000);
    EXPECT_EQ(node.GetTimeStamp(), 123u);
    EXPECT_EQ(node.Motion().moveEnd, 6000u);

    g_FrameTime = 5250;
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(25, 0, 0));
    g_FrameTime = 6000;
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(100, 0, 0));
    EXPECT_EQ(node.Motion().moveEnd, 6000u);
    g_FrameTime = 6016;
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(100, 0, 0));
    EXPECT_EQ(node.Motion().moveNow, 0u);
    EXPECT_EQ(node.Motion().moveEnd, 0u);
}

TEST_F(NodeMotion, LateReadLandsOnTheTarget) {
    TestNode node(&journal, "n", 0, 0, 0);
    g_FrameTime = 100;
    node.SetPosition(10, 20, 30, 100);
    g_FrameTime = 900;
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(10, 20, 30));
}

// A new move starts where the running one has got to.
TEST_F(NodeMotion, NewMoveStartsFromTheCurrentPosition) {
    TestNode node(&journal, "n");
    g_FrameTime = 1000;
    node.SetPosition(100, 0, 0, 1000);
    g_FrameTime = 1500;
    EXPECT_EQ(PositionOf(node).x, 50.0f);
    node.SetPosition(50, 100, 0, 100);
    g_FrameTime = 1550;
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(50, 50, 0));
}

TEST_F(NodeMotion, DurationZeroPlacesAtOnceAndCancelsTheMove) {
    TestNode node(&journal, "n");
    g_FrameTime = 1000;
    node.SetPosition(100, 0, 0, 1000);
    g_FrameTime = 1200;
    node.SetPosition(7, 8, 9, 0);
    EXPECT_EQ(node.Motion().moveStart, 0u);
    EXPECT_EQ(node.Motion().moveEnd, 0u);
    g_FrameTime = 1700;
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(7, 8, 9));
}

// k = 3 + g_Random(5) = 3, H = (600 / 60 / 2)^2 * 3 = 75: y leaves and
// meets the straight line at the ends and is 75 below it at mid-time.
TEST_F(NodeMotion, ArcDropsByItsHeightAtMidTime) {
    lumiva::win32::InstallScriptedRandom({0});
    TestNode node(&journal, "n");
    MakeArcMover(node);
    g_FrameTime = 10000;
    node.SetPosition(100, 60, 0, 600);
    EXPECT_EQ(node.Motion().arcRise, 3);
    EXPECT_EQ(node.Motion().arcHeight, 75);
    EXPECT_EQ(node.NextAttachmentTime(), 10600u);

    const struct {
        DWORD at;
        D3DXVECTOR3 expected;
    } reads[] = {
        {10000, {0, 0, 0}},
        {10001, {100.0f / 600, 0.1f - 75 + 3 * (299.0f / 60) * (299.0f / 60), 0}},
        {10300, {50, 30 - 75, 0}},
        {10600, {100, 60, 0}},
    };
    for (const auto& r : reads) {
        g_FrameTime = r.at;
        const D3DXVECTOR3 at = PositionOf(node);
        EXPECT_NEAR(at.x, r.expected.x, 1e-4) << r.at;
        EXPECT_NEAR(at.y, r.expected.y, 1e-3) << r.at;
        EXPECT_EQ(at.z, r.expected.z) << r.at;
    }
}

TEST_F(NodeMotion, ArcRiseAndHeightFromTheRandomDraw) {
    const struct {
        BYTE base, extra, step;
        int scripted;
        DWORD duration;
        BYTE rise;
        int32_t height;
    } cases[] = {
        {3, 5, 60, 4, 600, 7, 25 * 7},
        {3, 5, 60, 0, 659, 3, 25 * 3},          // 10 whole steps
        {3, 5, 60, 0, 59, 3, 0},                // not one step
        {255, 5, 60, 3, 600, 2, 25 * 2},        // 258 kept to a byte
        {9, 0, 60, 0, 600, 9, 25 * 9},          // no random extra
        {255, 0, 1, 0, 0xFFFFFFFF, 255, 0x7FFFFFFF},  // held at 32 bits
    };
    for (const auto& c : cases) {
        lumiva::win32::InstallScriptedRandom({c.scripted});
        TestNode node(&journal, "n");
        const BYTE arc[3] = {c.base, c.extra, c.step};
        node.SetMotionMode(0, arc);
        g_FrameTime = 1000;
        node.SetPosition(1, 1, 1, c.duration);
        EXPECT_EQ(node.Motion().arcRise, c.rise) << int(c.base) << " " << c.duration;
        EXPECT_EQ(node.Motion().arcHeight, c.height) << int(c.base) << " " << c.duration;
    }
}

TEST_F(NodeMotion, MotionModeKeepsOrIgnoresItsParameters) {
    TestNode node(&journal, "n");
    const BYTE first[3] = {4, 2, 30};
    const BYTE ignored[3] = {9, 9, 9};
    const BYTE zeroStep[3] = {6, 1, 0};
    const struct {
        BYTE straight;
        const BYTE* params;
        BYTE base, extra;
        int32_t step;
    } steps[] = {
        {1, ignored, kArcBaseDefault, kArcRandomExtraDefault, kArcStepTimeDefault},
        {0, first, 4, 2, 30},
        {0, nullptr, 4, 2, 30},
        {2, ignored, 4, 2, 30},
        {0, zeroStep, 6, 1, 30},  // a step of 0 would divide by zero
    };
    for (const auto& s : steps) {
        node.SetMotionMode(s.straight, s.params);
        EXPECT_EQ(node.Motion().straight, s.straight);
        EXPECT_EQ(node.Motion().arcBase, s.base);
        EXPECT_EQ(node.Motion().arcRandomExtra, s.extra);
        EXPECT_EQ(node.Motion().arcStepTime, s.step);
    }
}

// Host values that make no sense never trap: a move whose end wraps past
// 2^32 is over at once where it started; NaN targets read as NaN until the
// next placing.
TEST_F(NodeMotion, OddMovesDoNotTrap) {
    TestNode node(&journal, "n", 5, 5, 5);
    g_FrameTime = 1000;
    node.SetPosition(100, 100, 100, 0xFFFFFFFF);  // ends at 999
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(5, 5, 5));
    g_FrameTime = 1016;
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(5, 5, 5));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    node.SetPosition(nan, 0, 0, 100);
    g_FrameTime = 1066;
    EXPECT_TRUE(std::isnan(PositionOf(node).x));
    node.SetPosition(1, 2, 3, 0);
    EXPECT_EQ(PositionOf(node), D3DXVECTOR3(1, 2, 3));
}

// A plain-bound node stands where its parent stands and faces its way; a
// bone-bound one asked for its place on the bone is at the bone.
TEST_F(NodeMotion, BoundChildrenReportTheirParent) {
    TestNode parent(&journal, "p", 5, 6, 7);
    TestNode child(&journal, "c", 1, 1, 1);
    parent.SetHeading(1, 2, 3, 0, 0);
    child.SetHeading(9, 9, 9, 0, 0);
    ASSERT_TRUE(parent.AttachChild(&child, nullptr, nullptr));
    EXPECT_EQ(PositionOf(child), D3DXVECTOR3(5, 6, 7));
    EXPECT_EQ(PositionOf(child, 1), D3DXVECTOR3(5, 6, 7));
    EXPECT_EQ(HeadingOf(child), D3DXVECTOR3(1, 2, 3));

    TestNode rider(&journal, "r", 2, 2, 2);
    ASSERT_TRUE(parent.AttachChild(&rider, "hand", nullptr));
    EXPECT_EQ(PositionOf(rider, 1), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(PositionOf(rider, 0), D3DXVECTOR3(2, 2, 2));
    EXPECT_EQ(HeadingOf(rider), D3DXVECTOR3(0, 0, 0));
}

TEST_F(NodeMotion, HeadingTurnsByTheShorterWayOrByAmounts) {
    const float from = -kPi / 2 - 0.1f;
    const struct {
        BYTE shortest;
        float change;
    } cases[] = {{1, -(kPi - 0.1f)}, {0, kPi / 2}};
    for (const auto& c : cases) {
        TestNode node(&journal, "n");
        node.SetHeading(from, 0.5f, 0, 0, 0);
        g_FrameTime = 2000;
        node.SetHeading(kPi / 2, 0.5f, 0, 500, c.shortest);
        EXPECT_NEAR(node.Turn().targetHeading.x - from, c.change, 1e-5) << int(c.shortest);
        EXPECT_EQ(node.Turn().turnEnd, 2500u);
        g_FrameTime = 2250;
        const D3DXVECTOR3 half = HeadingOf(node);
        EXPECT_NEAR(half.x, from + c.change / 2, 1e-5) << int(c.shortest);
        EXPECT_NEAR(half.y, c.shortest ? 0.5f : 0.75f, 1e-6);
    }
}

// A change past half a turn either way wraps to the short side.
TEST_F(NodeMotion, ShortestTurnWrapsBothWays) {
    const struct {
        float from, to, change;
    } cases[] = {
        {0, 3 * kPi / 2, -kPi / 2},
        {0, -3 * kPi / 2, kPi / 2},
        {0, 4 * kPi + 1, 1},
        {0, -4 * kPi - 1, -1},
        {kPi, -kPi + 0.2f, 0.2f},
    };
    for (const auto& c : cases) {
        TestNode node(&journal, "n");
        node.SetHeading(c.from, 0, 0, 0, 0);
        node.SetHeading(c.to, 0, 0, 100, 1);
        EXPECT_NEAR(node.Turn().targetHeading.x - c.from, c.change, 1e-5) << c.to;
    }
}

TEST_F(NodeMotion, RunningTurnIsLengthened) {
    TestNode node(&journal, "n");
    g_FrameTime = 1000;
    node.SetHeading(1, 0, 0, 500, 0);
    g_FrameTime = 1200;
    node.SetHeading(1, 0, 0, 300, 0);
    EXPECT_EQ(node.Turn().turnStart, 1200u);
    EXPECT_EQ(node.Turn().turnEnd, 1800u);
    EXPECT_NEAR(node.Turn().startHeading.x, 0.4f, 1e-6);
    EXPECT_NEAR(node.Turn().targetHeading.x, 1.4f, 1e-6);

    // After the end a new turn starts afresh.
    g_FrameTime = 5000;
    EXPECT_NEAR(HeadingOf(node).x, 1.4f, 1e-6);
    node.SetHeading(1, 0, 0, 300, 0);
    EXPECT_EQ(node.Turn().turnEnd, 5300u);
}

// The first read after the end lands on the target, not past it; the next
// one ends the turn. Duration 0 turns at once.
TEST_F(NodeMotion, TurnEndsOnItsTarget) {
    TestNode node(&journal, "n");
    g_FrameTime = 1000;
    node.SetHeading(2, 0, 0, 500, 0);
    g_FrameTime = 1600;
    EXPECT_EQ(HeadingOf(node), D3DXVECTOR3(2, 0, 0));
    EXPECT_EQ(node.Turn().turnEnd, 1500u);
    g_FrameTime = 1616;
    EXPECT_EQ(HeadingOf(node), D3DXVECTOR3(2, 0, 0));
    EXPECT_EQ(node.Turn().turnEnd, 0u);

    node.SetHeading(1, 0, 0, 500, 0);
    node.SetHeading(-3, -2, -1, 0, 1);
    EXPECT_EQ(HeadingOf(node), D3DXVECTOR3(-3, -2, -1));
    EXPECT_EQ(node.Turn().turnEnd, 0u);
    g_FrameTime = 3000;
    EXPECT_EQ(HeadingOf(node), D3DXVECTOR3(-3, -2, -1));
}

}  // namespace
}  // namespace scene_test
