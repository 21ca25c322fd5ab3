#include "textures/TextureManager.h"

#include <cctype>

#include "lumiva/basrel/DebugLog.h"

namespace {

constexpr size_t kNameMapBuckets = 900;
constexpr size_t kRemapBuckets = 100;

KTextureManager g_TextureManager;

void LowerCase(std::string* text) {
    for (char& c : *text) c = char(std::tolower(static_cast<unsigned char>(c)));
}

// A mapped name replaces the path only when it fits in a record's name.
bool ApplyNameRemap(std::string* path) {
    auto hit = g_TextureNameRemap.find(*path);
    if (hit == g_TextureNameRemap.end()) return true;
    if (hit->second.size() >= kTextureNameSize) return false;
    *path = hit->second;
    return true;
}

}  // namespace

std::unordered_map<std::string, std::string> g_TextureNameRemap(kRemapBuckets);
KTextureManager* g_pTextureManager = &g_TextureManager;

KTextureManagerBase::~KTextureManagerBase() = default;

KTextureManager::KTextureManager()
    : m_device(nullptr),
      m_useA8R8G8B8(1),
      m_mip(0),
      m_format(D3DFMT_A8R8G8B8),
      m_records(kNameMapBuckets),
      m_loadedCount(0),
      m_totalBytes(0),
      m_emptyTextureCount(0) {}

// Textures still held at unload belong to a device that is going away with
// the module; giving them back is all that is left to do.
KTextureManager::~KTextureManager() { DeleteAllRecords(true); }

void KTextureManager::DeleteAllRecords(bool releaseTextures) {
    for (auto& [name, record] : m_records) {
        if (releaseTextures && record->texture) record->texture->Release();
        delete record;
    }
    m_records.clear();
}

bool KTextureManager::Init(IDirect3DDevice9* device, BYTE useA8R8G8B8, BYTE mip) {
    if (!device) return true;
    m_device = device;
    m_useA8R8G8B8 = useA8R8G8B8;
    m_mip = mip;
    m_format = useA8R8G8B8 ? D3DFMT_A8R8G8B8 : D3DFMT_DXT5;
    return true;
}

void KTextureManager::ReleaseAll() {
    if (m_device) {
        for (auto& [name, record] : m_records) {
            UnloadRecord(record);
            delete record;
        }
        m_records.clear();
    }
    m_device = nullptr;
}

KTextureRecord* KTextureManager::LoadTexture(const char* fileName, const char* folder, BYTE keep, BYTE fullPath,
                                             BYTE /*load*/) {
    if (!m_device || !fileName) return nullptr;
    std::string path;
    if (!BuildTexturePath(fileName, folder, fullPath != 0, &path)) {
        if (path.size() >= kTextureNameSize) g_DebugLog("[Texture]Path for %s too long", fileName);
        return nullptr;
    }
    LowerCase(&path);
    if (!ApplyNameRemap(&path)) {
        g_DebugLog("[Texture]Remapped name of %s too long", path.c_str());
        return nullptr;
    }

    KTextureRecord* record = FindTexture(path.c_str());
    if (!record) {
        // A name that is already known but cannot take one more user.
        if (m_records.count(path)) return nullptr;
        if (path.find('.') == std::string::npos) return nullptr;
        record = new KTextureRecord;
        record->SetName(path.c_str());
        record->keep = keep;
        if (!InsertRecord(record)) return nullptr;
    }
    LoadRecordData(record);
    return record;
}

bool KTextureManager::InsertRecord(KTextureRecord* record) {
    if (m_records.emplace(record->name, record).second) return true;
    delete record;
    return false;
}

void KTextureManager::EraseRecord(KTextureRecord* record) {
    auto hit = m_records.find(record->name);
    if (hit != m_records.end() && hit->second == record) m_records.erase(hit);
}

KTextureRecord* KTextureManager::FindTexture(const char* name) {
    if (!name) return nullptr;
    auto hit = m_records.find(name);
    if (hit == m_records.end()) return nullptr;
    KTextureRecord* record = hit->second;
    // The count is 16-bit: a user past the last one would wrap it to 0 and
    // the record would be deleted under everyone else.
    if (record->refCount == UINT16_MAX) {
        g_DebugLog("[Texture]%s has too many users", record->name);
        return nullptr;
    }
    ++record->refCount;
    return record;
}

bool KTextureManager::ReleaseTexture(KTextureRecord* record) {
    if (!record || !m_device) return false;
    if (record->refCount > 0) --record->refCount;
    if (record->refCount > 0) return true;
    EraseRecord(record);
    UnloadRecord(record);
    delete record;
    return true;
}

bool KTextureManager::GetTextureFormat(KTextureRecord* record, int32_t* kind) {
    if (!record) return false;
    if (kind) *kind = record->kind;
    return true;
}

bool KTextureManager::GetTextureSize(KTextureRecord* record, int32_t* width, int32_t* height) {
    if (!record) return false;
    if (width) *width = record->width;
    if (height) *height = record->height;
    return true;
}

bool KTextureManager::GetCycleTime(KTextureRecord*, DWORD* ms) {
    if (ms) *ms = 0;
    return false;
}

bool KTextureManager::GetFrameCount(KTextureRecord* record, int32_t* count) {
    if (count) *count = record ? 1 : 0;
    return record != nullptr;
}

bool KTextureManager::SetTexture(DWORD stage, KTextureRecord* record, DWORD /*time*/) {
    if (!m_device) return false;
    if (!record) {
        m_device->SetTexture(stage, nullptr);
        return true;
    }
    if (!LoadRecordData(record)) return false;
    m_device->SetTexture(stage, record->texture);
    return true;
}

bool KTextureManager::LockTexture(KTextureRecord* record, BYTE readOnly, void** bits, int32_t* pitch, UINT level) {
    if (!record || !record->keep || !record->texture) return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(record->texture->LockRect(level, &locked, nullptr, readOnly ? D3DLOCK_READONLY : 0))) return false;
    if (bits) *bits = locked.pBits;
    if (pitch) *pitch = locked.Pitch;
    return true;
}

bool KTextureManager::UnlockTexture(KTextureRecord* record, UINT level) {
    if (!record || !record->keep || !record->texture) return false;
    return SUCCEEDED(record->texture->UnlockRect(level));
}

DWORD KTextureManager::GetLoadedCount() { return m_loadedCount; }
DWORD KTextureManager::GetTotalBytes() { return m_totalBytes; }

void ResetTextureManagerForTests() {
    KTextureManager& manager = g_TextureManager;
    manager.DeleteAllRecords(true);
    manager.m_device = nullptr;
    manager.m_useA8R8G8B8 = 1;
    manager.m_mip = 0;
    manager.m_format = D3DFMT_A8R8G8B8;
    manager.m_loadedCount = 0;
    manager.m_totalBytes = 0;
    manager.m_emptyTextureCount = 0;
    g_pTextureManager = &manager;
    g_TextureNameRemap.clear();
}
