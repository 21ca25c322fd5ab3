// The model manager's shared-resource records and the name maps that hold
// them. A record is one loaded resource: its name (the map key points at
// it), its reference count, the time of its last release and its object.
// The record never deletes the object; freeing a record deletes the object,
// then the record.
//
// Each map has its lock (maps may share one). Every operation here takes
// the map's lock itself and holds no other; objects are deleted after the
// lock is let go, once no map reaches them.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "KMutex.h"

class KModel;
class KMesh;
class KMaterial;
class KAnimation;

constexpr size_t kResNameSize = 256;
constexpr size_t kResMapBuckets = 200;
// The release time of an animation loaded for good: ageing never frees it.
constexpr DWORD kPinnedReleaseTime = 0xFFFFFFFF;
// A count that reaches it stays there: the record has lost track of its
// holders and is never freed by ageing, rather than freed under one.
constexpr DWORD kSaturatedReferences = 0xFFFFFFFF;

class KResRecord {
public:
    KResRecord() = default;
    virtual ~KResRecord() = default;
    KResRecord(const KResRecord&) = delete;
    KResRecord& operator=(const KResRecord&) = delete;

    char name[kResNameSize] = {};
    DWORD referenceCount = 0;
    DWORD releaseTime = 0;  // timeGetTime of the last release
    void* object = nullptr;
};

// One record class for each kind of object.
template <class T>
class KResRecordOf final : public KResRecord {
public:
    // A record of one reference for `name` (shorter than kResNameSize).
    KResRecordOf(const char* recordName, T* recordObject) {
        const size_t length = std::min(std::strlen(recordName), kResNameSize - 1);
        std::memcpy(name, recordName, length);
        referenceCount = 1;
        object = recordObject;
    }
    T* Object() const { return static_cast<T*>(object); }
};

using KModelRecord = KResRecordOf<KModel>;
using KMeshRecord = KResRecordOf<KMesh>;
using KMaterialSetRecord = KResRecordOf<KMaterial>;
using KAnimationRecord = KResRecordOf<KAnimation>;

template <class T>
class KResMap {
public:
    using Record = KResRecordOf<T>;

    explicit KResMap(KMutex* guard) : m_lock(guard), m_records(kResMapBuckets) {}
    KResMap(const KResMap&) = delete;
    KResMap& operator=(const KResMap&) = delete;

    // The record of exactly that name with one more reference; null when
    // absent.
    Record* Find(const char* name) {
        KAutoMutex hold(m_lock);
        auto it = m_records.find(name);
        if (it == m_records.end()) return nullptr;
        TakeReference(it->second);
        return it->second;
    }

    // Inserts a record of one reference. When its name was inserted
    // meanwhile, the new record and its object are deleted and the standing
    // record is returned with one more reference, so each holder keeps one.
    Record* Insert(Record* record) {
        Record* standing = nullptr;
        {
            KAutoMutex hold(m_lock);
            auto [it, inserted] = m_records.emplace(std::string_view(record->name), record);
            if (inserted) return record;
            standing = it->second;
            TakeReference(standing);
        }
        Free(record);
        return standing;
    }

    // One reference less, stamped with the time; nothing for null, a
    // record without references or a saturated one. A pinned record keeps
    // its time.
    void Release(Record* record) {
        if (!record) return;
        KAutoMutex hold(m_lock);
        if (record->referenceCount == 0 || record->referenceCount == kSaturatedReferences) return;
        if (record->releaseTime != kPinnedReleaseTime) record->releaseTime = timeGetTime();
        if (--record->referenceCount == 0) ++m_unreferenced;
    }

    // Never freed by ageing from now on.
    void Pin(Record* record) {
        KAutoMutex hold(m_lock);
        record->releaseTime = kPinnedReleaseTime;
    }

    // Frees, in one scan, every record without references for which
    // `due(record)` holds. The number freed.
    template <class Due>
    size_t FreeUnreferenced(Due due) {
        std::vector<Record*> freed;
        {
            KAutoMutex hold(m_lock);
            // Most frames every record is held: nothing to scan.
            if (m_unreferenced == 0) return 0;
            for (auto it = m_records.begin(); it != m_records.end();) {
                Record* record = it->second;
                if (record->referenceCount == 0 && due(*record)) {
                    freed.push_back(record);
                    it = m_records.erase(it);
                    --m_unreferenced;
                } else {
                    ++it;
                }
            }
        }
        for (Record* record : freed) Free(record);
        return freed.size();
    }

    // Frees every record, referenced or not.
    void FreeAll() {
        decltype(m_records) taken;
        {
            KAutoMutex hold(m_lock);
            taken.swap(m_records);
            m_unreferenced = 0;
        }
        for (auto& entry : taken) Free(entry.second);
    }

    // The record of that name without a new reference, or null; for tests
    // and the manager's own checks.
    Record* Peek(const char* name) {
        KAutoMutex hold(m_lock);
        auto it = m_records.find(name);
        return it == m_records.end() ? nullptr : it->second;
    }
    size_t Size() {
        KAutoMutex hold(m_lock);
        return m_records.size();
    }

    static void Free(Record* record) {
        delete record->Object();
        delete record;
    }

private:
    // Under the lock.
    void TakeReference(Record* record) {
        if (record->referenceCount == kSaturatedReferences) return;
        if (record->referenceCount++ == 0) --m_unreferenced;
    }

    KMutex* m_lock;
    size_t m_unreferenced = 0;  // records in the map without references
    std::unordered_map<std::string_view, Record*> m_records;
};
