// The scene node of models and effect nodes: a node with straight moves
// (motion mode 5) and a heading of three angles (radians) with its own
// timed turn. Like positions, the heading advances from g_FrameTime when
// it is read.
#pragma once

#include <windows.h>
#include <d3dx9math.h>

#include "scene/K3DSceneNode.h"

constexpr BYTE kModelNodeMotionMode = 5;

// Turn times are frame times in ms, all 0 while no turn runs.
struct KNodeTurn {
    DWORD turnStart = 0;
    DWORD turnNow = 0;
    DWORD turnEnd = 0;
    D3DXVECTOR3 startHeading{0, 0, 0};
    D3DXVECTOR3 heading{0, 0, 0};
    D3DXVECTOR3 targetHeading{0, 0, 0};
};

class KModelNodeBase : public K3DSceneNode {
public:
    KModelNodeBase(float h0, float h1, float h2, float x, float y, float z);
    ~KModelNodeBase() override;

    // Duration 0 turns at once. Otherwise the turn runs from the current
    // heading: to the absolute angles by the shorter way when `shortest`,
    // else by the given amounts. A turn still running is lengthened by the
    // duration instead of restarted.
    void SetHeading(float h0, float h1, float h2, DWORD duration, BYTE shortest);
    // The heading at the current frame time; a plain-bound node has its
    // parent's.
    void GetHeading(float* h0, float* h1, float* h2);
    void AdvanceHeading();

    const KNodeTurn& Turn() const { return m_turn; }

private:
    KNodeTurn m_turn;
};
