#include "shell/ShellTextServices.h"

#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"

bool KShellTextServices::IsDeviceLost() { return m_shell.deviceLost != 0; }

IDirect3DDevice9* KShellTextServices::Device() { return g_D3DDevice.device; }

void KShellTextServices::ProjectScenePoint(float x, float y, float z, float* screenX, float* screenY, float* screenZ,
                                           bool withWorldOffset) {
    if (withWorldOffset && m_shell.worldOffsetSet) {
        x += m_shell.worldOffset[0];
        y += m_shell.worldOffset[1];
        z += m_shell.worldOffset[2];
    }
    if (screenX) *screenX = x;
    if (screenY) *screenY = y;
    if (screenZ) *screenZ = z;
}

void KShellTextServices::WorldOffsetCorrection(int32_t* x, int32_t* y) {
    if (!m_shell.worldOffsetSet) return;
    if (x) *x += static_cast<int32_t>(m_shell.worldOffset[0]);
    if (y) *y += static_cast<int32_t>(m_shell.worldOffset[1]);
}

uint32_t KShellTextServices::GetSparkColor(int sparkId) { return m_shell.GetSparkColor(sparkId); }

ITextImageHandler* KShellTextServices::TextImageHandler() { return m_shell.textImageHandler; }

void KShellTextServices::DrawScreenLine(float x0, float y0, float x1, float y1, uint32_t colour) {
    DrawScreenLineOn(g_D3DDevice.device, x0, y0, x1, y1, colour);
}
