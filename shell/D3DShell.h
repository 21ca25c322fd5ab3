// The module's Direct3D object and its catalogue of adapters, device types
// and display modes. One instance, g_D3DShell.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <vector>

// A display mode as the catalogue keeps it: the refresh rate is dropped, so
// modes that differ only by refresh rate collapse into one record.
struct KD3DModeInfo {
    UINT Width;
    UINT Height;
    D3DFORMAT Format;
    BYTE HardwareTnL;  // 1 when the device reports HW T&L for this format
};

struct KD3DDeviceInfo {
    D3DDEVTYPE DeviceType;
    D3DCAPS9 Caps;
    const char* Name;  // "HAL" or "REF"
    DWORD Windowed;    // 1 when the device accepts the desktop format
    std::vector<KD3DModeInfo> Modes;
};

struct KD3DAdapterInfo {
    UINT Ordinal;
    D3DADAPTER_IDENTIFIER9 Identifier;
    std::vector<KD3DModeInfo> Modes;  // only used while enumerating
    std::vector<KD3DDeviceInfo> Devices;
};

class KD3DShell {
public:
    KD3DShell();
    ~KD3DShell();
    KD3DShell(const KD3DShell&) = delete;
    KD3DShell& operator=(const KD3DShell&) = delete;

    bool Create();
    void Release();
    bool EnumerateAdapters();

    // The first HAL device that fits the window mode; REF devices are
    // catalogued but never chosen. Pointers stay valid until the next
    // Create or Release.
    KD3DDeviceInfo* FindDevice(KD3DAdapterInfo** adapter);
    // The first mode of the module's screen size that fits the window mode
    // and, full screen, the bit depth (16, 24 or 32).
    KD3DModeInfo* FindDisplayMode(KD3DDeviceInfo* device, int bits);

    static bool CompareDisplayModes(const KD3DModeInfo& a, const KD3DModeInfo& b);
    // Smallest power of two from 8 to 1024 that holds n; 0 outside 0..1024.
    static int RoundUpTextureSize(int n);

    IDirect3D9* d3d;
    D3DDISPLAYMODE desktopMode;
    std::vector<KD3DAdapterInfo> adapters;

private:
    void EnumerateAdapter(UINT ordinal);
};

extern KD3DShell g_D3DShell;

// Screen settings the shell owns and the device side reads. They live here
// until the shell object exists; the shell's Create sets them.
extern int g_ScreenWidth;   // 800 before any Create
extern int g_ScreenHeight;  // 600 before any Create
extern int g_Windowed;      // 1 before any Create
// The module's copy of the host's main window (g_GetMainHWnd).
extern HWND g_MainWindow;

void ResetScreenSettingsForTests();
