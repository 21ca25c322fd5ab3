#include "effects/KLightningCache.h"

#include "effects/KLightning.h"

KLightningCache& LightningCache() {
    static KLightningCache cache;
    return cache;
}

KLightning* KLightningCache::Find(const std::string& fileName) const {
    const auto found = m_byName.find(fileName);
    return found == m_byName.end() ? nullptr : found->second;
}

KLightning* KLightningCache::GetOrLoadLightning(const char* fileName) {
    if (!fileName) return nullptr;
    KLightning* lightning = Find(fileName);
    if (!lightning) {
        lightning = new KLightning();
        if (!lightning->Load(fileName)) {
            delete lightning;
            return nullptr;
        }
        m_byName[fileName] = lightning;
        m_live.insert(lightning);
    }
    ++lightning->users;
    return lightning;
}

void KLightningCache::ReleaseLightning(KLightning* lightning) {
    if (!lightning || !m_live.count(lightning)) return;
    const auto named = m_byName.find(lightning->Name());
    if (named != m_byName.end() && named->second == lightning) m_byName.erase(named);
    DropLightningUser(lightning);
}

KLightning* KLightningCache::LoadLightning(const char* fileName) {
    KLightning* lightning = GetOrLoadLightning(fileName);
    if (lightning) ++lightning->hostUsers;
    return lightning;
}

void KLightningCache::UnloadLightning(const char* fileName) {
    KLightning* lightning = fileName ? Find(fileName) : nullptr;
    if (!lightning) return;
    m_byName.erase(lightning->Name());
    if (lightning->hostUsers > 0) {
        --lightning->hostUsers;
        DropLightningUser(lightning);
    } else {
        DeleteWhenUnheld(lightning);
    }
}

void KLightningCache::DropLightningUser(KLightning* lightning) {
    if (!lightning || !m_live.count(lightning)) return;
    if (lightning->users > 0) --lightning->users;
    DeleteWhenUnheld(lightning);
}

void KLightningCache::DeleteWhenUnheld(KLightning* lightning) {
    if (lightning->users > 0 || Find(lightning->Name()) == lightning) return;
    m_live.erase(lightning);
    delete lightning;
}

void KLightningCache::DestroyAllLightning() {
    for (KLightning* lightning : m_live) delete lightning;
    m_live.clear();
    m_byName.clear();
}
