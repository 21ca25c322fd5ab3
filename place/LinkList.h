// An intrusive doubly linked list between two sentinel nodes, and the line
// group that the region merge keeps in one: the fragments of one wall line
// of the resident regions, chained through their next links.
#pragma once

#include <cstdint>

class KScenePoint;

class KLinkNode {
public:
    KLinkNode() = default;
    virtual ~KLinkNode() = default;
    KLinkNode(const KLinkNode&) = delete;
    KLinkNode& operator=(const KLinkNode&) = delete;

    bool IsLinked() const { return next != nullptr; }

    KLinkNode* next = nullptr;
    KLinkNode* previous = nullptr;
};

// The list deletes the nodes still linked when it goes.
class KLinkList {
public:
    KLinkList();
    virtual ~KLinkList();
    KLinkList(const KLinkList&) = delete;
    KLinkList& operator=(const KLinkList&) = delete;

    // Null when empty.
    KLinkNode* First() const;
    // The node after node, or null at the end (or for a node not linked).
    KLinkNode* Next(const KLinkNode* node) const;
    // A node already in a list is moved.
    void InsertAfterHead(KLinkNode* node);
    void Append(KLinkNode* node);
    // Takes the node out and clears its links; nothing for a node not linked.
    void Unlink(KLinkNode* node);
    // The first node, unlinked, or null.
    KLinkNode* PopFirst();
    bool IsEmpty() const { return First() == nullptr; }

private:
    static void LinkBetween(KLinkNode* node, KLinkNode* before, KLinkNode* after);

    KLinkNode m_head;
    KLinkNode m_tail;
};

class KLineGroup : public KLinkNode {
public:
    float keyA = 0;
    float keyB = 0;
    int64_t lengthSquared = 0;  // 64 bits: a line may span any coordinates
    int32_t startX = 0, startY = 0;
    int32_t endX = 0, endY = 0;
    KScenePoint* items = nullptr;  // chained through their next links

    // (end - start) squared, in 64 bits, saturated.
    void ComputeLengthSquared();
};
