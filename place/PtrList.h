// A doubly linked list that owns its values, walked through one cursor
// (scroll settings, scroll items). Removing a node deletes its value.
#pragma once

#include <cstdint>
#include <new>

template <class T>
class KPtrList {
public:
    KPtrList() = default;
    virtual ~KPtrList() { Clear(); }
    KPtrList(const KPtrList&) = delete;
    KPtrList& operator=(const KPtrList&) = delete;

    // Takes the value; returns it, or null when no node could be made (the
    // value is then deleted, so ownership passes either way).
    T* PushBack(T* value) {
        if (!value) return nullptr;
        Node* node = new (std::nothrow) Node{value, nullptr, m_tail};
        if (!node) {
            delete value;
            return nullptr;
        }
        (m_tail ? m_tail->next : m_head) = node;
        m_tail = node;
        ++m_count;
        return value;
    }

    T* First() {
        m_cursor = m_head;
        return m_cursor ? m_cursor->value : nullptr;
    }

    T* Next() {
        if (m_cursor) m_cursor = m_cursor->next;
        return m_cursor ? m_cursor->value : nullptr;
    }

    // Deletes the cursor's value and node; the cursor moves to the
    // following node. Returns the count left.
    int32_t RemoveCurrent() {
        Node* node = m_cursor;
        if (!node) return m_count;
        (node->previous ? node->previous->next : m_head) = node->next;
        (node->next ? node->next->previous : m_tail) = node->previous;
        m_cursor = node->next;
        delete node->value;
        delete node;
        return --m_count;
    }

    void Clear() {
        First();
        while (m_cursor) RemoveCurrent();
    }

    int32_t Count() const { return m_count; }

private:
    struct Node {
        T* value;
        Node* next;
        Node* previous;
    };

    int32_t m_count = 0;
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    Node* m_cursor = nullptr;
};
