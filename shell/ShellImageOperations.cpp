// The shell's named-picture slots: thin layers over the image cache that
// check the name and the device-lost flag first.
#include <bit>
#include <cstring>

#include "shell/D3DShell.h"
#include "basrel/HostIntegers.h"
#include "draw2d/scene/ImageFrame.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

constexpr DWORD kPrimitivePicture = 3;
constexpr size_t kPictureRecordSize = 208;
constexpr uint8_t kFlagAnchorAtCentre = 1;
constexpr uint8_t kFlagNoFrameOffset = 2;

bool HasName(const char* name) { return name && *name; }

// The fields of a picture record DrawImage reads and writes back.
struct PictureRecordView {
    uint8_t* bytes;

    template <typename T>
    T Read(size_t offset) const {
        T value;
        std::memcpy(&value, bytes + offset, sizeof value);
        return value;
    }
    template <typename T>
    void Write(size_t offset, T value) {
        std::memcpy(bytes + offset, &value, sizeof value);
    }
    int32_t PointAX() const { return Read<int32_t>(0); }
    int32_t PointAY() const { return Read<int32_t>(4); }
    uint8_t BlendMode() const { return bytes[52]; }
    uint8_t Flags() const { return bytes[53]; }
    int16_t ImageType() const { return Read<int16_t>(54); }
    // The name field is 128 bytes; a name that fills it has no terminator.
    bool NameFits() const { return std::memchr(bytes + 56, 0, 128) != nullptr; }
    const char* Name() const { return reinterpret_cast<const char*>(bytes + 56); }
    int16_t Frame() const { return Read<int16_t>(190); }
    int32_t LoadArgument() const { return Read<int32_t>(204); }
};

}  // namespace

// A target picture is the one texture of a JPEG or blank picture: looked
// up as JPEG first, then as blank.
static KJpgImage* FindTargetPicture(KImageCache& cache, const char* name, DWORD* fileId, int16_t* hint, bool noPin) {
    for (int type : {kImageJpeg, kImageBlank32}) {
        KImageTexture* picture = noPin ? cache.GetImageNoPin(name, fileId, hint, 0, type, 0, 1, 0)
                                       : cache.GetImage(name, fileId, hint, 0, type, 0, 1, 0, 0);
        if (picture) return picture->GetType() == kImageSprite ? nullptr : static_cast<KJpgImage*>(picture);
    }
    return nullptr;
}

/*  30 */ IDirect3DSurface9* KDrawShell::SetRenderTargetImage(const char* name, DWORD fileId, int16_t* indexHint,
                                                              WORD type) {
    IDirect3DDevice9* device = GetDevice();
    if (!HasName(name) || !device || type == kImageSprite) return nullptr;
    KImageTexture* picture = imageCache.GetImage(name, &fileId, indexHint, 0, type, 0, 1, 0, 0);
    if (!picture || picture->GetType() == kImageSprite) return nullptr;
    IDirect3DTexture9* texture = static_cast<KJpgImage*>(picture)->GetTexture();
    if (!texture) return nullptr;
    IDirect3DSurface9* previous = nullptr;
    if (FAILED(device->GetRenderTarget(0, &previous))) return nullptr;
    IDirect3DSurface9* level = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &level))) {
        previous->Release();
        return nullptr;
    }
    const HRESULT set = device->SetRenderTarget(0, level);
    level->Release();  // the device holds the target now
    if (FAILED(set)) {
        previous->Release();
        return nullptr;
    }
    return previous;
}

/*  39 */ DWORD KDrawShell::CreateImage(const char* name, int width, int height, int type, BYTE withSystemCopy) {
    if (deviceLost) return 0;
    return imageCache.CreateImage(name, width, height, type, withSystemCopy);
}

/*  40 */ bool KDrawShell::RemoveImage(const char* name) {
    if (!HasName(name)) return false;
    return imageCache.RemoveImage(name);
}

/*  41 */ void KDrawShell::ReleaseAllImages() { imageCache.ReleaseAll(); }

/*  42 */ void* KDrawShell::LockImage(const char* name, int32_t* info) {
    if (!HasName(name) || deviceLost) return nullptr;
    KJpgImage* picture = FindTargetPicture(imageCache, name, nullptr, nullptr, true);
    if (!picture || !picture->GetTexture()) return nullptr;
    void* bits = nullptr;
    int pitch = 0;
    if (!picture->LockPixels(&bits, &pitch)) return nullptr;
    if (info) {
        info[0] = picture->GetWidth();
        info[1] = picture->GetHeight();
        info[2] = pitch;
        info[3] = g_SixteenBitFormat == D3DFMT_R5G6B5 ? 2 : 1;
        // The fifth value is the bits pointer as the host's 32-bit record holds it.
        info[4] = static_cast<int32_t>(reinterpret_cast<uintptr_t>(bits));
    }
    return bits;
}

/*  43 */ void KDrawShell::UnlockImage(const char* name, DWORD) {
    if (!HasName(name) || deviceLost) return;
    KJpgImage* picture = FindTargetPicture(imageCache, name, nullptr, nullptr, false);
    if (picture && picture->GetTexture()) picture->UnlockPixels();
}

