#include "effects/K3DEffectSetCache.h"

#include <new>

#include "effects/K3DEffectSet.h"

K3DEffectSetCache::K3DEffectSetCache() : m_sets(100) {}

K3DEffectSet* K3DEffectSetCache::AcquireEffectSet(const char* fileName) {
    if (!fileName || !*fileName) return new K3DEffectSet;
    if (const auto found = m_sets.find(fileName); found != m_sets.end()) return found->second;
    auto* set = new K3DEffectSet;
    if (!LoadEffectSet(set, fileName)) {
        delete set;
        return nullptr;
    }
    m_sets.emplace(set->Name(), set);
    return set;
}

int K3DEffectSetCache::ReleaseEffectSet(K3DEffectSet* set) {
    if (!set || set->UserCount() > 0) return 1;
    const auto named = m_sets.find(set->Name());
    if (named != m_sets.end() && named->second == set) {
        m_sets.erase(named);
    } else {
        for (auto it = m_sets.begin(); it != m_sets.end(); ++it) {
            if (it->second != set) continue;
            m_sets.erase(it);
            break;
        }
    }
    delete set;
    // An empty cache holds no memory of its own: unloading the module once
    // every set is given back leaves nothing behind.
    if (m_sets.empty()) std::unordered_map<std::string, K3DEffectSet*>().swap(m_sets);
    return 1;
}

void K3DEffectSetCache::ResetForTests() {
    for (auto& [name, set] : m_sets) delete set;
    m_sets.clear();
}

K3DEffectSetCache& EffectSetCache() {
    // Never destroyed: sets still cached at unload stay rather than being
    // deleted after the shell they would give models back to. The cache
    // lives in the module's own storage, not on the heap.
    alignas(K3DEffectSetCache) static unsigned char storage[sizeof(K3DEffectSetCache)];
    static K3DEffectSetCache* cache = new (storage) K3DEffectSetCache;
    return *cache;
}

K3DEffectSet* AcquireEffectSet(const char* fileName) { return EffectSetCache().AcquireEffectSet(fileName); }

int ReleaseEffectSet(K3DEffectSet* set) { return EffectSetCache().ReleaseEffectSet(set); }
