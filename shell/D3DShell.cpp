#include "shell/D3DShell.h"

#include <algorithm>
#include <cstring>

KD3DShell g_D3DShell;

int g_ScreenWidth = 800;
int g_ScreenHeight = 600;
int g_Windowed = 1;
HWND g_MainWindow = nullptr;

void ResetScreenSettingsForTests() {
    g_ScreenWidth = 800;
    g_ScreenHeight = 600;
    g_Windowed = 1;
    g_MainWindow = nullptr;
}

namespace {

constexpr UINT kMinModeWidth = 640;
constexpr UINT kMinModeHeight = 480;

// Adapter formats whose modes are catalogued, in the order they are asked for.
constexpr D3DFORMAT kAdapterFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8};

struct KDeviceKind {
    D3DDEVTYPE type;
    const char* name;
};
constexpr KDeviceKind kDeviceKinds[] = {{D3DDEVTYPE_HAL, "HAL"}, {D3DDEVTYPE_REF, "REF"}};

bool HasMode(const std::vector<KD3DModeInfo>& modes, const D3DDISPLAYMODE& mode) {
    for (const KD3DModeInfo& m : modes)
        if (m.Width == mode.Width && m.Height == mode.Height && m.Format == mode.Format) return true;
    return false;
}

void AddFormat(std::vector<D3DFORMAT>& formats, D3DFORMAT format) {
    if (std::find(formats.begin(), formats.end(), format) == formats.end()) formats.push_back(format);
}

bool IsSixteenBit(D3DFORMAT f) { return f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5; }
bool IsShellThirtyTwoBit(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_R8G8B8; }

bool ModeFitsDepth(const KD3DModeInfo& mode, int bits, bool windowed, D3DFORMAT desktopFormat) {
    if (windowed) return mode.Format == desktopFormat;
    if (bits == 16) return IsSixteenBit(mode.Format);
    if (bits == 24 || bits == 32) return IsShellThirtyTwoBit(mode.Format);
    return true;
}

}  // namespace

KD3DShell::KD3DShell() : d3d(nullptr), desktopMode{} {}

KD3DShell::~KD3DShell() { Release(); }

bool KD3DShell::Create() {
    Release();
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return false;
    if (FAILED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktopMode)) || !EnumerateAdapters()) {
        Release();
        return false;
    }
    return true;
}

void KD3DShell::Release() {
    if (d3d) {
        d3d->Release();
        d3d = nullptr;
    }
    adapters.clear();
}

bool KD3DShell::EnumerateAdapters() {
    if (!d3d) return false;
    adapters.clear();
    const UINT count = d3d->GetAdapterCount();
    for (UINT a = 0; a < count; ++a) EnumerateAdapter(a);
    return !adapters.empty();
}

void KD3DShell::EnumerateAdapter(UINT ordinal) {
    KD3DAdapterInfo adapter{};
    adapter.Ordinal = ordinal;
    d3d->GetAdapterIdentifier(ordinal, 0, &adapter.Identifier);

    // The current display format leads the list: it decides whether a
    // device can run windowed.
    std::vector<D3DFORMAT> formats;
    for (D3DFORMAT adapterFormat : kAdapterFormats) {
        const UINT modeCount = d3d->GetAdapterModeCount(ordinal, adapterFormat);
        D3DDISPLAYMODE current{};
        d3d->GetAdapterDisplayMode(ordinal, &current);
        AddFormat(formats, current.Format);
        for (UINT i = 0; i < modeCount; ++i) {
            D3DDISPLAYMODE mode{};
            if (FAILED(d3d->EnumAdapterModes(ordinal, adapterFormat, i, &mode))) continue;
            if (mode.Width < kMinModeWidth || mode.Height < kMinModeHeight) continue;
            if (HasMode(adapter.Modes, mode)) continue;
            AddFormat(formats, mode.Format);
            adapter.Modes.push_back({mode.Width, mode.Height, mode.Format, 0});
        }
    }
    std::sort(adapter.Modes.begin(), adapter.Modes.end(), CompareDisplayModes);

    for (const KDeviceKind& kind : kDeviceKinds) {
        KD3DDeviceInfo device{};
        device.DeviceType = kind.type;
        // A device type the adapter does not have stays out of the catalogue,
        // or a full-screen search could choose it.
        if (FAILED(d3d->GetDeviceCaps(ordinal, kind.type, &device.Caps))) continue;
        device.Name = kind.name;
        const bool hardwareTnL = (device.Caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
        std::vector<D3DFORMAT> accepted;
        for (D3DFORMAT f : formats)
            if (SUCCEEDED(d3d->CheckDeviceType(ordinal, kind.type, f, f, FALSE))) accepted.push_back(f);
        for (const KD3DModeInfo& mode : adapter.Modes) {
            if (std::find(accepted.begin(), accepted.end(), mode.Format) == accepted.end()) continue;
            KD3DModeInfo kept = mode;
            kept.HardwareTnL = hardwareTnL ? 1 : 0;
            device.Modes.push_back(kept);
        }
        device.Windowed = (!formats.empty() && !accepted.empty() && accepted.front() == formats.front()) ? 1 : 0;
        adapter.Devices.push_back(std::move(device));
    }
    adapters.push_back(std::move(adapter));
}

bool KD3DShell::CompareDisplayModes(const KD3DModeInfo& a, const KD3DModeInfo& b) {
    if (a.Format != b.Format) return static_cast<int32_t>(a.Format) < static_cast<int32_t>(b.Format);
    if (a.Width != b.Width) return a.Width < b.Width;
    return a.Height < b.Height;
}

KD3DDeviceInfo* KD3DShell::FindDevice(KD3DAdapterInfo** adapter) {
    for (KD3DAdapterInfo& a : adapters) {
        for (KD3DDeviceInfo& d : a.Devices) {
            if (d.DeviceType != D3DDEVTYPE_HAL) continue;
            if (g_Windowed && !d.Windowed) continue;
            if (adapter) *adapter = &a;
            return &d;
        }
    }
    return nullptr;
}

KD3DModeInfo* KD3DShell::FindDisplayMode(KD3DDeviceInfo* device, int bits) {
    if (!device) return nullptr;
    for (KD3DModeInfo& mode : device->Modes) {
        if (mode.Width != static_cast<UINT>(g_ScreenWidth) || mode.Height != static_cast<UINT>(g_ScreenHeight))
            continue;
        if (ModeFitsDepth(mode, bits, g_Windowed != 0, desktopMode.Format)) return &mode;
    }
    return nullptr;
}

int KD3DShell::RoundUpTextureSize(int n) {
    if (n < 0 || n > 1024) return 0;
    int size = 8;
    while (size < n) size <<= 1;
    return size;
}
