// The scene node as the host and the scene place hold it: everything placed
// in the 3D scene (models, effect nodes) is one. The operations keep their
// fixed slot order; K3DSceneNode (scene/K3DSceneNode.h) implements them.
#pragma once

#include <windows.h>

class IK3DEffectNode;
class KModelProxy;

class IK3DSceneNode {
public:
    virtual ~IK3DSceneNode() = default;
    // Cuts every link of the node: parent, owner and the nodes it drives.
    virtual void Detach() = 0;
    // Moves to (x, y, z) over `duration` ms of frame time; 0 places at once.
    virtual void SetPosition(float x, float y, float z, DWORD duration) = 0;
    // The child follows this node (on the named bone when `bone` is given)
    // and this node drives its update. False, and nothing changed, when the
    // link is refused.
    virtual bool AttachChild(IK3DSceneNode* child, const char* bone, const char* secondBone) = 0;
    // This node rides on `other` (on its bone when given): `other` follows
    // this node's position and drives its update.
    virtual bool AttachTo(IK3DSceneNode* other, const char* bone) = 0;
    // Removes whichever links join the two nodes; null detaches everything.
    virtual bool DetachChild(IK3DSceneNode* other) = 0;
    virtual void SetEnabled(BYTE enabled) = 0;
    virtual BYTE IsEnabled() = 0;
    // The per-frame walk from the node that drives this one; false for a
    // node with a parent or when an Update in the walk failed.
    virtual bool UpdateTree(DWORD argument) = 0;
    // The position at the current frame time. `relative` asks a bone-bound
    // node for its place on the bone (0, 0, 0); `flag` is passed on.
    virtual void GetPosition(float* x, float* y, float* z, BYTE relative, int flag) = 0;
    // Placing on a parent's bone; the base node has no bones (false).
    virtual bool BindTo(IK3DSceneNode* parent, const char* bone, const char* secondBone) = 0;
    virtual bool Unbind(IK3DSceneNode* parent) = 0;
    // timeGetTime at construction and at the last SetPosition.
    virtual DWORD GetTimeStamp() = 0;
    // The node's own per-frame work (a model animates and draws).
    virtual bool Update() = 0;
    // straight != 0: straight moves; 0: arc moves, with `arcParams` (base,
    // random extra, step time in ms) when not null.
    virtual void SetMotionMode(BYTE straight, const BYTE* arcParams) = 0;
    virtual IK3DEffectNode* GetEffectNode() = 0;
    // The node owns its effect node and attached model and gives the one it
    // held back to the shell when another is set.
    virtual void SetEffectNode(IK3DEffectNode* node) = 0;
    virtual void SetAttachedModel(KModelProxy* model) = 0;
};
