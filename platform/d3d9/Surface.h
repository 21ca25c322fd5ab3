// A surface: plain off-screen memory, a render target, a depth-stencil
// buffer, the back buffer, or one level of a texture. Its pixels live in a
// PixelBuffer that locks, copies and the rasterizer use directly.
#pragma once

#include "d3d9/PixelBuffer.h"
#include "d3d9/Resource.h"

namespace lumiva::d3d9 {

class Texture;

enum class SurfaceRole { OffscreenPlain, RenderTarget, DepthStencil, BackBuffer, TextureLevel };

class Surface final : public ResourceBase<IDirect3DSurface9> {
public:
    // A stand-alone surface with its own reference count. The swap chain's
    // surfaces (back buffer, automatic depth buffer) do not block a reset.
    Surface(Device* device, SurfaceRole role, D3DFORMAT format, UINT width, UINT height, D3DPOOL pool,
            DWORD usage, bool lockable, bool ofSwapChain = false);
    // A level of a texture: counts and lifetime are the texture's.
    Surface(Texture* container, Device* device, D3DFORMAT format, UINT width, UINT height, D3DPOOL pool,
            DWORD usage, UINT level);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }

    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;
    HRESULT STDMETHODCALLTYPE GetDC(HDC* hdc) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC hdc) override;

    SurfaceRole Role() const { return role_; }
    Texture* Container() const { return container_; }
    UINT Level() const { return level_; }
    bool IsLocked() const { return locked_; }
    bool IsLockable() const { return lockable_; }
    void SetLockable(bool lockable) { lockable_ = lockable; }
    // Handing out the pixels for writing counts as a write: copies kept of
    // them (a texture's expanded levels) compare WriteCount to stay current.
    PixelBuffer& Pixels() {
        ++writes_;
        return pixels_;
    }
    const PixelBuffer& Pixels() const { return pixels_; }
    uint64_t WriteCount() const { return writes_; }
    // For writes made through pixels handed out earlier (draws while the
    // surface was the render target).
    void NoteWrite() { ++writes_; }
    D3DFORMAT Format() const { return pixels_.format; }
    UINT Width() const { return pixels_.width; }
    UINT Height() const { return pixels_.height; }
    bool IsRenderTargetCapable() const;
    // For the container texture when it goes: the level's memory and its
    // entry in the device's lists.
    void ReleaseLevel();

protected:
    void OnFinalRelease() override;
    const char* InterfaceName() const override { return "IDirect3DSurface9"; }

private:
    HRESULT Lock(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags);

    SurfaceRole role_;
    Texture* container_ = nullptr;
    UINT level_ = 0;
    bool lockable_ = true;
    bool locked_ = false;
    uint64_t writes_ = 0;  // locks, unlocks and writable hand-outs of the pixels
    PixelBuffer pixels_;
};

// Null for a null pointer; otherwise the device's own surface object.
Surface* AsSurface(IDirect3DSurface9* surface);

// The part of `rect` (whole surface when null) if it lies inside a width x
// height image; false when it reaches outside or is empty or inverted.
bool ResolveRect(const RECT* rect, UINT width, UINT height, RECT* out);

}  // namespace lumiva::d3d9
