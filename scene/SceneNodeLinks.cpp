// Linking nodes: AttachChild, AttachTo, DetachChild and Detach. Every link
// operation leaves both nodes unchanged when it refuses, and runs the
// registration step of both nodes when it changed something.
#include "scene/K3DSceneNode.h"

bool K3DSceneNode::IsInOwnerChain(const K3DSceneNode* node) const {
    for (const K3DSceneNode* n = this; n; n = n->m_owner)
        if (n == node) return true;
    return false;
}

bool K3DSceneNode::IsInParentChain(const K3DSceneNode* node) const {
    for (const K3DSceneNode* n = this; n; n = n->m_parent)
        if (n == node) return true;
    return false;
}

// The walks climb owners and GetPosition climbs parents, so either loop
// would never end. Both chains start at this node: a node is never linked
// to itself.
bool K3DSceneNode::ClosesLoopAsChild(const K3DSceneNode* child) const {
    return IsInOwnerChain(child) || IsInParentChain(child);
}

bool K3DSceneNode::AttachChild(IK3DSceneNode* childNode, const char* bone, const char* secondBone) {
    K3DSceneNode* child = AsSceneNode(childNode);
    if (!child) return false;
    // A child with an owner is already driven by another node; one with a
    // parent already follows one (its old parent would keep it in its
    // plain-child set).
    if (child->m_owner || child->m_parent) return false;
    if (bone ? (child->m_linkFlags & kNodeBoneBound) : (child->m_linkFlags & kNodePlainBound)) return false;
    if (ClosesLoopAsChild(child)) return false;

    if (bone) {
        child->m_linkFlags |= kNodeBoneBound;
        child->BindTo(this, bone, secondBone);
    } else {
        child->m_linkFlags |= kNodePlainBound;
        m_plainChildren.insert(child);
    }
    child->m_parent = this;
    child->m_owner = this;
    m_allChildren.insert(child);
    RunRegistrationStep();
    child->RunRegistrationStep();
    return true;
}

bool K3DSceneNode::AttachTo(IK3DSceneNode* otherNode, const char* bone) {
    K3DSceneNode* other = AsSceneNode(otherNode);
    if (!other || other->m_parent || m_owner) return false;
    if (bone ? (m_linkFlags & kNodeBoneBound) : (other->m_linkFlags & kNodePlainBound)) return false;
    // This node becomes driven by `other` and `other` follows this node.
    if (other->IsInOwnerChain(this) || IsInParentChain(other)) return false;

    if (bone) {
        m_linkFlags |= kNodeBoneBound;
        BindTo(other, bone, nullptr);
    } else {
        m_plainChildren.insert(other);
    }
    m_owner = other;
    other->m_linkFlags |= kNodePlainBound;
    other->m_parent = this;
    other->m_allChildren.insert(this);
    RunRegistrationStep();
    other->RunRegistrationStep();
    return true;
}

void K3DSceneNode::CutPlainLink(K3DSceneNode* child, K3DSceneNode* parent) {
    if (child->m_linkFlags & kNodePlainBound) {
        parent->m_plainChildren.erase(child);
        child->m_linkFlags &= WORD(~kNodePlainBound);
    }
    child->m_parent = nullptr;
}

void K3DSceneNode::CutParentLinks(K3DSceneNode* other) {
    if (m_parent == other) CutPlainLink(this, other);
    if (other->m_parent == this) CutPlainLink(other, this);
}

bool K3DSceneNode::DetachChild(IK3DSceneNode* otherNode) {
    if (!otherNode) {
        Detach();
        return true;
    }
    K3DSceneNode* other = AsSceneNode(otherNode);
    if (!other) return false;

    if (other == m_owner) {
        other->m_allChildren.erase(this);
        CutParentLinks(other);
        if (m_linkFlags & kNodeBoneBound) {
            m_linkFlags &= WORD(~kNodeBoneBound);
            Unbind(other);
        }
        m_owner = nullptr;
    } else if (m_allChildren.count(other)) {
        m_allChildren.erase(other);
        CutParentLinks(other);
        if (other->m_linkFlags & kNodeBoneBound) {
            other->m_linkFlags &= WORD(~kNodeBoneBound);
            other->Unbind(this);
        }
        other->m_owner = nullptr;
    } else if (other == m_parent) {
        if (m_linkFlags & kNodePlainBound) {
            other->m_plainChildren.erase(this);
            m_linkFlags &= WORD(~kNodePlainBound);
        }
        if (m_linkFlags & kNodeBoneBound) {
            m_linkFlags &= WORD(~kNodeBoneBound);
            Unbind(other);
        }
        m_parent = nullptr;
        if (other->m_parent == this) CutPlainLink(other, this);
    } else {
        return false;
    }
    RunRegistrationStep();
    other->RunRegistrationStep();
    return true;
}

void K3DSceneNode::Detach() {
    if (m_parent) DetachChild(m_parent);
    if (m_owner) DetachChild(m_owner);
    // Each DetachChild takes its node out of the set; stepping by value
    // keeps the walk valid whatever the callbacks it runs change.
    for (auto it = m_allChildren.begin(); it != m_allChildren.end();) {
        K3DSceneNode* child = *it;
        child->DetachChild(this);
        it = m_allChildren.upper_bound(child);
    }
}
