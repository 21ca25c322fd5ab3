// Slots 111, 112 and 113: ribbon templates, their active copies and the
// drawing of a copy with its head at the host's point.
#include "lumiva/basrel/KStringMap.h"
#include "effects/KRibbon.h"
#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"
#include "textures/TextureManager.h"

namespace {

constexpr DWORD kNoRibbon = 0xFFFFFFFF;
constexpr DWORD kEnded = 0xFFFFFFFF;
constexpr int kNeedsTextureText = 34;
constexpr int kRibbonCaption = 35;
constexpr uint64_t kLargestBuffer = 0xFFFFFFFF;

KRibbonMap& Templates(KDrawShell& shell) { return shell.ribbonMaps[0]; }
KRibbonMap& Active(KDrawShell& shell) { return shell.ribbonMaps[1]; }

}  // namespace

// A buffer of 2N vertices that would pass 32 bits is refused like N = 0.
/* 111 */ DWORD KDrawShell::CreateRibbon(DWORD segments, DWORD shiftInterval, float width, float heightOffset,
                                         const char* textureName, DWORD additive, DWORD textureFactor, DWORD) {
    const DWORD id = timeGetTime();
    if (!textureName || segments == 0 || uint64_t{segments} * kRibbonBytesPerPoint > kLargestBuffer) {
        MessageBoxA(nullptr, g_cStringMap.GetString(kNeedsTextureText), g_cStringMap.GetString(kRibbonCaption), MB_OK);
        return kNoRibbon;
    }
    KRibbon ribbon;
    ribbon.pointCount = segments;
    ribbon.shiftInterval = shiftInterval;
    ribbon.textureFactor = textureFactor;
    ribbon.width = width;
    ribbon.heightOffset = heightOffset;
    ribbon.additive = additive;
    ribbon.textureName = textureName;
    if (!ribbon.RecreateDeviceObjects()) return kNoRibbon;
    Templates(*this)[id] = std::move(ribbon);
    return id;
}

/* 112 */ DWORD KDrawShell::UpdateRibbon(DWORD id, DWORD start) {
    if (start) {
        auto found = Templates(*this).find(id);
        if (found == Templates(*this).end()) return 0;
        KRibbon& copy = Active(*this)[id] = found->second;
        copy.enabled = 1;
        copy.initialised = 0;
        copy.points.clear();
        return timeGetTime();
    }
    return Active(*this).erase(id) ? kEnded : 0;
}

/* 113 */ void KDrawShell::DrawRibbons(DWORD id, int x, int y, int z) {
    if (id == 0) return;
    auto found = Active(*this).find(id);
    if (found == Active(*this).end() || !found->second.enabled) return;
    DrawRibbon(found->second, D3DXVECTOR3(float(x), float(y), float(z)));
}
