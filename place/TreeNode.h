// A node of the object tree's space partition: its splitter line, the
// fragments that lie on it, and two children, each either a node or the
// head of an item list (by the child mask).
#pragma once

#include <cstdint>

#include "place/TreeGeometry.h"

class KScenePoint;

class KTreeNode {
public:
    static constexpr uint32_t kChildBits[2] = {1, 2};
    static constexpr int32_t kFragmentGrowth = 8;

    union Child {
        KTreeNode* node;
        KScenePoint* list;
    };

    KTreeNode() = default;
    ~KTreeNode();  // frees the array only: fragments and children are the tree's
    KTreeNode(const KTreeNode&) = delete;
    KTreeNode& operator=(const KTreeNode&) = delete;

    bool HasChildNode(int i) const { return (childMask & kChildBits[i]) != 0; }
    KTreeNode* ChildNode(int i) const { return HasChildNode(i) ? child[i].node : nullptr; }
    // The list head of child slot i, null when the slot holds a node.
    KScenePoint* ChildList(int i) const { return HasChildNode(i) ? nullptr : child[i].list; }
    void SetChildNode(int i, KTreeNode* node);
    void SetChildList(int i, KScenePoint* head);

    // The first fragment sets the splitter; further ones stretch it over
    // their union along x. False (nothing added) when the array cannot grow.
    bool AddFragment(KScenePoint* fragment);
    int32_t FragmentCount() const { return firstFragment ? fragmentCount + 1 : 0; }
    KScenePoint* FragmentAt(int32_t i) const { return i == 0 ? firstFragment : fragments[i - 1]; }
    // Forgets the fragments (they are not freed here).
    void ForgetFragments();

    uint32_t childMask = 0;
    KTreeNode* parent = nullptr;
    Child child[2] = {{.list = nullptr}, {.list = nullptr}};
    KIntPoint splitterA;
    KIntPoint splitterB;
    KScenePoint* firstFragment = nullptr;
    KScenePoint** fragments = nullptr;  // further fragments
    int32_t fragmentCount = 0;
    int32_t fragmentCapacity = 0;
};
