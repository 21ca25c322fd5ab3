// Records get their textures: from files through the pak layer, from bytes
// already in memory, or blank.
#include <d3dx9.h>
#include <mmsystem.h>

#include <cstdio>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KPakFile.h"
#include "shell/VideoPolicy.h"
#include "textures/TextureManager.h"
#include "textures/TextureManagerSprImage.h"

namespace {

// The texture-creation call may throw from inside; that is a failure too.
HRESULT CreateTextureFromFileBytes(IDirect3DDevice9* device, const uint8_t* bytes, size_t size, UINT width,
                                   UINT height, D3DFORMAT format, D3DXIMAGE_INFO* info,
                                   IDirect3DTexture9** texture) {
    try {
        return D3DXCreateTextureFromFileInMemoryEx(device, bytes, UINT(size), width, height, 1, 0, format,
                                                   D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, info, nullptr,
                                                   texture);
    } catch (...) {
        *texture = nullptr;
        return E_FAIL;
    }
}

}  // namespace

bool KTextureManager::LoadRecordData(KTextureRecord* record) {
    if (!record || !m_device) return false;
    record->lastUse = timeGetTime();
    if (record->loaded) return true;
    if (record->noFile) return false;
    if (!ReadRecordFile(record)) return false;
    return CreateTextureFromMemory(record);
}

bool KTextureManager::ReadRecordFile(KTextureRecord* record) {
    KPakFile file;
    if (!file.Open(record->name)) return false;
    record->fileData.clear();
    std::vector<uint8_t> bytes(file.Size());
    if (file.Read(bytes.data(), uint32_t(bytes.size())) != bytes.size()) return false;
    record->fileData = std::move(bytes);
    return true;
}

bool KTextureManager::CreateTextureFromMemory(KTextureRecord* record) {
    if (!record || !m_device || record->fileData.empty()) return false;
    // Made again over a live texture: give the old one back first.
    if (record->loaded) UnloadRecord(record);

    const uint8_t* image = record->fileData.data();
    size_t imageSize = record->fileData.size();
    UINT width = D3DX_DEFAULT, height = D3DX_DEFAULT;
    bool readable = true;
    if (IsSpriteFileName(record->name)) {
        KEmbeddedImage embedded;
        readable = LocateEmbeddedImage(image, imageSize, &embedded);
        if (readable) {
            image += embedded.offset;
            imageSize = embedded.length;
            width = embedded.width;
            height = embedded.height;
        } else {
            g_DebugLog("[Texture]%s holds no sound embedded image", record->name);
        }
    }

    D3DXIMAGE_INFO info{};
    IDirect3DTexture9* texture = nullptr;
    if (!readable ||
        FAILED(CreateTextureFromFileBytes(m_device, image, imageSize, width, height, m_format, &info, &texture))) {
        record->fileData.clear();
        record->fileData.shrink_to_fit();
        record->texture = nullptr;
        return false;
    }
    record->width = int32_t(info.Width);
    record->height = int32_t(info.Height);
    CountLoaded(record, texture, m_mip != 0);
    record->fileData.clear();
    record->fileData.shrink_to_fit();
    return true;
}

// Kind and bytes come from the texture the device made, which may differ
// from the request (block-rounded sizes, a format the device lacked), so
// the totals agree with the device's own accounting.
void KTextureManager::CountLoaded(KTextureRecord* record, IDirect3DTexture9* texture, bool mipFactor) {
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    uint32_t bytes = TextureLevelBytes(desc.Format, desc.Width, desc.Height);
    if (mipFactor) bytes = uint32_t(int32_t(double(bytes) * 1.33));
    record->texture = texture;
    record->kind = TextureKindOf(desc.Format);
    record->bytes = bytes;
    record->loaded = 1;
    ++m_loadedCount;
    m_totalBytes += bytes;
}

KTextureRecord* KTextureManager::CreateEmptyTexture(DWORD /*unused*/, int width, int height) {
    if (!m_device) return nullptr;
    // A size of 0 would let D3DX choose one; negative sizes are nonsense.
    if (width <= 0 || height <= 0) return nullptr;
    char name[kTextureNameSize];
    std::snprintf(name, sizeof name, "EmptyTex##%04u", ++m_emptyTextureCount);

    auto* record = new KTextureRecord;
    record->SetName(name);
    record->keep = 1;
    record->noFile = 1;
    if (!InsertRecord(record)) return nullptr;

    if (m_device->GetAvailableTextureMem() < g_TexMemThreshold) FreeTextureMemory(g_TexMemTarget);
    IDirect3DTexture9* texture = nullptr;
    HRESULT result = D3DXCreateTexture(m_device, UINT(width), UINT(height), 1, 0, m_format, D3DPOOL_MANAGED, &texture);
    if (result != S_OK) {
        if (texture) texture->Release();
        EraseRecord(record);
        delete record;
        return nullptr;
    }
    record->width = width;
    record->height = height;
    CountLoaded(record, texture, false);
    return record;
}
