#include "d3d9/Surface.h"

#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/Texture.h"

namespace lumiva::d3d9 {

Surface::Surface(Device* device, SurfaceRole role, D3DFORMAT format, UINT width, UINT height, D3DPOOL pool,
                 DWORD usage, bool lockable, bool ofSwapChain)
    : ResourceBase(device, pool, usage, pool == D3DPOOL_DEFAULT && !ofSwapChain),
      role_(role),
      lockable_(lockable) {
    pixels_.Allocate(format, width, height);
}

Surface::Surface(Texture* container, Device* device, D3DFORMAT format, UINT width, UINT height, D3DPOOL pool,
                 DWORD usage, UINT level)
    : ResourceBase(device, pool, usage, false),
      role_(SurfaceRole::TextureLevel),
      container_(container),
      level_(level),
      lockable_(pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC)) {
    pixels_.Allocate(format, width, height);
}

Surface* AsSurface(IDirect3DSurface9* surface) { return static_cast<Surface*>(surface); }

HRESULT Surface::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(static_cast<IDirect3DSurface9*>(this), riid, object, IID_IDirect3DSurface9, IID_IDirect3DResource9);
}

ULONG Surface::AddRef() { return container_ ? container_->AddRef() : AddRefObject(); }
ULONG Surface::Release() { return container_ ? container_->Release() : ReleaseObject(); }

HRESULT Surface::GetContainer(REFIID riid, void** container) {
    if (!container) return D3DERR_INVALIDCALL;
    *container = nullptr;
    if (IsDead()) return D3DERR_INVALIDCALL;
    if (container_) return container_->QueryInterface(riid, container);
    return DeviceInterface(device_)->QueryInterface(riid, container);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = pixels_.format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = pixels_.width;
    desc->Height = pixels_.height;
    return D3D_OK;
}

bool ResolveRect(const RECT* rect, UINT width, UINT height, RECT* out) {
    RECT r = rect ? *rect : RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom) return false;
    if (static_cast<UINT>(r.right) > width || static_cast<UINT>(r.bottom) > height) return false;
    *out = r;
    return true;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    const HRESULT result = Lock(lockedRect, rect, flags);
    if (!IsRecordingCalls()) return result;
    const RECT r = rect ? *rect : RECT{0, 0, static_cast<LONG>(pixels_.width), static_cast<LONG>(pixels_.height)};
    const IUnknown* owner = container_ ? static_cast<const IUnknown*>(static_cast<IDirect3DTexture9*>(container_))
                                       : static_cast<const IUnknown*>(static_cast<IDirect3DSurface9*>(this));
    return RecordCall(container_ ? "Texture::LockRect" : "Surface::LockRect",
                      {PointerArg(owner), level_, static_cast<uint64_t>(r.left), static_cast<uint64_t>(r.top),
                       static_cast<uint64_t>(r.right), static_cast<uint64_t>(r.bottom), flags},
                      result);
}

HRESULT Surface::Lock(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (!lockedRect || IsDead()) return D3DERR_INVALIDCALL;
    // Draws kept for the frame land before the caller sees or changes the memory.
    device_->FlushDrawsUsing(pixels_.bytes.data());
    if (!lockable_ || locked_) return D3DERR_INVALIDCALL;
    RECT r;
    if (!ResolveRect(rect, pixels_.width, pixels_.height, &r)) return D3DERR_INVALIDCALL;
    if (IsBlockFormat(pixels_.format)) {
        // Blocks lock whole; a rectangle ending at the image edge may be ragged.
        const bool leftTopAligned = r.left % 4 == 0 && r.top % 4 == 0;
        const bool rightAligned = r.right % 4 == 0 || static_cast<UINT>(r.right) == pixels_.width;
        const bool bottomAligned = r.bottom % 4 == 0 || static_cast<UINT>(r.bottom) == pixels_.height;
        if (!leftTopAligned || !rightAligned || !bottomAligned) return D3DERR_INVALIDCALL;
    }
    locked_ = true;
    ++writes_;
    lockedRect->Pitch = static_cast<INT>(pixels_.pitch);
    lockedRect->pBits = pixels_.At(static_cast<UINT>(r.left), static_cast<UINT>(r.top));
    if (container_ && !(flags & (D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE)) && level_ == 0)
        container_->MarkDirty(r);
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    const HRESULT result = locked_ ? D3D_OK : D3DERR_INVALIDCALL;
    locked_ = false;
    ++writes_;
    if (!IsRecordingCalls()) return result;
    const IUnknown* owner = container_ ? static_cast<const IUnknown*>(static_cast<IDirect3DTexture9*>(container_))
                                       : static_cast<const IUnknown*>(static_cast<IDirect3DSurface9*>(this));
    return RecordCall(container_ ? "Texture::UnlockRect" : "Surface::UnlockRect", {PointerArg(owner), level_}, result);
}

// No GDI device contexts on surfaces in this stand-in.
HRESULT Surface::GetDC(HDC* hdc) {
    if (hdc) *hdc = nullptr;
    return D3DERR_INVALIDCALL;
}
HRESULT Surface::ReleaseDC(HDC) { return D3DERR_INVALIDCALL; }

bool Surface::IsRenderTargetCapable() const {
    return role_ == SurfaceRole::RenderTarget || role_ == SurfaceRole::BackBuffer ||
           (role_ == SurfaceRole::TextureLevel && (usage_ & D3DUSAGE_RENDERTARGET));
}

void Surface::ReleaseLevel() {
    device_->FlushDrawsUsing(pixels_.bytes.data());
    MarkDead();
    locked_ = false;
    ++writes_;
    pixels_.Free();
    DetachFromDevice();
}

void Surface::OnFinalRelease() {
    device_->FlushDrawsUsing(pixels_.bytes.data());
    locked_ = false;
    ++writes_;
    pixels_.Free();
    DetachFromDevice();
}

}  // namespace lumiva::d3d9
