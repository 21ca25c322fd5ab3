// DirectDraw: an object whose only real service is the capability query
// with the total video memory.
#include <atomic>
#include <cstring>
#include <mutex>

#include <ddraw.h>

#include "ddraw/Control.h"

namespace lumiva::ddraw {
namespace {

constexpr DWORD kDefaultVideoMemory = 128u << 20;

struct Settings {
    std::mutex lock;
    DWORD totalVideoMemory = kDefaultVideoMemory;
    bool available = true;
};

Settings& TheSettings() {
    static auto* settings = new Settings;
    return *settings;
}

std::atomic<int> g_liveObjects{0};

// The fields a record of `size` bytes holds; older, shorter records are accepted.
constexpr DWORD kSmallestCapsSize = offsetof(DDCAPS, dwVidMemFree) + sizeof(DWORD);

bool FillCaps(LPDDCAPS caps, DWORD totalMemory) {
    if (!caps) return true;
    const DWORD size = caps->dwSize;
    if (size < kSmallestCapsSize || size > sizeof(DDCAPS)) return false;
    DDCAPS full{};
    full.dwSize = size;
    full.dwVidMemTotal = totalMemory;
    full.dwVidMemFree = totalMemory;
    std::memcpy(caps, &full, size);
    return true;
}

class DirectDraw final : public IDirectDraw7 {
public:
    DirectDraw() { ++g_liveObjects; }
    ~DirectDraw() { --g_liveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IDirectDraw7) {
            *object = static_cast<IDirectDraw7*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (refs_ == 0) return 0;
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS driverCaps, LPDDCAPS helCaps) override {
        if (!driverCaps && !helCaps) return DDERR_INVALIDPARAMS;
        const DWORD total = TotalVideoMemory();
        // The emulation layer has no video memory of its own.
        if (!FillCaps(driverCaps, total) || !FillCaps(helCaps, 0)) return DDERR_INVALIDPARAMS;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) override {
        if (!caps) return DDERR_INVALIDPARAMS;
        if (total) *total = TotalVideoMemory();
        if (free) *free = TotalVideoMemory();
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE Compact() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD, IDirectDrawClipper** clipper, IUnknown*) override {
        if (clipper) *clipper = nullptr;
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE CreatePalette(DWORD, tagPALETTEENTRY*, IDirectDrawPalette** palette, IUnknown*) override {
        if (palette) *palette = nullptr;
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC2, IDirectDrawSurface7** surface, IUnknown*) override {
        if (surface) *surface = nullptr;
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DuplicateSurface(IDirectDrawSurface7*, IDirectDrawSurface7** copy) override {
        if (copy) *copy = nullptr;
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EnumDisplayModes(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMMODESCALLBACK2) override {
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EnumSurfaces(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMSURFACESCALLBACK7) override {
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE FlipToGDISurface() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetDisplayMode(LPDDSURFACEDESC2) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetFourCCCodes(LPDWORD, LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetGDISurface(IDirectDrawSurface7** surface) override {
        if (surface) *surface = nullptr;
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetScanLine(LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetVerticalBlankStatus(LPBOOL) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Initialize(GUID*) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND, DWORD) override { return DD_OK; }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD, DWORD, DWORD, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD, HANDLE) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetSurfaceFromDC(HDC, IDirectDrawSurface7** surface) override {
        if (surface) *surface = nullptr;
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE RestoreAllSurfaces() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override { return DD_OK; }
    HRESULT STDMETHODCALLTYPE GetDeviceIdentifier(LPDDDEVICEIDENTIFIER2, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE StartModeTest(LPSIZE, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EvaluateMode(DWORD, DWORD*) override { return DDERR_UNSUPPORTED; }

private:
    ULONG refs_ = 1;
};

}  // namespace

void SetTotalVideoMemory(DWORD bytes) {
    std::lock_guard guard(TheSettings().lock);
    TheSettings().totalVideoMemory = bytes;
}

DWORD TotalVideoMemory() {
    std::lock_guard guard(TheSettings().lock);
    return TheSettings().totalVideoMemory;
}

void SetAvailable(bool available) {
    std::lock_guard guard(TheSettings().lock);
    TheSettings().available = available;
}

int LiveObjectCount() { return g_liveObjects; }

void ResetForTests() {
    std::lock_guard guard(TheSettings().lock);
    TheSettings().totalVideoMemory = kDefaultVideoMemory;
    TheSettings().available = true;
}

}  // namespace lumiva::ddraw

HRESULT WINAPI DirectDrawCreateEx(GUID* /*guid*/, LPVOID* directDraw, REFIID iid, IUnknown* outer) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer || !(iid == IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
    {
        auto& settings = lumiva::ddraw::TheSettings();
        std::lock_guard guard(settings.lock);
        if (!settings.available) return DDERR_NODIRECTDRAWHW;
    }
    *directDraw = static_cast<IDirectDraw7*>(new lumiva::ddraw::DirectDraw());
    return DD_OK;
}
