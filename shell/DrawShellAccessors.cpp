// The small stored values and accessors of the interface, and the slots
// that do nothing.
#include <cstring>

#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"
#include "shell/SystemSurvey.h"
#include "shell/VideoPolicy.h"

bool KDrawShell::HasDevice() { return g_D3DDevice.device != nullptr; }
BYTE KDrawShell::IsQuadTableReady() { return quadTableReady; }
void KDrawShell::SetReservedValue(DWORD value) { g_ReservedValue = value; }
IDirect3DDevice9* KDrawShell::GetDevice() { return g_D3DDevice.device; }
void KDrawShell::SetImageCacheParam(int a, int b) { imageCache.SetParam(a, b); }
bool KDrawShell::Reserved48(DWORD, DWORD, DWORD) { return false; }
DWORD KDrawShell::Reserved66(DWORD, DWORD b) { return b; }
void KDrawShell::ClearWorldOffset(DWORD) { worldOffsetSet = 0; }
BYTE KDrawShell::HasWorldOffset() { return worldOffsetSet; }
void KDrawShell::SetClientFlag(BYTE flag) { clientFlag = flag; }
BYTE KDrawShell::GetClientFlag() { return clientFlag; }

DWORD KDrawShell::GetAvailableTextureMem() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    return device ? device->GetAvailableTextureMem() : 0;
}

int KDrawShell::Reserved89() { return 0; }
void KDrawShell::Reserved90(DWORD) {}
BYTE KDrawShell::IsWindowed() { return static_cast<BYTE>(g_Windowed); }

void KDrawShell::CommitViewCenter() { std::memcpy(viewCentre, pendingViewCentre, sizeof viewCentre); }

void KDrawShell::GetVideoPolicy(KVideoPolicy* out) {
    if (out) *out = g_VideoPolicy;
}

void KDrawShell::GetSystemInfo(KSystemInfo* out) { g_SystemSurvey.FillSystemInfo(out); }

int KDrawShell::GetLastFrameCounter() { return lastFrameCounter; }
void KDrawShell::IncrementFrameCounter() { ++frameCounter; }
void KDrawShell::SetImageLoadThrottle(BYTE on) { imageLoadThrottle = on; }
BYTE KDrawShell::IsImageLoadThrottled() { return imageLoadThrottle; }
BYTE KDrawShell::IsBackRefreshEnabled() { return backRefresh; }
D3DFORMAT KDrawShell::GetPictureTextureFormat() { return g_PictureTextureFormat; }

void KDrawShell::GetCameraPos(float* out) {
    if (out) std::memcpy(out, cameraPosition, sizeof cameraPosition);
}

void KDrawShell::GetViewOrigin(float* out) {
    if (out) std::memcpy(out, viewOrigin, sizeof viewOrigin);
}

float KDrawShell::GetUiScale() { return uiScale; }
void KDrawShell::SetCallback(KHostCallback callback) { hostCallback = callback; }

void KDrawShell::InvokeCallback() {
    if (hostCallback) hostCallback();
}

DWORD KDrawShell::GetFrameTime() { return g_FrameTime; }
bool KDrawShell::GetReservedFlag() { return g_ReservedFlag; }
void KDrawShell::Reserved148(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {}

void KDrawShell::GetWorldOffset(float* x, float* y, float* z) {
    if (x) *x = worldOffset[0];
    if (y) *y = worldOffset[1];
    if (z) *z = worldOffset[2];
}

float KDrawShell::GetFrameTimeSum() { return static_cast<float>(frameTimeSum); }
float KDrawShell::GetLastFrameInterval() { return static_cast<float>(lastFrameInterval); }

void KDrawShell::SetWindowPresentExclusion(int enable, const int32_t* rect) {
    presentExclusion.enabled = enable;
    if (enable && rect) std::memcpy(presentExclusion.rect, rect, sizeof presentExclusion.rect);
}

void KDrawShell::SetLargeScreen(int large) { largeScreen = large; }
KImageCache* KDrawShell::GetImageCache() { return &imageCache; }
void KDrawShell::Reserved163() {}

// --- Client settings ---
void KDrawShell::LoadCoolSettings() {
    ReadCoolSettings();
    lightGlow.LoadSettings();
}

DWORD KDrawShell::GetSparkColor(int sparkId) { return sparks.GetColor(sparkId); }
void KDrawShell::ReleaseSparks() { sparks.Release(); }
void KDrawShell::SetSceneBright(float value) { SetSceneBrightness(value); }
float KDrawShell::GetSceneBright() { return GetSceneBrightness(); }
