// Building up and tearing down: the tree's life, the merge's reset and
// reinsertion, and dismantling nodes and lists without recursion.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "place/SceneObjectTree.h"

KSceneObjectTree::KSceneObjectTree() = default;

KSceneObjectTree::~KSceneObjectTree() { Clear(); }

void KSceneObjectTree::SetBaseLine(int32_t x1, int32_t x2, int32_t y) {
    m_baseNode.splitterA = KIntPoint{std::min(x1, x2), y};
    const int32_t endX = x1 == x2 ? SaturateToInt32(int64_t(x2) + 2048) : std::max(x1, x2);
    m_baseNode.splitterB = KIntPoint{endX, y};
}

void KSceneObjectTree::SetGridOrigin(int32_t x, int32_t y) {
    m_gridOriginX = x;
    m_gridOriginY = y;
}

void KSceneObjectTree::PushPending(KScenePoint* object) {
    KScenePoint* first = m_pendingAnchor.next;
    object->owner = KScenePoint::OwnerWords{nullptr, nullptr};
    object->previous = &m_pendingAnchor;
    object->next = first;
    if (first) first->previous = object;
    m_pendingAnchor.next = object;
}

// Every item of the list and of the lists below it loses its links (host
// objects their owner and previous links too); host objects go to the
// pending list when collected, owned fragments are freed. Order: the item,
// its behind list, its front list, then the next item.
void KSceneObjectTree::DissolveList(KScenePoint* head, bool collectHostObjects) {
    std::vector<KScenePoint*> chains{head};
    while (!chains.empty()) {
        KScenePoint* item = chains.back();
        chains.pop_back();
        if (!item) continue;
        KScenePoint* lists[3] = {item->next, item->front, item->behind};
        item->next = nullptr;
        item->behind = nullptr;
        item->front = nullptr;
        if (item->IsHostObject()) {
            item->owner = KScenePoint::OwnerWords{nullptr, nullptr};
            item->previous = nullptr;
            if (collectHostObjects) PushPending(item);
        } else {
            DropFragment(item);
        }
        for (KScenePoint* list : lists) {
            if (list) chains.push_back(list);
        }
    }
}

// Dismantles a node and everything below it: child 0 first, then child 1.
// Node fragments the tree owns are freed; the node itself is deleted
// unless it is the base node, which is only emptied.
void KSceneObjectTree::ClearNodeContents(KTreeNode* top, bool collectHostObjects) {
    struct Entry {
        KTreeNode* node;
        KScenePoint* list;
    };
    std::vector<Entry> stack{Entry{top, nullptr}};
    while (!stack.empty()) {
        const Entry entry = stack.back();
        stack.pop_back();
        if (!entry.node) {
            DissolveList(entry.list, collectHostObjects);
            continue;
        }
        KTreeNode* node = entry.node;
        for (int i = 1; i >= 0; --i) {
            if (KTreeNode* child = node->ChildNode(i)) {
                stack.push_back(Entry{child, nullptr});
            } else if (KScenePoint* list = node->ChildList(i)) {
                stack.push_back(Entry{nullptr, list});
            }
        }
        for (int32_t i = 0, n = node->FragmentCount(); i < n; ++i) DropFragment(node->FragmentAt(i));
        if (node == &m_baseNode) {
            node->ForgetFragments();
            node->SetChildList(0, nullptr);
            node->SetChildList(1, nullptr);
        } else {
            delete node;
        }
    }
}

void KSceneObjectTree::CollectHostObjects() {
    ++m_resets;
    if (m_root) {
        ClearNodeContents(m_root, true);
        m_root = nullptr;
    }
    ClearNodeContents(&m_baseNode, true);
}

void KSceneObjectTree::ResetForMerge() {
    CollectHostObjects();
    DeleteOwnerlessLights();
}

void KSceneObjectTree::ReinsertPendingObjects([[maybe_unused]] const int32_t rect[4]) {
    while (KScenePoint* object = m_pendingAnchor.next) {
        m_pendingAnchor.next = object->next;
        if (object->next) object->next->previous = &m_pendingAnchor;
        object->previous = nullptr;
        object->next = nullptr;
        InsertObject(object);
    }
}

void KSceneObjectTree::Clear() {
    ++m_resets;
    if (m_root) {
        ClearNodeContents(m_root, false);
        m_root = nullptr;
    }
    ClearNodeContents(&m_baseNode, false);
    while (KScenePoint* object = m_pendingAnchor.next) {
        m_pendingAnchor.next = object->next;
        object->previous = nullptr;
        object->next = nullptr;
    }
    DeleteAllLights();
}
