// Node life: construction, destruction, enabling and registration, the
// owned attachments and the base versions of the operations that models
// and effect nodes override.
#include "scene/K3DSceneNode.h"

#include <mmsystem.h>

#include "lumiva/IK3DEffectNode.h"
#include "scene/NodeRegistration.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

// Only the module's own nodes are K3DSceneNodes: one in the set is read.
K3DSceneNode* AsSceneNode(IK3DSceneNode* node) {
    return LiveObjects<IK3DSceneNode>().Holds(node) ? static_cast<K3DSceneNode*>(node) : nullptr;
}

K3DSceneNode* SceneNodeOfEffect(IK3DEffectNode* node) {
    return LiveObjects<IK3DEffectNode>().Holds(node) ? dynamic_cast<K3DSceneNode*>(node) : nullptr;
}

K3DSceneNode::K3DSceneNode(float x, float y, float z, BYTE straight) : m_timeStamp(timeGetTime()) {
    m_motion.start = m_motion.current = m_motion.target = D3DXVECTOR3(x, y, z);
    m_motion.straight = straight;
}

// The shell deletes effect nodes without detaching them, so a node leaves
// the host's list and every link before it goes: nothing may point at it
// afterwards. Disabled first, so losing its parent cannot register it.
K3DSceneNode::~K3DSceneNode() {
    UnbindRiders();
    m_enabled = 0;
    RunRegistrationStep();
    Detach();
    SetEffectNode(nullptr);
    SetAttachedModel(nullptr);
}

void K3DSceneNode::SetEnabled(BYTE enabled) {
    m_enabled = enabled;
    RunRegistrationStep();
}

BYTE K3DSceneNode::IsEnabled() { return m_enabled; }

DWORD K3DSceneNode::GetTimeStamp() { return m_timeStamp; }

bool K3DSceneNode::RunRegistrationStep() {
    const BYTE shouldBe = (m_enabled && !m_parent) ? 1 : 0;
    if (shouldBe == m_registered) return false;
    m_registered = shouldBe;
    const KNodeRegistrationFn callback = shouldBe ? GetRegisterNodeFn() : GetUnregisterNodeFn();
    return callback ? callback(this) : true;
}

IK3DEffectNode* K3DSceneNode::GetEffectNode() { return m_effectNode; }

// The old attachment goes back to the shell; without a shell there is
// nothing to give it to. Setting the held one again keeps it: releasing it
// would leave the node holding a freed object. A node cannot hold its own
// effect face, which would release itself, nor one the module does not hold.
void K3DSceneNode::SetEffectNode(IK3DEffectNode* node) {
    if (node == m_effectNode) return;
    if (node) {
        const K3DSceneNode* effect = SceneNodeOfEffect(node);
        if (!effect || effect == this) return;
    }
    IK3DEffectNode* old = m_effectNode;
    m_effectNode = node;
    if (old && ShellServices()) ShellServices()->ReleaseEffectNode(old);
}

void K3DSceneNode::SetAttachedModel(KModelProxy* model) {
    if (model == m_attachedModel) return;
    KModelProxy* old = m_attachedModel;
    m_attachedModel = model;
    if (old && ShellServices()) ShellServices()->ReleaseModel(old);
}

bool K3DSceneNode::BindTo(IK3DSceneNode*, const char*, const char*) { return false; }
bool K3DSceneNode::Unbind(IK3DSceneNode*) { return false; }
bool K3DSceneNode::Update() { return false; }
