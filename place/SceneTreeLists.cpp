// The leaf lists: point items and host objects sorted by the walls that
// cover them and by ground y; free-standing segments by the boxes of the
// items they lie in.
#include <algorithm>
#include <cstdint>

#include "place/RegionRecords.h"
#include "place/SceneObjectTree.h"

namespace {

struct Box {
    int64_t left, top, right, bottom;
};

Box SpanOf(KIntPoint a, KIntPoint b) {
    return Box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

bool IsFragment(const KScenePoint* item) { return !item->IsHostObject(); }

bool IsCoveringWall(const KScenePoint* item) {
    return IsFragment(item) && (item->RecordFlags() & kObjectSortBits) == kObjectCoveringWall;
}

// The point of p and e farther from the line a-b (e on a tie).
KIntPoint FartherFromLine(KIntPoint p, KIntPoint e, KIntPoint a, KIntPoint b) {
    return PointLineDistance(p, a, b) > PointLineDistance(e, a, b) ? p : e;
}

// A covering wall whose span holds p: open by 13 units across, reaching 3
// units up and 128 down from a wall that p does not lie above. The first
// wall with p above it wins, else the last one found.
KScenePoint* FindCoveringWall(KScenePoint* head, KIntPoint p, int* side) {
    KScenePoint* found = nullptr;
    for (KScenePoint* c = head; c; c = c->next) {
        if (!IsCoveringWall(c)) continue;
        const KIntPoint c0 = c->StoredPosition(), c1 = c->EndPoint();
        const int s = ClassifyPoint(p, c0, c1);
        Box span = SpanOf(c0, c1);
        if (s != 0) {
            span.top -= 3;
            span.bottom += 128;
        }
        if (p.x > span.left - 13 && p.x < span.right + 13 && p.y >= span.top && p.y <= span.bottom) {
            found = c;
            *side = s;
            if (s == 0) break;
        }
    }
    return found;
}

// The first fragment whose box (7 units wider each way) holds both ends.
KScenePoint* FindContainingItem(KScenePoint* head, KIntPoint p, KIntPoint e) {
    for (KScenePoint* c = head; c; c = c->next) {
        if (!IsFragment(c)) continue;  // a host object has no base line
        const Box span = SpanOf(c->StoredPosition(), c->EndPoint());
        auto inside = [&span](KIntPoint q) {
            return q.x >= span.left - 7 && q.x <= span.right + 7 && q.y >= span.top && q.y <= span.bottom;
        };
        if (inside(p) && inside(e)) return c;
    }
    return nullptr;
}

// Whether an item keyed by y sorts before c: above both ends of a fragment
// taken by its base line, else above c's position.
bool SortsBefore(int32_t y, KScenePoint* c, bool byBaseLine) {
    if (byBaseLine && IsFragment(c)) return y < c->StoredPosition().y && y < c->end.y;
    return y < c->Position().y;
}

// Points meet pictures of any sort kind by their base line.
bool SortsPointBefore(int32_t y, KScenePoint* c) {
    return SortsBefore(y, c, (c->RecordFlags() & kObjectSortBits) != 0);
}

}  // namespace

KScenePoint*& KSceneObjectTree::ListSlot::Head() const {
    if (node) return node->child[child].list;
    return child == 0 ? item->behind : item->front;
}

void KSceneObjectTree::LinkIntoList(ListSlot slot, KScenePoint* previous, KScenePoint* item) {
    KScenePoint*& head = slot.Head();
    KScenePoint* after = previous ? previous->next : head;
    item->next = after;
    (previous ? previous->next : head) = item;
    if (item->IsHostObject()) {
        item->previous = previous;
        item->owner = KScenePoint::OwnerWords{slot.node, slot.item};
    }
    if (after && after->IsHostObject()) after->previous = item;
}

void KSceneObjectTree::SortIntoList(ListSlot slot, KScenePoint* object) {
    const KIntPoint p = object->Position();
    for (;;) {
        KScenePoint* head = slot.Head();
        if (!head) {
            LinkIntoList(slot, nullptr, object);
            return;
        }
        int side = 0;
        if (KScenePoint* wall = FindCoveringWall(head, p, &side)) {
            slot = ListSlot{nullptr, wall, side == 2 ? 1 : 0};
            continue;
        }
        KScenePoint* previous = nullptr;
        for (KScenePoint* c = head; c && !SortsPointBefore(p.y, c); c = c->next) previous = c;
        LinkIntoList(slot, previous, object);
        return;
    }
}

void KSceneObjectTree::SortSegmentIntoList(ListSlot slot, KScenePoint* item) {
    const KIntPoint p = item->StoredPosition(), e = item->EndPoint();
    for (;;) {
        KScenePoint* head = slot.Head();
        if (!head) {
            LinkIntoList(slot, nullptr, item);
            return;
        }
        if (KScenePoint* c = FindContainingItem(head, p, e)) {
            const KIntPoint c0 = c->StoredPosition(), c1 = c->EndPoint();
            const int side = ClassifyPoint(FartherFromLine(p, e, c0, c1), c0, c1);
            slot = ListSlot{nullptr, c, side == 2 ? 1 : 0};
            continue;
        }
        const int32_t key = std::min(p.y, e.y);
        KScenePoint* previous = nullptr;
        for (KScenePoint* c = head; c && !SortsBefore(key, c, true); c = c->next) previous = c;
        LinkIntoList(slot, previous, item);
        return;
    }
}

void KSceneObjectTree::InsertObject(KScenePoint* item) {
    if (!item) return;
    if (item->IsHostObject()) {
        UnlinkItem(item);
    } else {
        item->piece.owned = 0;
    }
    item->next = nullptr;
    item->behind = nullptr;
    item->front = nullptr;
    const KIntPoint p = item->Position();
    KTreeNode* node = TopNode();
    for (;;) {
        const int i = ClassifyPoint(p, node->splitterA, node->splitterB) == 0 ? 0 : 1;
        if (KTreeNode* child = node->ChildNode(i)) {
            node = child;
            continue;
        }
        SortIntoList(ListSlot{node, nullptr, i}, item);
        break;
    }
    if (item->IsHostObject()) AddObjectLight(static_cast<KSceneObject*>(item));
}

void KSceneObjectTree::InsertSegmentItem(KTreePoint* item) {
    if (!item) return;
    item->next = nullptr;
    item->behind = nullptr;
    item->front = nullptr;
    item->piece.owned = 0;
    const KIntPoint p = item->StoredPosition(), e = item->EndPoint();
    KTreeNode* node = TopNode();
    for (;;) {
        const KIntPoint a = node->splitterA, b = node->splitterB;
        const int i = ClassifyPoint(FartherFromLine(p, e, a, b), a, b) == 0 ? 0 : 1;
        if (KTreeNode* child = node->ChildNode(i)) {
            node = child;
            continue;
        }
        SortSegmentIntoList(ListSlot{node, nullptr, i}, item);
        return;
    }
}

bool KSceneObjectTree::IsLinked(const KScenePoint* object) {
    return object->previous || object->owner.node || object->owner.item || object->next;
}

void KSceneObjectTree::UnlinkItem(KScenePoint* object) {
    if (!IsLinked(object)) return;
    KScenePoint* previous = object->previous;
    KScenePoint* next = object->next;
    if (previous) previous->next = next;
    if (KTreeNode* node = object->owner.node) {
        for (int i = 0; i < 2; ++i) {
            if (!node->HasChildNode(i) && node->child[i].list == object) node->child[i].list = next;
        }
    }
    if (KScenePoint* holder = object->owner.item) {
        if (holder->behind == object) holder->behind = next;
        if (holder->front == object) holder->front = next;
    }
    if (next && next->IsHostObject()) next->previous = previous;
    object->owner = KScenePoint::OwnerWords{nullptr, nullptr};
    object->previous = nullptr;
    object->next = nullptr;
}

void KSceneObjectTree::RemoveObject(KSceneObject* object) {
    if (!object || !object->IsHostObject()) return;
    UnlinkItem(object);
    DeleteLightsOwnedBy(object);
}
