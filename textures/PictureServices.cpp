#include "textures/PictureServices.h"

#include <utility>

#include "shell/D3DDevice.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"
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

// Tests may stand in for the shell's ground pictures too; without a shell
// nothing can shrink.
bool ShrinkGroundPictures() {
    if (State().shrinkGround) return State().shrinkGround();
    return ShellServices() && ShellServices()->ShrinkPlaceGround();
}

void SetPurgeIdle(std::function<void()> purge) { State().purgeIdle = std::move(purge); }
void SetPurgeAll(std::function<void()> purge) { State().purgeAll = std::move(purge); }
void SetShrinkGroundPictures(std::function<bool()> shrink) { State().shrinkGround = std::move(shrink); }
void Reset() { State() = Services{}; }

}  // namespace picture_services
