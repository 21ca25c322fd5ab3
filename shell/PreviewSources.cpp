// STAND-IN (see PreviewSources.h).
#include "shell/PreviewSources.h"

#include <d3dx9tex.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "basrel/KPakFile.h"
#include "shell/D3DDevice.h"

namespace {

constexpr uint32_t kMaxTextureFileBytes = 64u << 20;

std::map<std::string, KPreviewPicture>& Pictures() {
    static std::map<std::string, KPreviewPicture> pictures;
    return pictures;
}

std::map<std::string, IDirect3DTexture9*>& NamedTextures() {
    static std::map<std::string, IDirect3DTexture9*> textures;
    return textures;
}

}  // namespace

namespace preview_sources {

bool GetPreviewPicture(KPrimPicture* record, KPreviewPicture* out) {
    if (!record || !record->fileName[0]) return false;
    auto found = Pictures().find(record->fileName);
    if (found == Pictures().end()) return false;
    *out = found->second;
    return true;
}

IDirect3DSurface9* SetPictureAsRenderTarget(KDrawShell*, KPrimPicture* record) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    KPreviewPicture picture;
    if (!device || !GetPreviewPicture(record, &picture) || !picture.texture) return nullptr;
    IDirect3DSurface9* previous = nullptr;
    IDirect3DSurface9* level = nullptr;
    if (FAILED(device->GetRenderTarget(0, &previous)) || !previous) return nullptr;
    if (FAILED(picture.texture->GetSurfaceLevel(0, &level)) || !level) {
        previous->Release();
        return nullptr;
    }
    HRESULT set = device->SetRenderTarget(0, level);
    level->Release();
    if (FAILED(set)) {
        previous->Release();
        return nullptr;
    }
    return previous;
}

IDirect3DTexture9* LoadNamedTexture(const char* name, D3DPOOL pool) {
    if (!name) return nullptr;
    auto found = NamedTextures().find(name);
    if (found != NamedTextures().end()) return found->second;
    IDirect3DDevice9* device = g_D3DDevice.device;
    std::vector<uint8_t> bytes;
    if (!device || !ReadWholeFile(name, kMaxTextureFileBytes, bytes)) return nullptr;
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), UINT(bytes.size()), D3DX_DEFAULT,
                                                   D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, pool, D3DX_DEFAULT,
                                                   D3DX_DEFAULT, 0, nullptr, nullptr, &texture)))
        return nullptr;
    NamedTextures()[name] = texture;
    return texture;
}

void SetPictureForTests(const char* name, IDirect3DTexture9* texture, IDirect3DTexture9* systemCopy) {
    if (texture) texture->AddRef();
    if (systemCopy) systemCopy->AddRef();
    KPreviewPicture& slot = Pictures()[name];
    if (slot.texture) slot.texture->Release();
    if (slot.systemCopy) slot.systemCopy->Release();
    slot = KPreviewPicture{texture, systemCopy};
}

int NamedTextureCount() { return int(NamedTextures().size()); }

void ResetForTests() {
    for (auto& [name, picture] : Pictures()) {
        if (picture.texture) picture.texture->Release();
        if (picture.systemCopy) picture.systemCopy->Release();
    }
    Pictures().clear();
    for (auto& [name, texture] : NamedTextures()) texture->Release();
    NamedTextures().clear();
}

}  // namespace preview_sources
