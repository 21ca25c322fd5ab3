#include "place/LinkList.h"

#include <cstdint>
#include <limits>

KLinkList::KLinkList() {
    m_head.next = &m_tail;
    m_tail.previous = &m_head;
}

KLinkList::~KLinkList() {
    while (KLinkNode* node = PopFirst()) delete node;
}

KLinkNode* KLinkList::First() const { return Next(&m_head); }

KLinkNode* KLinkList::Next(const KLinkNode* node) const {
    if (!node || !node->next || node->next == &m_tail) return nullptr;
    return node->next;
}

void KLinkList::LinkBetween(KLinkNode* node, KLinkNode* before, KLinkNode* after) {
    node->previous = before;
    node->next = after;
    before->next = node;
    after->previous = node;
}

void KLinkList::InsertAfterHead(KLinkNode* node) {
    if (!node) return;
    Unlink(node);
    LinkBetween(node, &m_head, m_head.next);
}

void KLinkList::Append(KLinkNode* node) {
    if (!node) return;
    Unlink(node);
    LinkBetween(node, m_tail.previous, &m_tail);
}

void KLinkList::Unlink(KLinkNode* node) {
    if (!node || !node->next || !node->previous) return;
    node->previous->next = node->next;
    node->next->previous = node->previous;
    node->next = nullptr;
    node->previous = nullptr;
}

KLinkNode* KLinkList::PopFirst() {
    KLinkNode* node = First();
    Unlink(node);
    return node;
}

void KLineGroup::ComputeLengthSquared() {
    const int64_t dx = int64_t(endX) - startX;
    const int64_t dy = int64_t(endY) - startY;
    const __int128 sum = __int128(dx) * dx + __int128(dy) * dy;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    lengthSquared = sum > kMax ? kMax : int64_t(sum);
}
