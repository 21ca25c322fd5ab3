#include "shell/ShellTextServices.h"

#include "basrel/HostIntegers.h"
#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"

bool KShellTextServices::IsDeviceLost() { return m_shell.deviceLost != 0; }

IDirect3DDevice9* KShellTextServices::Device() { return g_D3DDevice.device; }

void KShellTextServices::ProjectScenePoint(float x, float y, float z, float* screenX, float* screenY, float* screenZ,
                                           bool withWorldOffset) {
    D3DXVECTOR3 point(x, y, z);
    if (withWorldOffset && m_shell.worldOffsetSet)
        point += D3DXVECTOR3(m_shell.worldOffset[0], m_shell.worldOffset[1], m_shell.worldOffset[2]);
    const D3DXVECTOR3 screen = m_shell.ProjectToScreen(point);
    if (screenX) *screenX = screen.x;
    if (screenY) *screenY = screen.y;
    if (screenZ) *screenZ = screen.z;
}

void KShellTextServices::WorldOffsetCorrection(int32_t* x, int32_t* y) {
    if (!m_shell.worldOffsetSet) return;
    if (x) *x = host_int::Add(*x, host_int::Truncate(m_shell.worldOffset[0]));
    if (y) *y = host_int::Add(*y, host_int::Truncate(m_shell.worldOffset[1]));
}

uint32_t KShellTextServices::GetSparkColor(int sparkId) { return m_shell.GetSparkColor(sparkId); }

ITextImageHandler* KShellTextServices::TextImageHandler() { return m_shell.textImageHandler; }

void KShellTextServices::DrawScreenLine(float x0, float y0, float x1, float y1, uint32_t colour) {
    DrawScreenLineOn(g_D3DDevice.device, x0, y0, x1, y1, colour);
}
