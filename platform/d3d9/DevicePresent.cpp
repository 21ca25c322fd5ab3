// Presentation on the virtual desktop, the front buffer, reset and the
// cooperative level, texture memory, display mode and gamma ramp.
#include <algorithm>
#include <climits>
#include <utility>

#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/Registry.h"
#include "d3d9/Surface.h"
#include "d3d9/SurfaceCopy.h"

namespace lumiva::d3d9 {
namespace {

uint64_t RectArg(const RECT* r, int field) {
    if (!r) return 0;
    const LONG values[4] = {r->left, r->top, r->right, r->bottom};
    return static_cast<uint64_t>(static_cast<int64_t>(values[field]));
}

// Where the window's client area lies on the desktop.
bool ClientAreaOnDesktop(HWND window, RECT* area) {
    RECT client;
    if (!window || !GetClientRect(window, &client)) return false;
    POINT topLeft{client.left, client.top};
    POINT bottomRight{client.right, client.bottom};
    if (!ClientToScreen(window, &topLeft) || !ClientToScreen(window, &bottomRight)) return false;
    *area = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    return true;
}

// Coordinates far beyond any display would overflow on the way to the desktop.
bool IsSaneRect(const RECT& r) {
    constexpr LONG kLimit = 1 << 24;
    return r.left > -kLimit && r.top > -kLimit && r.right < kLimit && r.bottom < kLimit;
}

// Copies `source` of the back buffer onto `destination` of the front buffer
// (desktop coordinates), scaling to fit, keeping only the part inside `clip`.
void Blit(const PixelBuffer& back, const RECT& source, PixelBuffer& front, const RECT& destination, RECT clip) {
    RECT frontRect{0, 0, static_cast<LONG>(front.width), static_cast<LONG>(front.height)};
    RECT visible;
    if (!IntersectRects(clip, frontRect, &clip) || !IntersectRects(destination, clip, &visible)) return;
    const int64_t sw = source.right - source.left, sh = source.bottom - source.top;
    const int64_t dw = destination.right - destination.left, dh = destination.bottom - destination.top;
    const bool wholePixels32 = sw == dw && sh == dh && (back.format == D3DFMT_X8R8G8B8 || back.format == D3DFMT_A8R8G8B8);
    if (wholePixels32) {
        // The usual frame: same size, 32-bit pixels, rows copied with alpha set.
        for (LONG y = visible.top; y < visible.bottom; ++y) {
            const UINT sy = static_cast<UINT>(source.top + (y - destination.top));
            const UINT sx = static_cast<UINT>(source.left + (visible.left - destination.left));
            const DWORD* from = reinterpret_cast<const DWORD*>(back.At(sx, sy));
            DWORD* to = reinterpret_cast<DWORD*>(front.At(static_cast<UINT>(visible.left), static_cast<UINT>(y)));
            for (LONG i = 0; i < visible.right - visible.left; ++i) to[i] = from[i] | 0xFF000000;
        }
        return;
    }
    StretchNearest(back, source, front, destination, visible, true);
}

}  // namespace

HRESULT Device::TestCooperativeLevel() { return RecordCall("TestCooperativeLevel", {}, cooperativeLevel_); }

UINT Device::GetAvailableTextureMem() {
    Registry& registry = Registry::Get();
    const uint64_t available = registry.totalTextureMemory - std::min(registry.usedTextureMemory, registry.totalTextureMemory);
    return static_cast<UINT>(std::min<uint64_t>(available, UINT_MAX));
}

HRESULT Device::EvictManagedResources() { return RecordCall("EvictManagedResources", {}, D3D_OK); }

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
    if (swapChain != 0 || !mode) return D3DERR_INVALIDCALL;
    *mode = Registry::Get().CurrentDisplayMode(adapter_);
    return D3D_OK;
}

HRESULT Device::SetDialogBoxMode(BOOL enable) {
    // Dialogs over a full-screen device need a lockable back buffer and no multisampling.
    if (enable && !parameters_.Windowed && !(parameters_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER))
        return RecordCall("SetDialogBoxMode", {static_cast<uint64_t>(enable)}, D3DERR_INVALIDCALL);
    dialogBoxMode_ = enable ? TRUE : FALSE;
    return RecordCall("SetDialogBoxMode", {static_cast<uint64_t>(enable)}, D3D_OK);
}

void Device::SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) {
    RecordCall("SetGammaRamp", {swapChain, flags, PointerArg(ramp)}, D3D_OK);
    if (swapChain != 0 || !ramp) return;
    gammaRamp_ = *ramp;
}

