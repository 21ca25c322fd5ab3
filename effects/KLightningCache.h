// The module's lightning definitions by file name (exact, case-sensitive).
//
// A definition lives while its name is cached or a holder counts on it:
// GetOrLoadLightning adds a user; ReleaseLightning drops one and uncaches
// the name; DropLightningUser only drops one (a lightning set whose load
// failed leaves its names cached). So one holder's release never deletes a
// definition that another still draws. The host's users are counted apart
// as well: its name stays cached until its last host user unloads it, and
// an unload by name the host never loaded only uncaches.
// Drawing thread only; no lock.
#pragma once

#include <map>
#include <set>
#include <string>

class KLightning;

class KLightningCache {
public:
    KLightningCache() = default;
    // Definitions still alive are not deleted here: their textures belong
    // to a device that may be gone by then (DestroyAllLightning frees them).
    ~KLightningCache() = default;
    KLightningCache(const KLightningCache&) = delete;
    KLightningCache& operator=(const KLightningCache&) = delete;

    // The definition of the file with one user more; null, with nothing
    // cached, when it does not load.
    KLightning* GetOrLoadLightning(const char* fileName);
    // Drops a user and erases the name when it still names this definition.
    // A definition this cache does not know is left alone.
    void ReleaseLightning(KLightning* lightning);
    // GetOrLoadLightning for the host, which gives it back by name.
    KLightning* LoadLightning(const char* fileName);
    // Drops one of the host's users of the name; the last one uncaches it.
    // A name the host does not hold is only uncached.
    void UnloadLightning(const char* fileName);
    // Drops a user and keeps the name cached.
    void DropLightningUser(KLightning* lightning);
    // Deletes every definition alive and empties the cache.
    void DestroyAllLightning();

    KLightning* Find(const std::string& fileName) const;
    size_t CachedCount() const { return m_byName.size(); }
    size_t LiveCount() const { return m_live.size(); }

private:
    void DeleteWhenUnheld(KLightning* lightning);
    KLightning* HostHeld(const std::string& fileName) const;

    std::map<std::string, KLightning*> m_byName;
    std::set<KLightning*> m_live;
};

// The module's one cache.
KLightningCache& LightningCache();
