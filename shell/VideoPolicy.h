// The video policy: what the host learns about the machine's video side
// (KVideoPolicy), the texture-memory budget and the texture formats the
// module draws with, and the files behind them.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Crosses to the host through the shell's GetVideoPolicy: layout is fixed.
struct KVideoPolicy {
    int32_t VideoCardType;        // 0 other, 1 TNT2, 2 GeForce2, 3 GeForce4, 4 Radeon 7000, 5 Radeon 7200
    int32_t VideoMemory;          // available texture memory at creation, MB
    int32_t IsDesktop32BitColor;  // 1 for a 4-byte desktop format, 0 for 2
    int32_t Billboard_Low;
    int32_t Billboard_High;
    int32_t Force32BitScene;
    int32_t AnimationDelay;
    int32_t BackRefresh;        // MB, compared with available texture memory
    uint8_t RenderTargetAlpha;  // render-target texture format has alpha
    uint8_t SupportDXT;         // DXT1 and DXT5 textures both supported
    uint16_t Reserved;
};
static_assert(sizeof(KVideoPolicy) == 36);
static_assert(offsetof(KVideoPolicy, VideoCardType) == 0);
static_assert(offsetof(KVideoPolicy, VideoMemory) == 4);
static_assert(offsetof(KVideoPolicy, IsDesktop32BitColor) == 8);
static_assert(offsetof(KVideoPolicy, Billboard_Low) == 12);
static_assert(offsetof(KVideoPolicy, Billboard_High) == 16);
static_assert(offsetof(KVideoPolicy, Force32BitScene) == 20);
static_assert(offsetof(KVideoPolicy, AnimationDelay) == 24);
static_assert(offsetof(KVideoPolicy, BackRefresh) == 28);
static_assert(offsetof(KVideoPolicy, RenderTargetAlpha) == 32);
static_assert(offsetof(KVideoPolicy, SupportDXT) == 33);
static_assert(offsetof(KVideoPolicy, Reserved) == 34);

extern KVideoPolicy g_VideoPolicy;

// The texture manager frees textures when available texture memory falls
// below the threshold, until the target is available again.
constexpr uint32_t kDefaultTexMemThreshold = 0x1400000;  // 20 MB
constexpr uint32_t kDefaultTexMemTarget = 0x2800000;     // 40 MB
extern uint32_t g_TexMemThreshold;
extern uint32_t g_TexMemTarget;
extern D3DFORMAT g_RenderTextureFormat;   // off-screen view targets
extern D3DFORMAT g_PictureTextureFormat;  // picture tiles

// Budget keys of "settings\VideoPolicy.ini" for one range of texture memory.
struct KTextureBudgetTier {
    const char* thresholdKey;
    const char* targetKey;
    uint32_t thresholdDefault;
    uint32_t targetDefault;
};
const KTextureBudgetTier& SelectTextureBudgetTier(uint32_t availableTextureBytes);

// A missing BackRefresh key means 20 MB: the value is compared in MB.
constexpr int32_t kDefaultBackRefreshMB = 20;

// Reads "settings\VideoPolicy.ini" when it exists: BackRefresh and the
// tier's two budgets. Without the file everything keeps its value.
void ApplyVideoPolicyFile(uint32_t availableTextureBytes);

int DetectVideoCardType(const char* adapterDescription);
// 4 for the 32-bit desktop formats, 2 for the 16-bit ones, 0 otherwise.
int DesktopBytesPerPixel(D3DFORMAT format);

// Render-target and picture texture formats from the device's answers.
struct KTextureFormatSupport {
    bool r5g6b5;
    bool a8r8g8b8;
    bool x8r8g8b8;
    bool a4r4g4b4;
};
struct KTextureFormatChoice {
    D3DFORMAT renderTarget;  // D3DFMT_UNKNOWN when none fits
    bool renderTargetAlpha;
    int renderTargetWarning;  // string-table text of the fallback warning, 0 for none
    D3DFORMAT picture;        // D3DFMT_UNKNOWN when none fits
};
KTextureFormatChoice ChooseTextureFormats(const KTextureFormatSupport& support, bool desktop32);
// String-table texts of the failures, by desktop depth.
int NoRenderTargetFormatText(bool desktop32);
int NoPictureFormatText(bool desktop32);

// "Logs\Configure.ini": written with defaults on the first run, otherwise
// the four tunables are read back. A file that lacks a tunable gets its
// default and is rewritten. False only when the file cannot be saved.
bool LoadOrWriteConfigureFile(KVideoPolicy& policy);
void SetDefaultTunables(KVideoPolicy& policy);

// Everything back to the values before any device existed.
void ResetVideoPolicy();
