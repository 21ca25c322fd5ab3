#include "textures/PictureServices.h"

#include <utility>

#include "shell/D3DDevice.h"
#include "shell/VideoPolicy.h"
#include "textures/ImageCache.h"

namespace picture_services {
namespace {

struct Services {
    std::function<void()> purgeIdle;
    std::function<void()> purgeAll;
    std::function<bool()> shrinkGround;
};

Services& State() {
    static Services services;
    return services;
}

}  // namespace

IDirect3DDevice9* Device() { return g_D3DDevice.device; }
D3DFORMAT PictureTextureFormat() { return g_PictureTextureFormat; }
bool DxtSupported() { return g_VideoPolicy.SupportDXT != 0; }

// Tests may stand in for the shell's image cache.
void PurgeIdle() {
    if (State().purgeIdle)
        State().purgeIdle();
    else if (g_pImageCache)
        g_pImageCache->PurgeIdle();
}

void PurgeAll() {
    if (State().purgeAll)
        State().purgeAll();
    else if (g_pImageCache)
        g_pImageCache->PurgeAll();
}

// STAND-INS below until the shell's slots exist.

bool ShrinkGroundPictures() { return State().shrinkGround ? State().shrinkGround() : false; }

D3DCOLOR Color565To8888(uint16_t colour) {
    uint32_t r = (colour >> 11) & 0x1F;
    uint32_t g = (colour >> 5) & 0x3F;
    uint32_t b = colour & 0x1F;
    return 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

void SetPurgeIdle(std::function<void()> purge) { State().purgeIdle = std::move(purge); }
void SetPurgeAll(std::function<void()> purge) { State().purgeAll = std::move(purge); }
void SetShrinkGroundPictures(std::function<bool()> shrink) { State().shrinkGround = std::move(shrink); }
void Reset() { State() = Services{}; }

}  // namespace picture_services
