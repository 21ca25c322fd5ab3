// STAND-IN (see PreviewSources.h).
#include "shell/PreviewSources.h"

#include <map>
#include <string>

#include "shell/D3DDevice.h"

namespace {

std::map<std::string, KPreviewPicture>& Pictures() {
    static std::map<std::string, KPreviewPicture> pictures;
    return pictures;
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

void SetPictureForTests(const char* name, IDirect3DTexture9* texture, IDirect3DTexture9* systemCopy) {
    if (texture) texture->AddRef();
    if (systemCopy) systemCopy->AddRef();
    KPreviewPicture& slot = Pictures()[name];
    if (slot.texture) slot.texture->Release();
    if (slot.systemCopy) slot.systemCopy->Release();
    slot = KPreviewPicture{texture, systemCopy};
}

void ResetForTests() {
    for (auto& [name, picture] : Pictures()) {
        if (picture.texture) picture.texture->Release();
        if (picture.systemCopy) picture.systemCopy->Release();
    }
    Pictures().clear();
}

}  // namespace preview_sources
