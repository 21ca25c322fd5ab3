#include "textures/KJpgImage.h"

#include <cstring>

#include "DebugLog.h"
#include "JpegImage.h"
#include "shell/ColorConversion.h"
#include "shell/ComRelease.h"
#include "textures/PictureServices.h"
#include "textures/TextureMemoryPolicy.h"
#include "textures/TextureSize.h"

namespace {

// The decoder's 16-bit layout that matches what lands in the texture: 32-bit
// textures are filled through the shell's Color565To8888, 16-bit ones copied as they are.
int JpegMaskFor(D3DFORMAT format) {
    return format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5 ? JPEG_MASK_555 : JPEG_MASK_565;
}

bool IsFourBytesPerPixel(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8; }

void CopyPixelRows(const QivImageContent* image, const D3DLOCKED_RECT& locked, D3DFORMAT format) {
    const uint16_t* source = image->Pixels();
    auto* row = static_cast<uint8_t*>(locked.pBits);
    for (int y = 0; y < image->nHeight; ++y, source += image->nWidth, row += locked.Pitch) {
        if (IsFourBytesPerPixel(format)) {
            auto* out = reinterpret_cast<D3DCOLOR*>(row);
            for (int x = 0; x < image->nWidth; ++x) out[x] = Rgb565ToArgb(source[x]);
        } else {
            std::memcpy(row, source, size_t(image->nWidth) * 2);
        }
    }
}

}  // namespace

KJpgImage::KJpgImage() {
    m_type = kImageJpeg;
    Reset();
}

KJpgImage::~KJpgImage() { Close(); }

void KJpgImage::Reset() {
    ResetCounters();
    m_frame = KSprFrame{};
    m_systemCopy = nullptr;
    m_format = D3DFMT_UNKNOWN;
}

bool KJpgImage::Open(const char* name, int type) {
    if (!name || !*name || type != kImageJpeg) return false;
    Close();
    m_type = type;
    return LoadJpeg(name);
}

void KJpgImage::Close() {
    ReleaseTextures();
    Reset();
}

void KJpgImage::ReleaseTextures() {
    ReleaseAndNull(m_frame.tiles[0].texture);
    ReleaseAndNull(m_systemCopy);
}

void KJpgImage::SetSingleTile(int width, int height) {
    m_width = width;
    m_height = height;
    m_frame.tileCount = 1;
    m_frame.width = width;
    m_frame.height = height;
    KSprTile& tile = m_frame.tiles[0];
    tile.textureWidth = RoundUpTextureSize(width);
    tile.textureHeight = RoundUpTextureSize(height);
    tile.x = 0;
    tile.y = 0;
    tile.width = width;
    tile.height = height;
}

bool KJpgImage::CreateDefaultTexture(D3DFORMAT format) {
    IDirect3DDevice9* device = picture_services::Device();
    if (!device) return false;
    KSprTile& tile = m_frame.tiles[0];
    uint32_t cost = 0;
    HRESULT hr = CreatePictureTexture([&] {
        UINT before = device->GetAvailableTextureMem();
        HRESULT result = device->CreateTexture(UINT(tile.textureWidth), UINT(tile.textureHeight), 1,
                                               D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &tile.texture, nullptr);
        UINT after = device->GetAvailableTextureMem();
        cost = before > after ? before - after : 0;
        return result;
    });
    if (FAILED(hr)) {
        tile.texture = nullptr;
        return false;
    }
    m_cost = cost;
    return true;
}

bool KJpgImage::CreateSystemCopy() {
    IDirect3DDevice9* device = picture_services::Device();
    D3DSURFACE_DESC desc{};
    if (!device || FAILED(m_frame.tiles[0].texture->GetLevelDesc(0, &desc))) return false;
    HRESULT hr = CreatePictureTexture([&] {
        return device->CreateTexture(desc.Width, desc.Height, 1, 0, desc.Format, D3DPOOL_SYSTEMMEM, &m_systemCopy,
                                     nullptr);
    });
    if (FAILED(hr)) {
        m_systemCopy = nullptr;
        return false;
    }
    m_format = desc.Format;
    return true;
}

