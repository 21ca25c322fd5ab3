// What the shell asks the cache about a picture: sizes, frame rectangles,
// alpha; and the memory diagnostics.
#include <cstdio>
#include <string>

#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "shell/ShellServices.h"
#include "textures/ImageCache.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

KImageTexture* KImageCache::LookupForQuery(const char* name, int frame, int type) {
    return GetImage(name, nullptr, nullptr, frame, type, 0, 1, 0, 0);
}

bool KImageCache::GetImageInfo(const char* name, int16_t* out, int type) {
    // Only JPEG and sprite lookups have an answer; others would report garbage.
    if (type != kImageJpeg && type != kImageSprite) return false;
    KImageTexture* picture = LookupForQuery(name, 0, type);
    if (!picture) return false;
    if (type == kImageJpeg) {
        const int16_t values[7] = {1, 0, static_cast<int16_t>(picture->GetWidth()),
                                   static_cast<int16_t>(picture->GetHeight()), 0, 0, 1};
        for (int i = 0; i < 7; ++i) out[i] = values[i];
        return true;
    }
    const int16_t values[7] = {static_cast<int16_t>(picture->GetFrameCount()),
                               static_cast<int16_t>(picture->GetHeaderWord18()),
                               static_cast<int16_t>(picture->GetWidth()),
                               static_cast<int16_t>(picture->GetHeight()),
                               static_cast<int16_t>(picture->GetCenterX()),
                               static_cast<int16_t>(picture->GetCenterY()),
                               static_cast<int16_t>(picture->GetHeaderWord16())};
    for (int i = 0; i < 7; ++i) out[i] = values[i];
    return true;
}

bool KImageCache::GetFrameRect(const char* name, int frame, int32_t* offset, int32_t* size, int type) {
    if (type != kImageJpeg && type != kImageSprite) return false;
    KImageTexture* picture = LookupForQuery(name, frame, type);
    if (!picture) return false;
    int32_t x = 0, y = 0, width = picture->GetWidth(), height = picture->GetHeight();
    if (type == kImageSprite) {
        if (frame < 0 || frame >= picture->GetFrameCount()) return false;
        const KSprImage* sprite = static_cast<KSprImage*>(picture);
        x = sprite->GetFrameOffsetX(frame);
        y = sprite->GetFrameOffsetY(frame);
        width = sprite->GetFrameWidth(frame);
        height = sprite->GetFrameHeight(frame);
    }
    if (offset) {
        offset[0] = x;
        offset[1] = y;
    }
    if (size) {
        size[0] = width;
        size[1] = height;
    }
    return true;
}

int KImageCache::GetAlphaAt(const char* name, int frame, int x, int y, int type) {
    if (type != kImageJpeg && type != kImageSprite) return 0;
    KImageTexture* picture = LookupForQuery(name, frame, type);
    if (!picture) return 0;
    if (type == kImageJpeg) return x >= 0 && x < picture->GetWidth() && y >= 0 && y < picture->GetHeight() ? 255 : 0;
    return static_cast<KSprImage*>(picture)->GetPixelAlpha(frame, x, y);
}

void KImageCache::BeginUsageCount() {
    counting = 1;
    usedTextureBytes = 0;
    KAutoMutex lock(g_ImageCacheMutex);
    for (KImageCacheEntry& entry : m_entries)
        if (entry.picture) entry.picture->SetUsed(false);
}

void KImageCache::CountImageMemory() {
    textureBytes = 0;
    memoryBytes = 0;
    counting = 0;
    KAutoMutex lock(g_ImageCacheMutex);
    for (const KImageCacheEntry& entry : m_entries) {
        if (!entry.picture) continue;
        textureBytes += entry.picture->GetCost();
        memoryBytes += entry.picture->GetMemory();
        if (entry.picture->IsUsed()) usedTextureBytes += entry.picture->GetCost();
    }
}

void KImageCache::ShowStats(char* buffer, int size) {
    if (!buffer) return;
    IDirect3DDevice9* device = m_shell ? m_shell->GetDevice() : nullptr;
    const UINT available = device ? device->GetAvailableTextureMem() : 0;
    char text[64];
    const int length = std::snprintf(text, sizeof text, "Tex:%dM  VM:%dM", static_cast<int>(textureBytes >> 20),
                                     static_cast<int>(available >> 20));
    SetWindowTextA(g_GetMainHWnd(), text);
    if (size > length) std::snprintf(buffer, static_cast<size_t>(size), "%s", text);
}

void KImageCache::DumpTextureList() {
    FILE* file = nullptr;
    {
        KAutoMutex lock(g_ImageCacheMutex);
        std::string hostPath;
        if (basrel::ResolveForWriting("TextureList.txt", hostPath)) file = std::fopen(hostPath.c_str(), "w");
    }
    if (!file) return;
    std::fprintf(file, "InvSub1: %d\n", static_cast<int>(invSub1 >> 20));
    std::fprintf(file, "InvSub2: %d\n", static_cast<int>(invSub2 >> 20));
    std::fprintf(file, "ResSub1: %d\n", static_cast<int>(resSub1 >> 20));
    std::fprintf(file, "ResSub2: %d\n", static_cast<int>(resSub2 >> 20));
    std::fclose(file);
}
