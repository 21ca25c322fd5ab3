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

// Two holders of one spell load and unload the same name: the name stays
// cached until the last of the host's users unloads it, so every unload
// finds its definition.
void KLightningCache::UnloadLightning(const char* fileName) {
    if (!fileName) return;
    KLightning* held = HostHeld(fileName);
    if (!held) {
        KLightning* cached = Find(fileName);
        if (!cached) return;
        m_byName.erase(cached->Name());
        DeleteWhenUnheld(cached);
        return;
    }
    if (--held->hostUsers == 0 && Find(fileName) == held) m_byName.erase(held->Name());
    DropLightningUser(held);
}

// The cached definition when the host holds it; else one a set's release
// uncached while the host still held it.
KLightning* KLightningCache::HostHeld(const std::string& fileName) const {
    KLightning* cached = Find(fileName);
    if (cached && cached->hostUsers > 0) return cached;
    for (KLightning* lightning : m_live)
        if (lightning->hostUsers > 0 && lightning->Name() == fileName) return lightning;
    return nullptr;
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