void Device::GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp) {
    if (swapChain != 0 || !ramp) return;
    *ramp = gammaRamp_;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* parameters) {
    FlushDraws();  // kept draws land before this reads or changes pixels or targets
    auto finish = [&](HRESULT result) { return RecordCall("Reset", {PointerArg(parameters)}, result); };
    if (!parameters) return finish(D3DERR_INVALIDCALL);
    if (cooperativeLevel_ == D3DERR_DEVICELOST) return finish(D3DERR_DEVICELOST);
    inScene_ = false;
    ReleaseBindings();
    // Everything in the default pool must be gone, the swap chain's surfaces
    // included: only the device may still hold them.
    const bool swapChainHeld = (backBuffer_ && backBuffer_->RefCount() > 1) ||
                               (autoDepthStencil_ && autoDepthStencil_->RefCount() > 1);
    D3DPRESENT_PARAMETERS completed = *parameters;
    HRESULT valid = D3DERR_INVALIDCALL;
    if (liveDefaultPoolResources_ == 0 && !swapChainHeld)
        valid = CompleteParameters(adapter_, type_, focusWindow_, &completed);
    Registry& registry = Registry::Get();
    const HRESULT injected = std::exchange(registry.nextResetFailure, D3D_OK);
    if (SUCCEEDED(valid) && FAILED(injected)) valid = injected;
    if (FAILED(valid)) {
        ApplyDefaultState();
        cooperativeLevel_ = D3DERR_DEVICENOTRESET;
        return finish(FAILED(injected) ? injected : D3DERR_INVALIDCALL);
    }
    ReleaseSwapChainSurfaces();
    if (!parameters_.Windowed) registry.LeaveFullScreen(adapter_);
    parameters_ = completed;
    *parameters = completed;
    if (!parameters_.Windowed) {
        registry.EnterFullScreen(adapter_, D3DDISPLAYMODE{parameters_.BackBufferWidth, parameters_.BackBufferHeight,
                                                          parameters_.FullScreen_RefreshRateInHz,
                                                          parameters_.BackBufferFormat});
    }
    CreateSwapChainSurfaces();
    ApplyDefaultState();
    cooperativeLevel_ = D3D_OK;
    return finish(D3D_OK);
}

HWND Device::PresentWindow(HWND overrideWindow) const {
    if (overrideWindow) return overrideWindow;
    return parameters_.hDeviceWindow ? parameters_.hDeviceWindow : focusWindow_;
}

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                        const RGNDATA* /*dirtyRegion*/) {
    FlushDraws();
    auto finish = [&](HRESULT result) {
        return RecordCall("Present",
                          {RectArg(sourceRect, 0), RectArg(sourceRect, 1), RectArg(sourceRect, 2),
                           RectArg(sourceRect, 3), RectArg(destRect, 0), RectArg(destRect, 1), RectArg(destRect, 2),
                           RectArg(destRect, 3), PointerArg(destWindowOverride)},
                          result);
    };
    if (IsLost()) return finish(D3DERR_DEVICELOST);
    if ((sourceRect || destRect) && parameters_.SwapEffect != D3DSWAPEFFECT_COPY) return finish(D3DERR_INVALIDCALL);
    const PixelBuffer& back = backBuffer_->Pixels();
    RECT source;
    if (!ResolveRect(sourceRect, back.width, back.height, &source)) return finish(D3DERR_INVALIDCALL);

    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    PixelBuffer& front = registry.FrontBuffer();
    if (!parameters_.Windowed) {
        const RECT screen{0, 0, static_cast<LONG>(front.width), static_cast<LONG>(front.height)};
        const RECT destination = destRect ? *destRect : screen;
        if (destination.left >= destination.right || destination.top >= destination.bottom ||
            !IsSaneRect(destination))
            return finish(D3DERR_INVALIDCALL);
        if (!registry.noRaster) Blit(back, source, front, destination, screen);
        return finish(D3D_OK);
    }
    RECT client;
    if (!ClientAreaOnDesktop(PresentWindow(destWindowOverride), &client)) return finish(D3DERR_INVALIDCALL);
    RECT destination = destRect ? *destRect
                                : RECT{0, 0, client.right - client.left, client.bottom - client.top};
    if (destination.left >= destination.right || destination.top >= destination.bottom ||
        !IsSaneRect(destination))
        return finish(D3DERR_INVALIDCALL);
    // Client coordinates to the desktop.
    destination.left += client.left;
    destination.right += client.left;
    destination.top += client.top;
    destination.bottom += client.top;
    if (!registry.noRaster) Blit(back, source, front, destination, client);
    return finish(D3D_OK);
}

HRESULT Device::GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destination) {
    FlushDraws();
    const std::initializer_list<uint64_t> args = {swapChain, PointerArg(destination)};
    Surface* dst = AsSurface(destination);
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    const PixelBuffer& front = registry.FrontBuffer();
    if (swapChain != 0 || !dst || dst->IsDead() || dst->Pool() != D3DPOOL_SYSTEMMEM ||
        dst->Format() != D3DFMT_A8R8G8B8 || dst->Width() != front.width || dst->Height() != front.height ||
        dst->IsLocked())
        return RecordCall("GetFrontBufferData", args, D3DERR_INVALIDCALL);
    if (IsLost()) return RecordCall("GetFrontBufferData", args, D3DERR_DEVICELOST);
    dst->Pixels().bytes = front.bytes;
    return RecordCall("GetFrontBufferData", args, D3D_OK);
}

}  // namespace lumiva::d3d9
