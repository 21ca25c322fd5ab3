#include "place/TreeNode.h"

#include <algorithm>
#include <new>

#include "place/TreeItems.h"

KTreeNode::~KTreeNode() { delete[] fragments; }

void KTreeNode::SetChildNode(int i, KTreeNode* node) {
    child[i].node = node;
    childMask |= kChildBits[i];
}

void KTreeNode::SetChildList(int i, KScenePoint* head) {
    child[i].list = head;
    childMask &= ~kChildBits[i];
}

bool KTreeNode::AddFragment(KScenePoint* fragment) {
    const KIntPoint position = fragment->StoredPosition();
    const KIntPoint endPoint = fragment->EndPoint();
    if (!firstFragment) {
        firstFragment = fragment;
        splitterA = position;
        splitterB = endPoint;
        return true;
    }
    if (fragmentCount == fragmentCapacity) {
        if (fragmentCapacity > INT32_MAX - kFragmentGrowth) return false;
        const int32_t capacity = fragmentCapacity + kFragmentGrowth;
        KScenePoint** grown = new (std::nothrow) KScenePoint*[size_t(capacity)];
        if (!grown) return false;
        std::copy(fragments, fragments + fragmentCount, grown);
        delete[] fragments;
        fragments = grown;
        fragmentCapacity = capacity;
    }
    fragments[fragmentCount++] = fragment;
    if (position.x < splitterA.x) splitterA = position;
    if (splitterB.x < endPoint.x) splitterB = endPoint;
    return true;
}

void KTreeNode::ForgetFragments() {
    firstFragment = nullptr;
    delete[] fragments;
    fragments = nullptr;
    fragmentCount = 0;
    fragmentCapacity = 0;
}
