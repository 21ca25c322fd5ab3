#include "textures/ImageCache.h"

#include <strings.h>

#include "lumiva/basrel/FileNameId.h"
#include "shell/ComRelease.h"
#include "shell/ShellServices.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

KMutex g_ImageCacheMutex;
IDirect3DTexture9* g_SizeClassTextures[kSizeClassCount] = {};
KImageCache* g_pImageCache = nullptr;

void DropPictureReference(KImageTexture* picture) {
    if (!picture || picture->DecRef() >= 1) return;
    picture->Close();
    delete picture;
}

namespace {

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

DWORD KImageCache::UseTick() const { return m_frameTickSet ? m_frameTick : GetTickCount(); }

DWORD KImageCache::FreshTick(DWORD tick) const { return tick == kPinnedTick ? tick : UseTick(); }

void KImageCache::BeginFrameTick(DWORD now) {
    m_frameTick = now;
    m_frameTickSet = true;
}

void KImageCache::EndFrameTick() { m_frameTickSet = false; }

uint32_t KImageCache::BudgetForMachine() {
    MEMORYSTATUS status{};
    GlobalMemoryStatus(&status);
    const uint64_t total = status.dwTotalPhys;
    if (total <= 134217728u) return 31457280u;
    if (total <= 268435456u) return 52428800u;
    if (total > 536870912u) return 125829120u;
    return 83886080u;
}

KImageCache::KImageCache(KShellServices* shell) : m_shell(shell) {
    stampTime = timeGetTime();
    memoryBudget = BudgetForMachine();
    for (IDirect3DTexture9*& texture : g_SizeClassTextures) texture = nullptr;
    g_pImageCache = this;
}

KImageCache::~KImageCache() {
    ReleaseAll();
    if (g_pImageCache == this) g_pImageCache = nullptr;
}

int KImageCache::GetSizeClass(int width, int height) {
    auto log2Of = [](int side) {
        if (side < 1 || side > 1024 || (side & (side - 1))) return -1;
        int log = 0;
        while ((1 << log) < side) ++log;
        return log;
    };
    const int w = log2Of(width), h = log2Of(height);
    return w < 0 || h < 0 ? -1 : h * 11 + w;
}

// Search order matters to callers that keep hints: the hinted entry is
// probed first, then eight entries towards the id, then halving.
int KImageCache::FindEntry(uint32_t fileId, int hint) {
    KAutoMutex lock(g_ImageCacheMutex);
    const int n = static_cast<int>(m_entries.size());
    if (n < 1) return -1;
    const int start = hint >= 0 && hint < n ? hint : n / 2;
    const uint32_t startId = m_entries[start].fileId;
    if (startId == fileId) {
        // Several names may share the id: report the first of them.
        int first = start;
        while (first > 0 && m_entries[first - 1].fileId == fileId) --first;
        return first;
    }
    int lo, hi, probe;
    if (fileId < startId) {
        lo = 0;
        hi = start - 1;
        probe = start - 8;
    } else {
        lo = start + 1;
        hi = n - 1;
        probe = start + 8;
    }
    if (hi - lo <= 8 || probe < lo || probe > hi) probe = (lo + hi) >> 1;
    while (lo < hi) {
        const uint32_t id = m_entries[probe].fileId;
        if (id == fileId) {
            while (probe > 0 && m_entries[probe - 1].fileId == fileId) --probe;
            return probe;
        }
        if (id > fileId)
            hi = probe - 1;
        else
            lo = probe + 1;
        probe = (lo + hi) >> 1;
    }
    if (lo > hi) return -1 - lo;
    const uint32_t id = m_entries[lo].fileId;
    if (id == fileId) {
        while (lo > 0 && m_entries[lo - 1].fileId == fileId) --lo;
        return lo;
    }
    return id > fileId ? -1 - lo : -2 - lo;
}

int KImageCache::FindNamed(const char* name, uint32_t id, int hint) {
    KAutoMutex lock(g_ImageCacheMutex);
    return FindNamedLocked(name, id, hint);
}

// The hinted entry is checked by place and id first, so a hit costs one
// probe and one name compare; names sharing an id still tell entries apart.
int KImageCache::FindNamedLocked(const char* name, uint32_t id, int hint) {
    if (hint >= 0 && hint < static_cast<int>(m_entries.size()) && m_entries[hint].fileId == id &&
        SameName(m_entries[hint].name, name))
        return hint;
    int index = FindEntry(id, hint);
    if (index < 0) return index;
    for (; index < static_cast<int>(m_entries.size()) && m_entries[index].fileId == id; ++index)
        if (SameName(m_entries[index].name, name)) return index;
    return -1 - index;
}

bool KImageCache::LoadsThrottled(BYTE noThrottle) const {
    return !noThrottle && m_shell && m_shell->IsImageLoadThrottled() && loadsSinceFrameBegin >= kFrameLoadLimit;
}

KImageTexture* KImageCache::LoadImageObject(const char* name, int type) {
    KImageTexture* picture = nullptr;
    if (type == kImageSprite)
        picture = new KSprImage();
    else if (type == kImageJpeg)
        picture = new KJpgImage();
    else
        return nullptr;
    if (picture->Open(name, type)) return picture;
    delete picture;
    return nullptr;
}

KImageTexture* KImageCache::LoadOnMiss(const char* name, uint32_t id, int16_t* indexHint, int type, BYTE noThrottle,
                                       BYTE pin, bool noPin) {
    if (noPin && loadsSinceFrameEnd >= kFrameLoadLimit) return nullptr;
    if (LoadsThrottled(noThrottle)) return nullptr;
    KImageTexture* picture = LoadImageObject(name, type);
    ++loadsSinceFrameEnd;
    ++loadsSinceFrameBegin;
    KAutoMutex lock(g_ImageCacheMutex);
    // The lock was free while loading: look again so the table stays sorted
    // and a name another thread added meanwhile keeps its one entry.
    int index = FindNamed(name, id, *indexHint);
    if (index >= 0) {
        DropPictureReference(picture);
        *indexHint = static_cast<int16_t>(index);
        KImageCacheEntry& entry = m_entries[index];
        if (entry.type != type) return nullptr;
        entry.tick = FreshTick(entry.tick);
        return entry.picture;
    }
    index = -1 - index;
    const DWORD tick = pin && !noPin ? kPinnedTick : UseTick();
    m_entries.insert(m_entries.begin() + index, KImageCacheEntry{tick, 1, id, type, picture, name});
    *indexHint = static_cast<int16_t>(index);
    return picture;
}

KImageTexture* KImageCache::ReloadAsType(const char* name, uint32_t id, int index, int type, BYTE noThrottle) {
    KAutoMutex lock(g_ImageCacheMutex);
    if (!m_entries[index].fromFile || LoadsThrottled(noThrottle)) return nullptr;
    KImageTexture* picture = LoadImageObject(name, type);
    if (!picture) return nullptr;
    ++loadsSinceFrameBegin;
    // The load may have purged the table; find the entry again.
    index = FindNamed(name, id, index);
    if (index < 0) {
        DropPictureReference(picture);
        return nullptr;
    }
    KImageCacheEntry& entry = m_entries[index];
    DropPictureReference(entry.picture);
    entry.picture = picture;
    entry.type = type;
    entry.tick = FreshTick(entry.tick);
    return picture;
}

KImageTexture* KImageCache::Lookup(const char* name, DWORD* fileId, int16_t* indexHint, int frame, int type,
                                   int loadArg, BYTE createTiles, BYTE noThrottle, BYTE pin, bool noPin) {
    if (!name || !*name) return nullptr;
    DWORD localId = 0;
    int16_t localHint = -1;
    if (!fileId) fileId = &localId;
    if (!indexHint) indexHint = &localHint;
    if (*fileId == 0) *fileId = g_FileName2Id(name);
    const uint32_t id = *fileId;

    KImageTexture* picture = nullptr;
    int found;
    {
        KAutoMutex lock(g_ImageCacheMutex);
        found = FindNamedLocked(name, id, *indexHint);
        *indexHint = static_cast<int16_t>(found);
        if (found >= 0) {
            KImageCacheEntry& entry = m_entries[found];
            if (entry.type == type) {
                entry.tick = FreshTick(entry.tick);
                picture = entry.picture;
            } else {
                picture = ReloadAsType(name, id, found, type, noThrottle);
            }
        }
    }
    if (found < 0) picture = LoadOnMiss(name, id, indexHint, type, noThrottle, pin, noPin);
    if (!picture) return nullptr;
    if (counting) picture->SetUsed(true);
    if (type != kImageSprite) return picture;

    // A frame already drawable needs no loading and so cannot purge.
    auto* sprite = static_cast<KSprImage*>(picture);
    if (sprite->FrameReady(frame, createTiles != 0)) return picture;
    // Tile creation may purge the cache; our own reference keeps the sprite
    // alive until we know whether the cache still holds it.
    picture->AddRef();
    const bool loaded = sprite->LoadFrame(name, frame, createTiles != 0, loadArg);
    if (picture->DecRef() < 1) {
        picture->Close();
        delete picture;
        return nullptr;
    }
    return loaded ? picture : nullptr;
}

KImageTexture* KImageCache::GetImage(const char* name, DWORD* fileId, int16_t* indexHint, int frame, int type,
                                     int loadArg, BYTE createTiles, BYTE noThrottle, BYTE pin) {
    return Lookup(name, fileId, indexHint, frame, type, loadArg, createTiles, noThrottle, pin, false);
}

KImageTexture* KImageCache::GetImageNoPin(const char* name, DWORD* fileId, int16_t* indexHint, int frame, int type,
                                          int loadArg, BYTE createTiles, BYTE noThrottle) {
    return Lookup(name, fileId, indexHint, frame, type, loadArg, createTiles, noThrottle, 0, true);
}

DWORD KImageCache::CreateImage(const char* name, int width, int height, int type, BYTE withSystemCopy) {
    if (!name || !*name || (type != kImageJpeg && type != kImageBlank32)) return 0;
    const uint32_t id = g_FileName2Id(name);
    if (FindNamed(name, id, -1) >= 0) return 0;
    KJpgImage* picture = new KJpgImage();
    if (!picture->Create(name, width, height, type, withSystemCopy != 0)) {
        delete picture;
        return 0;
    }
    KAutoMutex lock(g_ImageCacheMutex);
    const int index = FindNamed(name, id, -1);
    if (index >= 0) {  // made meanwhile on another thread
        DropPictureReference(picture);
        return 0;
    }
    m_entries.insert(m_entries.begin() + (-1 - index), KImageCacheEntry{GetTickCount(), 0, id, type, picture, name});
    return id;
}

void KImageCache::EraseAt(size_t index) {
    KImageTexture* picture = m_entries[index].picture;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    // After the erase: closing a picture may come back into the cache.
    DropPictureReference(picture);
}

bool KImageCache::RemoveImage(const char* name) {
    if (!name || !*name) return false;
    KAutoMutex lock(g_ImageCacheMutex);
    const int index = FindNamed(name, g_FileName2Id(name), 0);
    if (index < 0) return false;
    EraseAt(static_cast<size_t>(index));
    return true;
}

void KImageCache::ReleaseAll() {
    {
        KAutoMutex lock(g_ImageCacheMutex);
        std::vector<KImageCacheEntry> entries;
        entries.swap(m_entries);
        for (KImageCacheEntry& entry : entries) DropPictureReference(entry.picture);
        stampTime = timeGetTime();
    }
    for (IDirect3DTexture9*& texture : g_SizeClassTextures) ReleaseAndNull(texture);
}

void KImageCache::PurgeAll() {
    KAutoMutex lock(g_ImageCacheMutex);
    for (size_t i = 0; i < m_entries.size();) {
        if (m_entries[i].fromFile)
            EraseAt(i);
        else
            ++i;
    }
}

void KImageCache::PurgeIdle() {
    const DWORD now = GetTickCount();
    DWORD threshold = kPurgeIdleMs;
    KAutoMutex lock(g_ImageCacheMutex);
    int erased = 0;
    for (size_t i = 0; i < m_entries.size() && erased < kPurgeBatch;) {
        const KImageCacheEntry& entry = m_entries[i];
        const DWORD idle = now - entry.tick;
        if (!entry.fromFile || entry.tick == kPinnedTick || idle <= threshold) {
            ++i;
            continue;
        }
        threshold = idle;
        EraseAt(i);
        ++erased;
    }
}

void KImageCache::TrimIdle() {
    const DWORD now = GetTickCount();
    KAutoMutex lock(g_ImageCacheMutex);
    int chosen = 0;
    for (size_t i = 0; i < m_entries.size() && chosen < kPurgeBatch;) {
        KImageCacheEntry& entry = m_entries[i];
        const bool idle = entry.fromFile && entry.tick != kPinnedTick && now - entry.tick >= kTrimIdleMs &&
                          !(entry.picture && entry.picture->IsUsed());
        if (!idle) {
            ++i;
            continue;
        }
        ++chosen;
        if (entry.picture && entry.picture->Trim()) {
            ++i;
            continue;
        }
        EraseAt(i);
    }
}

bool KImageCache::StepDeviceObjects(bool (KImageTexture::*step)(), uint32_t* memoryBefore, uint32_t* memoryAfter) {
    IDirect3DDevice9* device = m_shell ? m_shell->GetDevice() : nullptr;
    *memoryBefore = device ? device->GetAvailableTextureMem() : 0;
    {
        KAutoMutex lock(g_ImageCacheMutex);
        for (KImageCacheEntry& entry : m_entries)
            if (entry.picture && !(entry.picture->*step)()) return false;
    }
    *memoryAfter = device ? device->GetAvailableTextureMem() : 0;
    return true;
}

bool KImageCache::InvalidateDeviceObjects() {
    return StepDeviceObjects(&KImageTexture::InvalidateDeviceObjects, &invSub1, &invSub2);
}

bool KImageCache::RestoreDeviceObjects() {
    return StepDeviceObjects(&KImageTexture::RestoreDeviceObjects, &resSub1, &resSub2);
}
