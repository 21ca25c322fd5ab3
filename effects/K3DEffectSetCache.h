// The module's one cache of loaded effect sets, so that every effect node
// and effect instance showing the same file shares one set. Keys are the
// file names as passed (exact, case-sensitive).
//
// Holders: take a set with AcquireEffectSet and raise its user count
// (AddUser); when done, lower it (RemoveUser) and give the set back with
// ReleaseEffectSet, which deletes it once no user is left. Drawing thread
// only; no lock.
#pragma once

#include <string>
#include <unordered_map>

class K3DEffectSet;

class K3DEffectSetCache {
public:
    K3DEffectSetCache();
    // Sets still cached are not deleted: their elements would give models
    // back to a shell that may be gone by then.
    virtual ~K3DEffectSetCache() = default;
    K3DEffectSetCache(const K3DEffectSetCache&) = delete;
    K3DEffectSetCache& operator=(const K3DEffectSetCache&) = delete;

    // The cached set of the file, loaded on first use; null when the file
    // cannot be read (nothing is cached, the next call tries again). A null
    // or empty name gives a new, empty set that is not cached.
    K3DEffectSet* AcquireEffectSet(const char* fileName);
    // A set with users stays. Otherwise the entry that holds it goes (found
    // by the set, so a renamed set leaves none behind) and the set is
    // deleted. Always 1.
    int ReleaseEffectSet(K3DEffectSet* set);

    // Number of cached sets.
    size_t Size() const { return m_sets.size(); }
    // Deletes every cached set and empties the map.
    void ResetForTests();

private:
    std::unordered_map<std::string, K3DEffectSet*> m_sets;
};

// The module's cache, made on first use and kept to the end of the process.
K3DEffectSetCache& EffectSetCache();
// EffectSetCache()'s.
K3DEffectSet* AcquireEffectSet(const char* fileName);
int ReleaseEffectSet(K3DEffectSet* set);
