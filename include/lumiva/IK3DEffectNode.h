// The handle of an effect node, as the shell's CreateEffectNode hands it to
// the host. The node behind it is also a scene node: K3DEffectNode derives
// from this interface first and from KModelNodeBase second, so its
// SetPosition and SetEnabled overrides serve both faces. The host never
// deletes it; the shell's ReleaseEffectNode does, through the scene-node
// part (see SceneNodeOfEffect in scene/K3DSceneNode.h).
#pragma once

#include <windows.h>

class IK3DEffectNode {
public:
    // Starts the effect as if it had begun `ms` ago; 0 (nothing changed)
    // when ms is longer than the effect, else 1.
    virtual int SetStartOffset(int ms) = 0;
    // The scene node's timed move.
    virtual void SetPosition(float x, float y, float z, DWORD duration) = 0;
    // The axis the elements stand along; normalised when stored.
    virtual void SetDirection(float x, float y, float z) = 0;
    virtual void SetScale(float x, float y, float z) = 0;
    virtual void SetSpeed(float speed) = 0;
    // The effect's length in ms, written to *duration and returned.
    virtual DWORD GetDuration(DWORD* duration) = 0;
    // The scene node's SetEnabled.
    virtual void SetEnabled(BYTE enabled) = 0;
    virtual bool IsValid() = 0;

protected:
    ~IK3DEffectNode() = default;
};