bool KJpgImage::Upload() {
    IDirect3DDevice9* device = picture_services::Device();
    if (!device || !m_systemCopy || !m_frame.tiles[0].texture) return false;
    return SUCCEEDED(device->UpdateTexture(m_systemCopy, m_frame.tiles[0].texture));
}

bool KJpgImage::LoadJpeg(const char* name) {
    D3DFORMAT format = picture_services::PictureTextureFormat();
    QivImageContent* image = get_jpg_image(name, JpegMaskFor(format));
    if (!image) return false;

    bool loaded = false;
    D3DLOCKED_RECT locked{};
    SetSingleTile(image->nWidth, image->nHeight);
    if (m_frame.tiles[0].textureWidth == 0 || m_frame.tiles[0].textureHeight == 0) {
        g_DebugLog("[Pictures]%s: %dx%d is larger than a texture", name, image->nWidth, image->nHeight);
    } else if (CreateDefaultTexture(format) && CreateSystemCopy() &&
               SUCCEEDED(m_systemCopy->LockRect(0, &locked, nullptr, D3DLOCK_NOSYSLOCK))) {
        CopyPixelRows(image, locked, m_format);
        m_systemCopy->UnlockRect(0);
        loaded = Upload();
    }
    release_image(image);
    if (!loaded) Close();
    return loaded;
}

bool KJpgImage::Create(const char* name, int width, int height, int type, bool withSystemCopy) {
    if (!name || !*name || width < 0 || height < 0 || width > kMaxTextureSide || height > kMaxTextureSide) return false;
    D3DFORMAT format;
    if (type == kImageJpeg)
        format = picture_services::PictureTextureFormat();
    else if (type == kImageBlank32)
        format = D3DFMT_A8R8G8B8;
    else
        return false;

    Close();
    m_type = type;
    SetSingleTile(width, height);
    m_format = format;
    if (!CreateDefaultTexture(format) || (withSystemCopy && !CreateSystemCopy())) {
        Close();
        return false;
    }
    return true;
}

bool KJpgImage::InvalidateDeviceObjects() {
    ReleaseAndNull(m_frame.tiles[0].texture);
    m_cost = 0;
    return true;
}

bool KJpgImage::RestoreDeviceObjects() {
    if (!m_frame.tiles[0].texture && m_frame.tileCount == 1 && !CreateDefaultTexture(m_format)) return false;
    // A blank picture made without a copy has nothing to refill it from.
    if (!m_systemCopy) return true;
    m_systemCopy->AddDirtyRect(nullptr);
    return Upload();
}

bool KJpgImage::Trim() {
    Close();
    return false;
}

bool KJpgImage::ClearTexture() {
    IDirect3DDevice9* device = picture_services::Device();
    IDirect3DTexture9* texture = m_frame.tiles[0].texture;
    if (!device || !texture) return false;
    IDirect3DSurface9* target = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &target))) return false;
    IDirect3DSurface9* previous = nullptr;
    device->GetRenderTarget(0, &previous);
    bool cleared = SUCCEEDED(device->SetRenderTarget(0, target)) &&
                   SUCCEEDED(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0));
    if (previous) {
        device->SetRenderTarget(0, previous);
        previous->Release();
    }
    target->Release();
    return cleared;
}

bool KJpgImage::LockPixels(void** bits, int* pitch) {
    if (!m_systemCopy) return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(m_systemCopy->LockRect(0, &locked, nullptr, D3DLOCK_NOSYSLOCK))) return false;
    *bits = locked.pBits;
    *pitch = locked.Pitch;
    return true;
}

bool KJpgImage::UnlockPixels() {
    if (!m_systemCopy || FAILED(m_systemCopy->UnlockRect(0))) return false;
    return Upload();
}
