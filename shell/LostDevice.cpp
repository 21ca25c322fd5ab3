// Lost-device handling at the start of a frame. While the device is lost
// nothing is drawn; once it can be reset the shell's default-pool objects
// are released, the display mode is set again and the objects come back.
// Every step that fails is tried again on the next frame.
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/FrameState.h"
#include "shell/KDrawShell.h"

namespace {

// Clears the lost flag only once the objects are back.
bool RestoreAfterReset(KDrawShell& shell) {
    shell.deviceLost = 0;
    if (FAILED(shell.RestoreDeviceObjects())) {
        shell.deviceLost = 1;
        return false;
    }
    return true;
}

bool ResetDevice(KDrawShell& shell) {
    if (FAILED(shell.InvalidateDeviceObjects())) return false;
    if (!shell.ChangeDisplayMode(g_ScreenWidth, g_ScreenHeight, static_cast<BYTE>(g_Windowed ? 0 : 1), 0))
        return false;
    return RestoreAfterReset(shell);
}

}  // namespace

bool PrepareDeviceForFrame(KDrawShell& shell) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    const HRESULT level = device->TestCooperativeLevel();
    if (SUCCEEDED(level)) {
        // A restore that failed after a successful reset is due again.
        return !shell.deviceLost || RestoreAfterReset(shell);
    }
    shell.deviceLost = 1;
    if (level == D3DERR_DEVICENOTRESET) return ResetDevice(shell);
    // Lost, or a failure the device does not explain: the scene would never end.
    return false;
}
