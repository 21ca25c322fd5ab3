#include "scene/KModelNodeBase.h"

#include <cmath>

#include "shell/ShellGlobals.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

// The change from `from` to the angle `to` by the shorter way round.
float ShortestTurn(float from, float to) {
    float change = std::fmod(to - from, kTwoPi);
    if (change > kPi) change -= kTwoPi;
    if (change < -kPi) change += kTwoPi;
    return change;
}

}  // namespace

KModelNodeBase::KModelNodeBase(float h0, float h1, float h2, float x, float y, float z)
    : K3DSceneNode(x, y, z, kModelNodeMotionMode) {
    m_turn.heading = D3DXVECTOR3(h0, h1, h2);
}

KModelNodeBase::~KModelNodeBase() = default;

void KModelNodeBase::SetHeading(float h0, float h1, float h2, DWORD duration, BYTE shortest) {
    KNodeTurn& t = m_turn;
    if (duration == 0) {
        t.turnStart = t.turnNow = t.turnEnd = 0;
        t.heading = D3DXVECTOR3(h0, h1, h2);
        return;
    }
    AdvanceHeading();
    const D3DXVECTOR3 to(h0, h1, h2);
    const D3DXVECTOR3 change = shortest ? D3DXVECTOR3(ShortestTurn(t.heading.x, to.x), ShortestTurn(t.heading.y, to.y),
                                                      ShortestTurn(t.heading.z, to.z))
                                        : to;
    t.targetHeading = t.heading + change;
    t.startHeading = t.heading;
    t.turnStart = g_FrameTime;
    if (t.turnEnd != 0 && t.turnEnd > g_FrameTime)
        t.turnEnd += duration;
    else
        t.turnEnd = g_FrameTime + duration;
}

// A read after the turn's end lands on the target rather than past it; the
// next read ends the turn.
void KModelNodeBase::AdvanceHeading() {
    KNodeTurn& t = m_turn;
    if (t.turnNow >= t.turnEnd) {
        if (t.turnNow != 0) {
            t.turnStart = t.turnNow = t.turnEnd = 0;
            t.heading = t.targetHeading;
        }
        return;
    }
    if (t.turnNow == g_FrameTime) return;
    t.turnNow = g_FrameTime;
    const float progress =
        float((double(t.turnNow) - double(t.turnStart)) / (double(t.turnEnd) - double(t.turnStart)));
    if (progress > 1.0f)
        t.heading = t.targetHeading;
    else
        t.heading = t.startHeading + (t.targetHeading - t.startHeading) * progress;
}

void KModelNodeBase::GetHeading(float* h0, float* h1, float* h2) {
    if ((LinkFlags() & kNodePlainBound) && Parent()) {
        if (auto* parent = dynamic_cast<KModelNodeBase*>(Parent())) {
            parent->GetHeading(h0, h1, h2);
            return;
        }
    }
    AdvanceHeading();
    if (h0) *h0 = m_turn.heading.x;
    if (h1) *h1 = m_turn.heading.y;
    if (h2) *h2 = m_turn.heading.z;
}
