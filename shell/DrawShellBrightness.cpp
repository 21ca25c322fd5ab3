// Brightness through the device gamma ramp, and the screen-size render
// target the scene can be drawn into.
#include <d3dx9.h>

#include "lumiva/basrel/KStringMap.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/FrameState.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr int kBrightnessOutOfMemoryText = 33;
constexpr int kBrightnessCaptionText = 44;

bool IsLevel(int level) { return level >= 0 && level <= 100; }

}  // namespace

void KDrawShell::SetBrightness(int level) {
    if (IsLevel(level)) g_BrightnessLevel = level;
}

void KDrawShell::ApplyBrightness(int level) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!IsLevel(level) || !device) return;
    const int k = 2 * level - 100;
    D3DGAMMARAMP ramp;
    for (int i = 0; i < 256; ++i) {
        int entry = i * 256 + i * k;
        if (k >= 0 && entry > 65535) entry = 65535;
        const WORD value = static_cast<WORD>(entry);
        ramp.red[i] = value;
        ramp.green[i] = value;
        ramp.blue[i] = value;
    }
    device->SetGammaRamp(0, D3DSGR_NO_CALIBRATION, &ramp);
}

HRESULT KDrawShell::CreateScreenTarget(int width, int height) {
    ReleaseScreenTarget();
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return E_FAIL;
    const HRESULT result = D3DXCreateTexture(device, static_cast<UINT>(width), static_cast<UINT>(height), 1,
                                             D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &screenTarget);
    if (SUCCEEDED(result)) return 0;
    screenTarget = nullptr;
    if (result == D3DERR_OUTOFVIDEOMEMORY) {
        MessageBoxA(g_MainWindow, g_cStringMap.GetString(kBrightnessOutOfMemoryText), g_cStringMap.GetString(kBrightnessCaptionText),
                    MB_OK);
        imageCache.TrimIdle();
    }
    return result;
}

HRESULT KDrawShell::ReleaseScreenTarget() {
    UnbindTexture(screenTarget);
    ReleaseAndNull(screenTarget);
    ReleaseAndNull(screenTargetSavedTarget);
    return 0;
}
