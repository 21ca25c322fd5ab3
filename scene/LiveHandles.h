// The objects of one kind that the module made and has not yet destroyed.
// A host hands its handles back as raw pointers: one it released before, or
// one the module never made, is not in the set, so a release or a call that
// takes it can refuse it without reading it.
//
// An object joins its kind's set when it is built and leaves it when it is
// destroyed, through a KLiveMark member; a mark declared as the first member
// leaves last, after the destructor's body, so the object still counts as
// live while its destructor unlinks it from others. Any thread.
#pragma once

#include <cstddef>
#include <mutex>
#include <unordered_set>

template <class T>
class KLiveSet {
public:
    void Add(const T* object) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_objects.insert(object);
    }
    void Remove(const T* object) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_objects.erase(object);
    }
    // False for null.
    bool Holds(const T* object) const {
        if (!object) return false;
        std::lock_guard<std::mutex> hold(m_lock);
        return m_objects.count(object) != 0;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_objects.size();
    }

private:
    mutable std::mutex m_lock;
    std::unordered_set<const T*> m_objects;
};

// The module-wide set of the kind.
template <class T>
KLiveSet<T>& LiveObjects() {
    static KLiveSet<T> objects;
    return objects;
}

template <class T>
class KLiveMark {
public:
    explicit KLiveMark(const T* object) : m_object(object) { LiveObjects<T>().Add(object); }
    ~KLiveMark() { LiveObjects<T>().Remove(m_object); }
    KLiveMark(const KLiveMark&) = delete;
    KLiveMark& operator=(const KLiveMark&) = delete;

private:
    const T* m_object;
};
