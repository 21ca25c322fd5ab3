// Timed moves of a node: straight or along an arc whose height is drawn at
// random when the move starts. Positions are worked out from g_FrameTime
// when they are read.
#include <mmsystem.h>

#include <cstdint>
#include <limits>

#include "lumiva/basrel/HostRandom.h"
#include "scene/K3DSceneNode.h"
#include "shell/ShellGlobals.h"

namespace {

// (steps / 2)^2 * rise, which a long move with short steps takes past 32
// bits; held at the largest height instead.
int32_t ArcHeight(uint32_t steps, BYTE rise) {
    constexpr uint64_t kMax = uint64_t(std::numeric_limits<int32_t>::max());
    const uint64_t half = steps / 2;
    const uint64_t square = half * half;
    if (rise != 0 && square > kMax / rise) return int32_t(kMax);
    return int32_t(square * rise);
}

// The fraction of the span [from, to] that `now` has reached.
float Progress(DWORD now, DWORD from, DWORD to) {
    return float((double(now) - double(from)) / (double(to) - double(from)));
}

}  // namespace

void K3DSceneNode::SetPosition(float x, float y, float z, DWORD duration) {
    m_timeStamp = timeGetTime();
    if (duration == 0) {
        m_motion.moveStart = m_motion.moveNow = m_motion.moveEnd = 0;
        m_motion.current = D3DXVECTOR3(x, y, z);
        return;
    }
    m_motion.target = D3DXVECTOR3(x, y, z);
    m_motion.start = m_motion.current;
    m_motion.moveStart = g_FrameTime;
    m_motion.moveEnd = g_FrameTime + duration;
    if (!m_motion.straight) StartArc();
}

// The attachments wait until the arc has landed.
void K3DSceneNode::StartArc() {
    m_motion.arcRise = BYTE(m_motion.arcBase + g_Random(m_motion.arcRandomExtra));
    const uint32_t steps = (m_motion.moveEnd - m_motion.moveStart) / uint32_t(m_motion.arcStepTime);
    m_motion.arcHeight = ArcHeight(steps, m_motion.arcRise);
    m_nextAttachmentTime = m_motion.moveEnd;
}

// A step time of 0 would divide the arc by zero; the last one stays.
void K3DSceneNode::SetMotionMode(BYTE straight, const BYTE* arcParams) {
    m_motion.straight = straight;
    if (straight || !arcParams) return;
    m_motion.arcBase = arcParams[0];
    m_motion.arcRandomExtra = arcParams[1];
    if (arcParams[2] != 0) m_motion.arcStepTime = arcParams[2];
}

void K3DSceneNode::AdvanceMove() {
    KNodeMotion& m = m_motion;
    if (m.moveNow >= m.moveEnd) {
        if (m.moveNow != 0) m.moveNow = m.moveEnd = 0;  // the move is over
        return;
    }
    if (m.moveNow == g_FrameTime) return;
    m.moveNow = g_FrameTime;
    const float t = Progress(m.moveNow, m.moveStart, m.moveEnd);
    if (!(t <= 1.0f)) {
        m.current = m.target;
        return;
    }
    m.current.x = m.start.x + (m.target.x - m.start.x) * t;
    m.current.y = m.start.y + (m.target.y - m.start.y) * t;
    m.current.z = m.start.z + (m.target.z - m.start.z) * t;
    if (m.straight) return;
    // Steps from the middle of the move: the arc meets the line at both ends.
    const double middle = (double(m.moveStart) + double(m.moveEnd)) / 2.0;
    const float a = float((double(m.moveNow) - middle) / m.arcStepTime);
    m.current.y -= float(m.arcHeight) - float(m.arcRise) * a * a;
}

const D3DXVECTOR3& K3DSceneNode::AdvancedPosition() {
    AdvanceMove();
    return m_motion.current;
}

// A plain-bound node stands where its parent stands; a bone-bound one asked
// for its place relative to the bone is at the bone.
void K3DSceneNode::GetPosition(float* x, float* y, float* z, BYTE relative, int) {
    if ((m_linkFlags & kNodePlainBound) && m_parent) {
        m_parent->GetPosition(x, y, z, relative, 1);
        return;
    }
    D3DXVECTOR3 at(0, 0, 0);
    if (!((m_linkFlags & kNodeBoneBound) && relative)) at = AdvancedPosition();
    if (x) *x = at.x;
    if (y) *y = at.y;
    if (z) *z = at.z;
}
