// The space partition: region fragments into nodes, cut where they cross.
#include <new>
#include <vector>

#include "place/SceneObjectTree.h"

namespace {

void ClearListLinks(KScenePoint* item) {
    item->next = nullptr;
    item->behind = nullptr;
    item->front = nullptr;
}

bool SameLineKey(const KScenePoint* a, const KScenePoint* b) { return a->key.a == b->key.a && a->key.b == b->key.b; }

}  // namespace

void KSceneObjectTree::DropFragment(KScenePoint* fragment) {
    if (!fragment->IsHostObject() && fragment->piece.owned) delete static_cast<KTreePoint*>(fragment);
}

void KSceneObjectTree::AddToNode(KTreeNode* node, KScenePoint* fragment) {
    if (!node->AddFragment(fragment)) DropFragment(fragment);
}

void KSceneObjectTree::InsertRegionFragment(KTreePoint* fragment) {
    if (!fragment) return;
    ClearListLinks(fragment);
    fragment->piece.owned = 0;  // the tree frees only what it cut off itself
    if (m_root) {
        InsertIntoNode(m_root, fragment);
        return;
    }
    m_root = new (std::nothrow) KTreeNode();
    if (m_root) AddToNode(m_root, fragment);
}

KScenePoint* KSceneObjectTree::SplitFragment(KScenePoint* fragment, KIntPoint cut) {
    if (cut.x == fragment->end.x) return nullptr;
    KTreePoint* farPart = new (std::nothrow) KTreePoint();
    if (!farPart) return nullptr;
    farPart->kind = fragment->kind;
    farPart->key = fragment->key;
    farPart->wordA = fragment->wordA;
    farPart->piece = KScenePoint::PieceWords{fragment->piece.cacheHint, 1, 1};
    farPart->SetPosition(cut.x, cut.y);
    farPart->end = fragment->end;
    farPart->record = fragment->record;
    fragment->end = KScenePoint::EndWords{cut.x, cut.y};
    fragment->piece.split = 1;
    return farPart;
}

void KSceneObjectTree::InsertIntoNode(KTreeNode* node, KScenePoint* fragment) {
    std::vector<NodeWork> work{NodeWork{node, fragment}};
    while (!work.empty()) {
        const NodeWork at = work.back();
        work.pop_back();
        const KIntPoint position = at.fragment->StoredPosition();
        const KIntPoint a = at.node->splitterA, b = at.node->splitterB;
        KIntPoint cut;
        const KScenePoint* first = at.node->firstFragment;
        const int result = first && SameLineKey(first, at.fragment)
                               ? 1
                               : ClassifySegment(position, at.fragment->EndPoint(), a, b, &cut);
        if (result == 1) {
            AddToNode(at.node, at.fragment);
        } else if (result != 3) {
            InsertIntoChild(at.node, result == 2 ? 1 : 0, at.fragment, work);
        } else {
            KScenePoint* farPart = SplitFragment(at.fragment, cut);
            const int nearSide = ClassifyPoint(position, a, b) == 2 ? 1 : 0;
            if (!farPart) {
                // Nothing to cut off (or no memory to cut with): whole, on the side of its position.
                InsertIntoChild(at.node, nearSide, at.fragment, work);
                continue;
            }
            InsertIntoChild(at.node, 1 - nearSide, farPart, work);
            if (at.fragment->StoredPosition().x == at.fragment->end.x) {
                DropFragment(at.fragment);  // no width left on the near side
            } else {
                InsertIntoChild(at.node, nearSide, at.fragment, work);
            }
        }
    }
}

void KSceneObjectTree::InsertIntoChild(KTreeNode* node, int i, KScenePoint* fragment, std::vector<NodeWork>& work) {
    if (KTreeNode* child = node->ChildNode(i)) {
        work.push_back(NodeWork{child, fragment});
        return;
    }
    if (node->ChildList(i)) {
        // Lists exist already (a fragment after the merge's fragment step):
        // keep it drawn as a free-standing segment there.
        SortSegmentIntoList(ListSlot{node, nullptr, i}, fragment);
        return;
    }
    KTreeNode* child = new (std::nothrow) KTreeNode();
    if (!child) {
        DropFragment(fragment);
        return;
    }
    child->parent = node;
    AddToNode(child, fragment);
    node->SetChildNode(i, child);
}
