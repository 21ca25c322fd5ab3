// The shell's factories of effect nodes and effect instances. Both take
// their set from the effect-set cache; nodes are counted while they live.
#include "effects/K3DEffectInstance.h"
#include "effects/K3DEffectNode.h"
#include "effects/K3DEffectSetCache.h"
#include "lumiva/basrel/DebugLog.h"
#include "shell/KDrawShell.h"

/* 68 */ IK3DEffectNode* KDrawShell::CreateEffectNode(const char* fileName, DWORD) {
    if (!fileName || !*fileName) return nullptr;
    K3DEffectSet* set = AcquireEffectSet(fileName);
    if (!set) return nullptr;
    auto* node = new K3DEffectNode(set);
    InterlockedIncrement(&g_LiveEffectNodes);
    return node;
}

// Deleted through the scene-node part, whose destructor is virtual; a
// handle released before, or never made here, is left alone.
/* 69 */ void KDrawShell::ReleaseEffectNode(IK3DEffectNode* node) {
    if (!node) return;
    K3DSceneNode* sceneNode = SceneNodeOfEffect(node);
    if (!sceneNode) {
        g_DebugLog("[Scene]ReleaseEffectNode: not an effect node of this module");
        return;
    }
    InterlockedDecrement(&g_LiveEffectNodes);
    delete sceneNode;
}

// A null or empty name gives an instance on a new, empty set (for editing
// tools to fill).
/* 75 */ K3DEffectInstance* KDrawShell::CreateEffectInstance(const char* fileName) {
    K3DEffectSet* set = AcquireEffectSet(fileName);
    return set ? new K3DEffectInstance(set) : nullptr;
}

/* 76 */ void KDrawShell::ReleaseEffectInstance(K3DEffectInstance* instance) {
    if (!instance) return;
    if (!LiveObjects<K3DEffectInstance>().Holds(instance)) {
        g_DebugLog("[Scene]ReleaseEffectInstance: not an effect instance of this module");
        return;
    }
    delete instance;
}
