#include "d3d9/Texture.h"

#include <algorithm>

#include "d3d9/Recorder.h"

namespace lumiva::d3d9 {

UINT Texture::FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++levels;
    }
    return levels;
}

uint64_t Texture::ByteCount(D3DFORMAT format, UINT width, UINT height, UINT levels) {
    uint64_t total = 0;
    for (UINT level = 0; level < levels; ++level) {
        total += ImageByteCount(format, std::max(1u, width >> level), std::max(1u, height >> level));
    }
    return total;
}

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : ResourceBase(device, pool, usage, pool == D3DPOOL_DEFAULT), format_(format) {
    if (levels == 0) levels = FullChainLength(width, height);
    bytes_ = ByteCount(format, width, height, levels);
    for (UINT level = 0; level < levels; ++level) {
        levels_.push_back(std::make_unique<Surface>(this, device, format, std::max(1u, width >> level),
                                                    std::max(1u, height >> level), pool, usage, level));
    }
    dirtyRect_ = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
}

Texture* AsTexture(IDirect3DBaseTexture9* texture) { return static_cast<Texture*>(texture); }
const Texture* AsTexture(const IDirect3DBaseTexture9* texture) { return static_cast<const Texture*>(texture); }

HRESULT Texture::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(static_cast<IDirect3DTexture9*>(this), riid, object, IID_IDirect3DTexture9, IID_IDirect3DBaseTexture9, IID_IDirect3DResource9);
}

DWORD Texture::SetLOD(DWORD lod) {
    const DWORD old = lod_;
    if (pool_ == D3DPOOL_MANAGED) lod_ = std::min<DWORD>(lod, LevelCount() - 1);
    return old;
}

HRESULT Texture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) {
    if (filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) return D3DERR_INVALIDCALL;
    autoGenFilter_ = filter;
    return D3D_OK;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= LevelCount() || IsDead()) return D3DERR_INVALIDCALL;
    return levels_[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= LevelCount() || IsDead()) return D3DERR_INVALIDCALL;
    *surface = levels_[level].get();
    AddRef();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (level >= LevelCount() || IsDead()) return D3DERR_INVALIDCALL;
    return levels_[level]->LockRect(lockedRect, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= LevelCount() || IsDead()) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
}

HRESULT Texture::AddDirtyRect(const RECT* dirtyRect) {
    RECT r;
    const bool valid = !IsDead() && ResolveRect(dirtyRect, Width(), Height(), &r);
    if (valid) MarkDirty(r);
    return RecordCall("Texture::AddDirtyRect", {PointerArg(static_cast<IDirect3DTexture9*>(this)), PointerArg(dirtyRect)},
                      valid ? D3D_OK : D3DERR_INVALIDCALL);
}

void Texture::MarkDirty(const RECT& r) {
    if (!dirty_) {
        dirtyRect_ = r;
    } else {
        dirtyRect_.left = std::min(dirtyRect_.left, r.left);
        dirtyRect_.top = std::min(dirtyRect_.top, r.top);
        dirtyRect_.right = std::max(dirtyRect_.right, r.right);
        dirtyRect_.bottom = std::max(dirtyRect_.bottom, r.bottom);
    }
    dirty_ = true;
}

void Texture::OnFinalRelease() {
    for (auto& level : levels_) level->ReleaseLevel();
    DetachFromDevice();
}

}  // namespace lumiva::d3d9
