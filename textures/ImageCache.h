// The drawing shell's one cache of pictures, keyed by the id of the
// picture's file name (g_FileName2Id). Drawers look pictures up by name on
// every draw; the cache loads them on first use (a few per frame while the
// shell throttles loading), keeps them while used and gives memory back by
// purging idle pictures, trimming their tiles or dropping them all.
//
// The table is sorted by id. Ids are hashes, so each entry keeps its name
// too: two names sharing an id get two neighbouring entries.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lumiva/basrel/KMutex.h"

class KShellServices;
class KImageTexture;

constexpr DWORD kPinnedTick = 0xFFFFFFFF;
constexpr uint32_t kFrameLoadLimit = 4;
constexpr DWORD kPurgeIdleMs = 20000;
constexpr DWORD kTrimIdleMs = 15001;
constexpr int kPurgeBatch = 32;
constexpr int kSizeClassCount = 121;

struct KImageCacheEntry {
    DWORD tick;        // GetTickCount of the last use, kPinnedTick when pinned
    uint8_t fromFile;  // 1: loaded from its file; 0: blank, made by CreateImage
    uint32_t fileId;
    int32_t type;  // kImageJpeg, kImageSprite or kImageBlank32
    KImageTexture* picture;  // null after a failed load
    std::string name;
};

// Guards every cache's table. Re-entrant: a picture that runs out of memory
// while loading under the lock purges the cache on the same thread.
extern KMutex g_ImageCacheMutex;
// Size-class texture slots; nothing fills them, ReleaseAll empties them.
extern IDirect3DTexture9* g_SizeClassTextures[kSizeClassCount];
// The shell's cache, for the pictures' out-of-memory purges; null without a shell.
extern class KImageCache* g_pImageCache;

class KImageCache {
public:
    explicit KImageCache(KShellServices* shell);
    ~KImageCache();
    KImageCache(const KImageCache&) = delete;
    KImageCache& operator=(const KImageCache&) = delete;

    // fileId and indexHint are the caller's cache of the lookup: fileId 0 is
    // computed from the name, and both are written back. The picture stays
    // the cache's: valid until the cache drops it.
    KImageTexture* GetImage(const char* name, DWORD* fileId, int16_t* indexHint, int frame, int type, int loadArg,
                            BYTE createTiles, BYTE noThrottle, BYTE pin);
    // Never pins, and never loads a fifth picture between two frame ends.
    KImageTexture* GetImageNoPin(const char* name, DWORD* fileId, int16_t* indexHint, int frame, int type,
                                 int loadArg, BYTE createTiles, BYTE noThrottle);
    // Index of the first entry with the id, or -1 - its insert position.
    int FindEntry(uint32_t fileId, int hint);
    static KImageTexture* LoadImageObject(const char* name, int type);

    DWORD CreateImage(const char* name, int width, int height, int type, BYTE withSystemCopy);
    bool RemoveImage(const char* name);
    void ReleaseAll();
    void PurgeAll();
    void PurgeIdle();
    void TrimIdle();
    bool InvalidateDeviceObjects();
    bool RestoreDeviceObjects();

    bool GetImageInfo(const char* name, int16_t* out, int type);
    bool GetFrameRect(const char* name, int frame, int32_t* offset, int32_t* size, int type);
    int GetAlphaAt(const char* name, int frame, int x, int y, int type);
    void SetParam(int, int) {}

    void BeginUsageCount();
    void CountImageMemory();
    void ShowStats(char* buffer, int size);
    void DumpTextureList();

    static int GetSizeClass(int width, int height);

    // Between BeginFrame and EndFrame the frame loop hands the cache the
    // frame's clock reading, which stamps every use within the frame; outside
    // a frame each use reads the clock.
    void BeginFrameTick(DWORD now);
    void EndFrameTick();

    // The frame loop zeroes these: BeginFrame the first, EndFrame the second.
    void ResetFrameBeginLoads() { loadsSinceFrameBegin = 0; }
    void ResetFrameEndLoads() { loadsSinceFrameEnd = 0; }

    // Read-only view of the table, for diagnostics and tests.
    const std::vector<KImageCacheEntry>& Entries() const { return m_entries; }

    uint32_t loadsSinceFrameEnd = 0;
    uint32_t loadsSinceFrameBegin = 0;
    // Available texture memory before and after the last invalidate and restore.
    uint32_t invSub1 = 0;
    uint32_t invSub2 = 0;
    uint32_t resSub1 = 0;
    uint32_t resSub2 = 0;
    DWORD stampTime = 0;
    uint32_t memoryBudget = 0;
    int32_t value25 = 25;
    uint8_t counting = 0;
    uint32_t textureBytes = 0;
    uint32_t memoryBytes = 0;
    uint32_t usedTextureBytes = 0;

private:
    KImageTexture* Lookup(const char* name, DWORD* fileId, int16_t* indexHint, int frame, int type, int loadArg,
                          BYTE createTiles, BYTE noThrottle, BYTE pin, bool noPin);
    KImageTexture* LoadOnMiss(const char* name, uint32_t id, int16_t* indexHint, int type, BYTE noThrottle, BYTE pin,
                              bool noPin);
    KImageTexture* ReloadAsType(const char* name, uint32_t id, int index, int type, BYTE noThrottle);
    // The entry with this name among those sharing its id, or -1 - where it goes.
    int FindNamed(const char* name, uint32_t id, int hint);
    int FindNamedLocked(const char* name, uint32_t id, int hint);
    DWORD UseTick() const;
    DWORD FreshTick(DWORD tick) const;
    bool LoadsThrottled(BYTE noThrottle) const;
    void EraseAt(size_t index);
    // Runs a device step on every picture, stopping at the first that fails,
    // with the available texture memory noted before and after.
    bool StepDeviceObjects(bool (KImageTexture::*step)(), uint32_t* memoryBefore, uint32_t* memoryAfter);
    KImageTexture* LookupForQuery(const char* name, int frame, int type);
    static uint32_t BudgetForMachine();

    KShellServices* m_shell;
    std::vector<KImageCacheEntry> m_entries;
    DWORD m_frameTick = 0;
    bool m_frameTickSet = false;
};

// Drops one reference; the last one closes and deletes the picture.
void DropPictureReference(KImageTexture* picture);
