// An effect node plays one effect set at a place in the scene. The host
// holds it as IK3DEffectNode; it is also a scene node (KModelNodeBase), so it
// can stand alone (drawn through DrawPrimitives records of type 13), follow
// another node, or hang on a node as that node's effect attachment.
//
// Its clock is timeGetTime itself: the first Update (or a SetStartOffset)
// starts it, and each Update draws every element at the effect time
// (real time since the start times the speed) until that time passes the
// set's duration; from then on Update returns false and draws nothing until
// a SetStartOffset restarts it.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include "effects/ElementDrawing.h"
#include "lumiva/IK3DEffectNode.h"
#include "effects/K3DEffectSet.h"
#include "scene/KModelNodeBase.h"

class K3DEffectNode final : public IK3DEffectNode, public KModelNodeBase {
public:
    // Raises the set's user count; a null set gives a node that plays
    // nothing and lasts 0 ms.
    explicit K3DEffectNode(K3DEffectSet* set);
    // Lowers the user count and gives the set back to the cache.
    ~K3DEffectNode() override;

    // --- IK3DEffectNode, in slot order ---
    int SetStartOffset(int ms) override;
    // One override serves the handle and the scene node.
    void SetPosition(float x, float y, float z, DWORD duration) override;
    void SetDirection(float x, float y, float z) override;
    void SetScale(float x, float y, float z) override;
    void SetSpeed(float speed) override;
    // A null pointer is not written.
    DWORD GetDuration(DWORD* duration) override;
    void SetEnabled(BYTE enabled) override;
    bool IsValid() override;

    // --- Scene node ---
    // True when the effect was drawn; false once its time is over.
    bool Update() override;

    // --- State, for tests ---
    K3DEffectSet* Set() const { return m_set; }
    DWORD Elapsed() const { return m_elapsed; }
    DWORD StartTime() const { return m_startTime; }
    const D3DXVECTOR3& Direction() const { return m_direction; }
    const D3DXVECTOR3& NodeScale() const { return m_scale; }
    float Speed() const { return m_speed; }
    // 1 once the node has set mirror addressing, 0 once it set wrap.
    int AddressMemo() const { return m_addressMemo; }

private:
    // Starts the clock on first use and works out the effect time; false
    // when it is past the set's duration.
    bool AdvanceClock();
    void DrawElement(int index, const D3DXVECTOR3& eye, const D3DXVECTOR3& origin);
    // The element's world matrix from the sampled values; *sizes gets the
    // node scale times the set scale.
    D3DXMATRIX ElementMatrix(const K3DEffectElement& element, const D3DXVECTOR3& eye, const D3DXVECTOR3& origin,
                             D3DXVECTOR3* sizes);
    void SetAddressing(IDirect3DDevice9* device, int mappingMode);
    // The picture's frame at the effect time, or the model's animation.
    void SetTextureOrModelTime(IDirect3DDevice9* device, K3DEffectElement& element);
    void DrawModel(K3DEffectElement& element);

    KLiveMark<IK3DEffectNode> m_liveEffect{this};
    K3DEffectSet* m_set;
    D3DXVECTOR3 m_direction{0.0f, 1.0f, 0.0f};
    D3DXVECTOR3 m_scale{1.0f, 1.0f, 1.0f};
    DWORD m_elapsed = 0;
    DWORD m_startTime = 0;  // 0: not started
    float m_speed = 1.0f;
    KSampledElement m_sampled;
    int m_addressMemo = 0;
};

// The orientation that stands an element along `direction` and turns it
// about that axis toward the camera (`toEye` = eye - view origin). A zero
// direction acts as up (0, 1, 0); one opposite to up turns by pi about x;
// without a turn toward the camera when the camera looks along the
// direction.
D3DXMATRIX EffectNodeOrientation(const D3DXVECTOR3& direction, const D3DXVECTOR3& toEye);

// Effect nodes made by the shell and not yet released.
extern volatile LONG g_LiveEffectNodes;
void ResetLiveEffectNodesForTests();
