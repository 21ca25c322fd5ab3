#include "textures/TextureMemoryPolicy.h"

#include "DebugLog.h"
#include "textures/PictureServices.h"

int g_SpriteTextureFailures = 0;
bool g_HalfSizeSprites = false;

namespace {

constexpr int kFailuresBeforeHalving = 5;

bool IsOutOfMemory(HRESULT hr, bool outOfMemoryToo) {
    return hr == D3DERR_OUTOFVIDEOMEMORY || (outOfMemoryToo && hr == kOutOfSystemMemory);
}

// True when the cache was purged whole and the frame must stop.
bool HandleSpriteOutOfMemory() {
    if (!g_HalfSizeSprites) {
        ++g_SpriteTextureFailures;
        if (g_SpriteTextureFailures > kFailuresBeforeHalving && !picture_services::ShrinkGroundPictures()) {
            g_HalfSizeSprites = true;
            g_DebugLog("[Pictures]Out of video memory: sprites go half size");
            picture_services::PurgeAll();
            return true;
        }
    }
    picture_services::PurgeIdle();
    return false;
}

}  // namespace

HRESULT CreateSpriteTexture(const std::function<HRESULT()>& create, bool outOfMemoryToo, bool* stopFrame) {
    *stopFrame = false;
    HRESULT hr = create();
    if (SUCCEEDED(hr)) return hr;
    if (IsOutOfMemory(hr, outOfMemoryToo) && HandleSpriteOutOfMemory()) {
        *stopFrame = true;
        return hr;
    }
    hr = create();
    if (FAILED(hr)) *stopFrame = true;
    return hr;
}

HRESULT CreatePictureTexture(const std::function<HRESULT()>& create) {
    HRESULT hr = create();
    if (SUCCEEDED(hr)) return hr;
    if (hr == D3DERR_OUTOFVIDEOMEMORY) picture_services::PurgeIdle();
    return create();
}