/*  44 */ bool KDrawShell::GetImageInfo(const char* name, int16_t* values, int type) {
    if (!HasName(name) || !values) return false;
    return imageCache.GetImageInfo(name, values, type);
}

/*  45 */ bool KDrawShell::GetImageFrameRect(const char* name, int frame, int32_t* offset, int32_t* size, int type) {
    if (!HasName(name) || !offset) return false;
    return imageCache.GetFrameRect(name, frame, offset, size, type);
}

/*  46 */ int KDrawShell::GetImageAlphaAt(const char* name, int frame, int x, int y, int type) {
    if (!HasName(name) || deviceLost) return 0;
    return imageCache.GetAlphaAt(name, frame, x, y, type);
}

/*  51 */ void KDrawShell::DrawImage(int count, void* records, DWORD type, const char* targetName, DWORD targetFileId,
                                     int16_t* targetIndexHint, DWORD a, DWORD b) {
    IDirect3DDevice9* device = GetDevice();
    if (!records || !HasName(targetName) || deviceLost || !device) return;
    KJpgImage* target = FindTargetPicture(imageCache, targetName, &targetFileId, targetIndexHint, false);
    if (!target || !target->GetTexture()) return;
    IDirect3DSurface9* previous = nullptr;
    if (FAILED(device->GetRenderTarget(0, &previous))) return;
    // A picture that fails to load below purges the cache: the target is
    // held until the drawing ends.
    target->AddRef();
    IDirect3DSurface9* level = nullptr;
    if (SUCCEEDED(target->GetTexture()->GetSurfaceLevel(0, &level)) && SUCCEEDED(device->SetRenderTarget(0, level))) {
        device->SetFVF(kScreenVertexFvf);
        const float scaleX = std::bit_cast<float>(a), scaleY = std::bit_cast<float>(b);
        for (int i = 0; type == kPrimitivePicture && i < count; ++i) {
            PictureRecordView record{static_cast<uint8_t*>(records) + static_cast<size_t>(i) * kPictureRecordSize};
            if (!record.NameFits()) continue;
            DWORD fileId = record.Read<DWORD>(184);
            int16_t hint = record.Read<int16_t>(188);
            const int imageType = record.ImageType();
            KImageTexture* picture = imageCache.GetImage(record.Name(), &fileId, &hint, record.Frame(), imageType,
                                                         record.LoadArgument(), 1, 0, 0);
            record.Write<DWORD>(184, fileId);
            record.Write<int16_t>(188, hint);
            if (imageType != kImageSprite || !picture || record.Frame() < 0 ||
                record.Frame() >= picture->GetFrameCount())
                continue;
            auto* sprite = static_cast<KSprImage*>(picture);
            int x = record.PointAX(), y = record.PointAY();
            if (!(record.Flags() & kFlagNoFrameOffset)) {
                x += sprite->GetFrameOffsetX(record.Frame());
                y += sprite->GetFrameOffsetY(record.Frame());
                if (record.Flags() & kFlagAnchorAtCentre) {
                    x -= sprite->GetCenterX();
                    y -= sprite->GetCenterY();
                }
            }
            if (record.BlendMode() < 3 || record.BlendMode() == 4)
                DrawImageFrame(*this, sprite, record.Frame(), target, x, y, scaleX, scaleY);
        }
    }
    device->SetRenderTarget(0, previous);
    if (level) level->Release();
    previous->Release();
    DropPictureReference(target);
}

/*  52 */ void KDrawShell::ClearImage(const char* name, DWORD fileId, int16_t* indexHint) {
    if (!HasName(name) || deviceLost) return;
    KJpgImage* picture = FindTargetPicture(imageCache, name, &fileId, indexHint, true);
    if (picture && picture->GetTexture()) picture->ClearTexture();
}

/*  53 */ int KDrawShell::SetViewCenter(int x, int y, int height) {
    if (deviceLost) return 0;
    const bool large = g_ScreenWidth == 1024 && g_ScreenHeight == 768;
    const int width = large ? 1024 : 800, screenHeight = large ? 768 : 600;
    // A focus anywhere in the 32-bit range: formed in 64 bits, saturated.
    screenOffset[0] = host_int::Sub(x, width / 2);
    screenOffset[1] = host_int::Saturate((int64_t{y} - 65) / 2 - ((int64_t{height} * 887) >> 10) - screenHeight / 2);
    if (large && cameraDistanceMax != cameraDistanceMin) {
        const float t = (cameraDistance - cameraDistanceMin) / (cameraDistanceMax - cameraDistanceMin);
        screenOffset[0] = host_int::Add(screenOffset[0], host_int::Truncate((1.0f - t) * 60.0f));
        screenOffset[1] = host_int::Add(screenOffset[1], host_int::Truncate((1.0f - t) * 50.0f));
    }
    pendingViewCentre[0] = static_cast<float>(x);
    pendingViewCentre[1] = static_cast<float>(int64_t{y} - 65);
    pendingViewCentre[2] = static_cast<float>(height);
    return 1;
}

/*  54 */ bool KDrawShell::CanDraw(const char* name, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {
    return HasName(name) && !deviceLost;
}
