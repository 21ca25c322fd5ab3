// Textures leave their records: on device reset, under memory pressure,
// and when the last user goes.
#include <mmsystem.h>

#include "textures/TextureManager.h"

namespace {

constexpr DWORD kFreeAll = 0xFFFFFFFF;
constexpr DWORD kFreeOneIdle = 0;
constexpr DWORD kMinIdleMs = 1000;
constexpr int kMaxUnloadsPerCall = 500;

}  // namespace

void KTextureManager::UnloadRecord(KTextureRecord* record) {
    if (!record->loaded) return;
    if (record->texture) record->texture->Release();
    record->texture = nullptr;
    m_totalBytes -= record->bytes;
    --m_loadedCount;
    record->bytes = 0;
    record->loaded = 0;
}

// Only records with a file behind them can come back after unloading.
KTextureRecord* KTextureManager::LongestIdleRecord(DWORD now) const {
    KTextureRecord* idlest = nullptr;
    DWORD longest = 0;
    for (const auto& [name, record] : m_records) {
        if (!record->loaded || record->noFile) continue;
        DWORD idle = now - record->lastUse;
        if (!idlest || idle > longest) {
            idlest = record;
            longest = idle;
        }
    }
    return idlest;
}

void KTextureManager::FreeTextureMemory(DWORD target) {
    if (target == kFreeAll) {
        for (auto& [name, record] : m_records)
            if (!record->noFile) UnloadRecord(record);
        return;
    }
    DWORD now = timeGetTime();
    if (target == kFreeOneIdle) {
        KTextureRecord* idlest = LongestIdleRecord(now);
        if (idlest && now - idlest->lastUse >= kMinIdleMs) UnloadRecord(idlest);
        return;
    }
    if (!m_device) return;
    for (int i = 0; i < kMaxUnloadsPerCall && m_device->GetAvailableTextureMem() < target; ++i) {
        KTextureRecord* idlest = LongestIdleRecord(now);
        if (!idlest || now - idlest->lastUse < kMinIdleMs) break;
        UnloadRecord(idlest);
    }
}

bool KTextureManager::InvalidateDeviceObjects() {
    for (auto& [name, record] : m_records)
        if (!record->keep) UnloadRecord(record);
    return true;
}

bool KTextureManager::RestoreDeviceObjects() { return true; }
