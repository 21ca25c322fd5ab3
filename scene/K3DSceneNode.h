// The scene-node base: links between nodes, registration of root nodes
// with the host, the per-frame update walk, timed moves and the two owned
// attachments (one effect node, one model).
//
// Two kinds of link join nodes:
// - parent: the node whose position this one follows, plainly (it stands
//   where its parent stands) or on one of the parent's bones;
// - owner: the node that drives this one's per-frame update (it holds this
//   one in its all-child set).
// AttachChild makes one node both parent and owner of another; AttachTo
// makes the other node follow this one while that other node drives this
// one's update. Owners and parents never form loops.
//
// A node is registered with the host (scene/NodeRegistration.h) exactly
// while it is enabled and has no parent. Positions advance from g_FrameTime
// when they are read; nothing here runs by itself.
//
// Deleting a linked or registered node is safe: the destructor unregisters
// and detaches it first. Classes that override Unbind and keep bind state
// should call Detach in their own destructor, so their Unbind still runs.
//
// A node handed in by the host counts only while the module holds it (a
// node it made and has not destroyed): any other is refused unread. Models
// that ride on a node (KModel::BindTo) are its riders; the node lets them
// all go when it is destroyed, so none keeps a pointer to it.
#pragma once

#include <windows.h>
#include <d3dx9math.h>

#include <cstdint>
#include <set>

#include "lumiva/IK3DSceneNode.h"
#include "scene/LiveHandles.h"

class KModel;

// Link flags.
constexpr WORD kNodePlainBound = 1;  // takes its parent's position
constexpr WORD kNodeBoneBound = 2;   // rides on a bone of its parent

// Arc moves: defaults of the arc parameters.
constexpr BYTE kArcBaseDefault = 3;
constexpr BYTE kArcRandomExtraDefault = 5;
constexpr int32_t kArcStepTimeDefault = 60;

// The timed move. Move times are frame times in ms, all 0 while no move
// runs; `moveNow` is the frame time of the last advance.
struct KNodeMotion {
    DWORD moveStart = 0;
    DWORD moveNow = 0;
    DWORD moveEnd = 0;
    D3DXVECTOR3 start{0, 0, 0};
    D3DXVECTOR3 current{0, 0, 0};
    D3DXVECTOR3 target{0, 0, 0};
    BYTE straight = 1;  // 0: arc moves
    // Per arc: y drops by arcHeight - arcRise * a * a below the straight
    // line, a counting step times from the middle of the move.
    BYTE arcRise = 0;
    int32_t arcHeight = 0;
    BYTE arcBase = kArcBaseDefault;
    BYTE arcRandomExtra = kArcRandomExtraDefault;
    int32_t arcStepTime = kArcStepTimeDefault;  // ms, never 0
};

class K3DSceneNode : public IK3DSceneNode {
public:
    // Ordered by address.
    using NodeSet = std::set<K3DSceneNode*>;

    K3DSceneNode(float x, float y, float z, BYTE straight);
    ~K3DSceneNode() override;
    K3DSceneNode(const K3DSceneNode&) = delete;
    K3DSceneNode& operator=(const K3DSceneNode&) = delete;

    // --- IK3DSceneNode, in slot order ---
    void Detach() override;
    void SetPosition(float x, float y, float z, DWORD duration) override;
    bool AttachChild(IK3DSceneNode* child, const char* bone, const char* secondBone) override;
    bool AttachTo(IK3DSceneNode* other, const char* bone) override;
    bool DetachChild(IK3DSceneNode* other) override;
    void SetEnabled(BYTE enabled) override;
    BYTE IsEnabled() override;
    bool UpdateTree(DWORD argument) override;
    void GetPosition(float* x, float* y, float* z, BYTE relative, int flag) override;
    bool BindTo(IK3DSceneNode* parent, const char* bone, const char* secondBone) override;
    bool Unbind(IK3DSceneNode* parent) override;
    DWORD GetTimeStamp() override;
    bool Update() override;
    void SetMotionMode(BYTE straight, const BYTE* arcParams) override;
    IK3DEffectNode* GetEffectNode() override;
    void SetEffectNode(IK3DEffectNode* node) override;
    void SetAttachedModel(KModelProxy* model) override;

    // --- State, for the module's own parts and tests ---
    const NodeSet& PlainChildren() const { return m_plainChildren; }
    K3DSceneNode* Parent() const { return m_parent; }
    WORD LinkFlags() const { return m_linkFlags; }
    // The argument of the last update walk that visited the node (a model
    // takes it as the 1-based index of its bound-effect set).
    DWORD UpdateArgument() const { return m_updateArgument; }
    bool IsRegistered() const { return m_registered != 0; }
    const NodeSet& AllChildren() const { return m_allChildren; }
    K3DSceneNode* Owner() const { return m_owner; }
    const KNodeMotion& Motion() const { return m_motion; }
    // The attachments are updated only once g_FrameTime reaches it.
    DWORD NextAttachmentTime() const { return m_nextAttachmentTime; }
    KModelProxy* AttachedModel() const { return m_attachedModel; }

    // --- Riders: the models whose binding names this node ---
    void AddRider(KModel* rider) { m_riders.insert(rider); }
    void RemoveRider(KModel* rider) { m_riders.erase(rider); }
    const std::set<KModel*>& Riders() const { return m_riders; }
    // Every rider lets go of this node (scene/ModelBinding.cpp).
    void UnbindRiders();

protected:
    // The move at the current frame time (advanced first).
    const D3DXVECTOR3& AdvancedPosition();

private:
    // The host learns about the node becoming or stopping being a root.
    bool RunRegistrationStep();
    // Would linking `child` under this node (as parent and owner) close a
    // loop of owners or parents?
    bool ClosesLoopAsChild(const K3DSceneNode* child) const;
    bool IsInOwnerChain(const K3DSceneNode* node) const;
    bool IsInParentChain(const K3DSceneNode* node) const;
    // Undoes the parent link between this node and `other`, either way.
    void CutParentLinks(K3DSceneNode* other);
    void CutPlainLink(K3DSceneNode* child, K3DSceneNode* parent);
    // The update walk from this node, once it is the top of its owners.
    bool Visit(DWORD argument);
    void UpdateAttachments();
    void UpdateAttachedEffect(DWORD duration);
    void UpdateAttachedModel();
    void AdvanceMove();
    void StartArc();

    KLiveMark<IK3DSceneNode> m_live{this};
    NodeSet m_plainChildren;
    K3DSceneNode* m_parent = nullptr;
    WORD m_linkFlags = 0;
    DWORD m_updateArgument = 0;
    DWORD m_timeStamp = 0;
    BYTE m_enabled = 0;
    BYTE m_registered = 0;
    NodeSet m_allChildren;
    K3DSceneNode* m_owner = nullptr;
    KNodeMotion m_motion;
    DWORD m_nextAttachmentTime = 0;
    IK3DEffectNode* m_effectNode = nullptr;
    KModelProxy* m_attachedModel = nullptr;
    std::set<KModel*> m_riders;
};

// The node behind a handle, or null for one this module does not hold.
K3DSceneNode* AsSceneNode(IK3DSceneNode* node);
// The scene-node part of an effect node, or null for one this module does
// not hold.
K3DSceneNode* SceneNodeOfEffect(IK3DEffectNode* node);
