// STAND-IN, see PictureServices.h.
#include "textures/PictureServices.h"

#include <utility>

namespace picture_services {
namespace {

struct Services {
    IDirect3DDevice9* device = nullptr;
    D3DFORMAT pictureFormat = D3DFMT_X8R8G8B8;
    bool dxt = false;
    std::function<void()> purgeIdle;
    std::function<void()> purgeAll;
    std::function<bool()> shrinkGround;
};

Services& State() {
    static Services services;
    return services;
}

}  // namespace

IDirect3DDevice9* Device() { return State().device; }
D3DFORMAT PictureTextureFormat() { return State().pictureFormat; }
bool DxtSupported() { return State().dxt; }

void PurgeIdle() {
    if (State().purgeIdle) State().purgeIdle();
}

void PurgeAll() {
    if (State().purgeAll) State().purgeAll();
}

bool ShrinkGroundPictures() { return State().shrinkGround ? State().shrinkGround() : false; }

D3DCOLOR Color565To8888(uint16_t colour) {
    uint32_t r = (colour >> 11) & 0x1F;
    uint32_t g = (colour >> 5) & 0x3F;
    uint32_t b = colour & 0x1F;
    return 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

void SetDevice(IDirect3DDevice9* device) { State().device = device; }
void SetPictureTextureFormat(D3DFORMAT format) { State().pictureFormat = format; }
void SetDxtSupported(bool supported) { State().dxt = supported; }
void SetPurgeIdle(std::function<void()> purge) { State().purgeIdle = std::move(purge); }
void SetPurgeAll(std::function<void()> purge) { State().purgeAll = std::move(purge); }
void SetShrinkGroundPictures(std::function<bool()> shrink) { State().shrinkGround = std::move(shrink); }
void Reset() { State() = Services{}; }

}  // namespace picture_services
