// The walks of the object tree, with an explicit stack: per node child 0,
// the node's fragments (first, then the array in order), child 1; per list
// item its behind list, the item, its front list, then the next item.
// Included by SceneObjectTree.h.
#pragma once

#include <cstdint>
#include <vector>

#include "place/TreeItems.h"
#include "place/TreeNode.h"

namespace scene_tree_walk {

struct Frame {
    const KTreeNode* node;  // null for a list frame
    KScenePoint* item;
    bool started;  // node: child 0 walked; item: behind list walked
};

template <bool kNodeFragments, class OnFragment, class OnItem>
void Walk(const KTreeNode* top, OnFragment&& onFragment, OnItem&& onItem) {
    std::vector<Frame> stack;
    stack.reserve(32);
    auto pushChild = [&stack](const KTreeNode* node, int i) {
        if (const KTreeNode* child = node->ChildNode(i)) {
            stack.push_back(Frame{child, nullptr, false});
        } else if (KScenePoint* head = node->ChildList(i)) {
            stack.push_back(Frame{nullptr, head, false});
        }
    };
    stack.push_back(Frame{top, nullptr, false});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (const KTreeNode* node = frame.node) {
            if (!frame.started) {
                frame.started = true;
                pushChild(node, 0);
                continue;
            }
            stack.pop_back();
            if constexpr (kNodeFragments) {
                for (int32_t i = 0, n = node->FragmentCount(); i < n; ++i) onFragment(node->FragmentAt(i));
            }
            pushChild(node, 1);
            continue;
        }
        KScenePoint* item = frame.item;
        if (!frame.started) {
            frame.started = true;
            if (item->behind) stack.push_back(Frame{nullptr, item->behind, false});
            continue;
        }
        // Links first: onItem may hand the item on.
        KScenePoint* front = item->front;
        KScenePoint* next = item->next;
        onItem(item);
        if (next) {
            frame = Frame{nullptr, next, false};
        } else {
            stack.pop_back();
        }
        if (front) stack.push_back(Frame{nullptr, front, false});
    }
}

}  // namespace scene_tree_walk

template <class Visitor>
void KSceneObjectTree::WalkPaintOrder(Visitor& visitor) const {
    scene_tree_walk::Walk<true>(
        Top(), [&visitor](KScenePoint* fragment) { visitor.NodeFragment(fragment); },
        [&visitor](KScenePoint* item) { visitor.ListItem(item); });
}

template <class Visitor>
void KSceneObjectTree::WalkLeafLists(Visitor& visitor) const {
    scene_tree_walk::Walk<false>(
        Top(), [](KScenePoint*) {}, [&visitor](KScenePoint* item) { visitor.ListItem(item); });
}
