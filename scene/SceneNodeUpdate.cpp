// The per-frame update walk and the update of a node's attachments.
#include <cstdint>

#include "lumiva/IK3DEffectNode.h"
#include "scene/AttachedModelSeam.h"
#include "scene/K3DSceneNode.h"
#include "shell/ShellGlobals.h"

namespace {

// The attached model stands upright at eight times its size.
constexpr float kAttachedModelScale = 8.0f;
constexpr float kAttachedModelHeading[3] = {-4.1415930f, 3.1415927f, 0.0f};

}  // namespace

// A node with a parent is walked from its parent's side; otherwise the walk
// starts at the top of its owners.
bool K3DSceneNode::UpdateTree(DWORD argument) {
    if (m_parent) return false;
    K3DSceneNode* top = this;
    while (top->m_owner) top = top->m_owner;
    return top->Visit(argument);
}

bool K3DSceneNode::Visit(DWORD argument) {
    m_updateArgument = argument;
    if (!Update()) return false;
    bool allUpdated = true;
    // Stepping by value keeps the walk valid if an Update changes the set.
    for (auto it = m_allChildren.begin(); it != m_allChildren.end();) {
        K3DSceneNode* child = *it;
        if (!child->Visit(argument)) allUpdated = false;
        it = m_allChildren.upper_bound(child);
    }
    if ((m_effectNode || m_attachedModel) && g_FrameTime >= m_nextAttachmentTime) UpdateAttachments();
    return allUpdated;
}

void K3DSceneNode::UpdateAttachments() {
    if (m_effectNode) {
        DWORD duration = 0;
        const D3DXVECTOR3& at = m_motion.current;
        m_effectNode->SetPosition(at.x, at.y, at.z, 0);
        m_effectNode->GetDuration(&duration);
        // An effect without length is only placed; the model waits with it.
        if (duration == 0) return;
        UpdateAttachedEffect(duration);
    }
    if (m_attachedModel) UpdateAttachedModel();
}

// Once the move is over the effect loops: it restarts at the time since the
// move ended, modulo its length.
void K3DSceneNode::UpdateAttachedEffect(DWORD duration) {
    const uint64_t loopFrom = uint64_t(m_motion.moveEnd) + duration;
    if (g_FrameTime >= loopFrom) m_effectNode->SetStartOffset(int((g_FrameTime - m_motion.moveEnd) % duration));
    if (K3DSceneNode* node = SceneNodeOfEffect(m_effectNode)) node->Update();
}

void K3DSceneNode::UpdateAttachedModel() {
    const D3DXVECTOR3& at = m_motion.current;
    attached_model::SetShapeFlag(m_attachedModel, 1);
    attached_model::SetPosition(m_attachedModel, at.x, at.y, at.z, 0);
    attached_model::SetScale(m_attachedModel, kAttachedModelScale, kAttachedModelScale, kAttachedModelScale);
    attached_model::SetHeading(m_attachedModel, kAttachedModelHeading[0], kAttachedModelHeading[1],
                               kAttachedModelHeading[2], 0, 1);
    attached_model::UpdateTree(m_attachedModel, 0);
}
