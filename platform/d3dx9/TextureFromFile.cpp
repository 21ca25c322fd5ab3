// Textures from image files in memory: size, levels and format from the
// request or the file, then each level filled from the file's own level
// when it has one of that size, or scaled from the level above.
#include "TextureFromFile.h"

#include <algorithm>

#include "AllocationGuard.h"
#include "Codecs.h"
#include "Resample.h"
#include "SurfaceLoad.h"
#include "TextureCreate.h"
#include "d3dx9tex.h"

namespace d3dx {
namespace {

UINT FromFileOr(UINT requested, UINT fromFile) {
    bool fromFileSize =
        requested == 0 || requested == D3DX_DEFAULT || requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE;
    return fromFileSize ? fromFile : requested;
}

// The format a file's pixels suggest when the caller names none.
D3DFORMAT FileFormat(const D3DXIMAGE_INFO& info) { return info.Format == D3DFMT_P8 ? D3DFMT_X8R8G8B8 : info.Format; }

class ReleaseOnExit {
public:
    explicit ReleaseOnExit(IUnknown* object) : m_object(object) {}
    ~ReleaseOnExit() {
        if (m_object) m_object->Release();
    }
    void Keep() { m_object = nullptr; }

private:
    IUnknown* m_object;
};

HRESULT FillLevel(IDirect3DTexture9* texture, UINT level, const DecodedImage& file, const ArgbImage& source,
                  bool storedMatches, DWORD filter, D3DCOLOR colourKey) {
    IDirect3DSurface9* surface = nullptr;
    HRESULT hr = texture->GetSurfaceLevel(level, &surface);
    if (FAILED(hr)) return hr;
    if (storedMatches) {
        const std::vector<uint8_t>& stored = file.storedLevels[level];
        D3DFORMAT f = file.info.Format;
        SurfaceView view{f, const_cast<uint8_t*>(stored.data()), RowBytes(f, source.width), source.width,
                         source.height};
        hr = LoadSurfaceFromView(surface, nullptr, view, RECT{0, 0, LONG(source.width), LONG(source.height)}, filter,
                                 colourKey);
    } else {
        hr = LoadSurfaceFromImage(surface, nullptr, source, filter, colourKey);
    }
    surface->Release();
    return hr;
}

}  // namespace

HRESULT CreateTextureFromDecoded(IDirect3DDevice9* device, const DecodedImage& file, UINT width, UINT height,
                                 UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                 DWORD mipFilter, D3DCOLOR colourKey, IDirect3DTexture9** texture) {
    *texture = nullptr;
    UINT w = FromFileOr(width, file.info.Width), h = FromFileOr(height, file.info.Height);
    UINT levels = mipLevels == D3DX_FROM_FILE ? file.info.MipLevels : mipLevels;
    D3DFORMAT f = (format == D3DFMT_UNKNOWN || format == D3DFMT_FROM_FILE) ? FileFormat(file.info) : format;
    HRESULT hr = FitTextureRequest(device, &w, &h, &levels, usage, &f);
    if (FAILED(hr)) return hr;

    // The default pool cannot be written directly; fill a system-memory
    // twin and upload it.
    bool staged = pool == D3DPOOL_DEFAULT && !(usage & D3DUSAGE_DYNAMIC);
    IDirect3DTexture9* created = nullptr;
    hr = device->CreateTexture(w, h, levels, usage, f, pool, &created, nullptr);
    if (FAILED(hr)) return hr;
    ReleaseOnExit releaseCreated(created);
    IDirect3DTexture9* target = created;
    if (staged) {
        hr = device->CreateTexture(w, h, levels, 0, f, D3DPOOL_SYSTEMMEM, &target, nullptr);
        if (FAILED(hr)) return hr;
    }
    ReleaseOnExit releaseStaging(staged ? target : nullptr);

    // previous: what the level above now holds, keyed and scaled.
    ArgbImage previous;
    for (UINT level = 0; level < levels; ++level) {
        D3DSURFACE_DESC desc{};
        hr = target->GetLevelDesc(level, &desc);
        if (FAILED(hr)) return hr;
        bool fileHasLevel = level < file.levels.size() && file.levels[level].width == desc.Width &&
                            file.levels[level].height == desc.Height;
        if (fileHasLevel) {
            bool stored = level < file.storedLevels.size();
            hr = FillLevel(target, level, file, file.levels[level], stored, filter, colourKey);
            previous = file.levels[level];
            ApplyColourKey(&previous, colourKey);
        } else if (level == 0) {
            hr = FillLevel(target, level, file, file.levels[0], false, filter, colourKey);
            previous = file.levels[0];
            ApplyColourKey(&previous, colourKey);
            previous = Resample(previous, desc.Width, desc.Height, filter);
        } else {
            previous = Resample(previous, desc.Width, desc.Height, mipFilter);
            hr = FillLevel(target, level, file, previous, false, mipFilter, 0);
        }
        if (FAILED(hr)) return hr;
    }
    if (staged) {
        hr = device->UpdateTexture(target, created);
        if (FAILED(hr)) return hr;
    }
    releaseCreated.Keep();
    *texture = created;
    return S_OK;
}

}  // namespace d3dx

HRESULT D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE9 device, LPCVOID srcData, UINT srcDataSize, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                            PALETTEENTRY*, LPDIRECT3DTEXTURE9* texture) {
    if (!device || !srcData || srcDataSize == 0 || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    return d3dx::GuardAllocation([&] {
        d3dx::DecodedImage file;
        HRESULT hr = d3dx::DecodeImageFile(srcData, srcDataSize, &file);
        if (FAILED(hr)) return hr;
        hr = d3dx::CreateTextureFromDecoded(device, file, width, height, mipLevels, usage, format, pool, filter,
                                            mipFilter, colorKey, texture);
        if (SUCCEEDED(hr) && srcInfo) *srcInfo = file.info;
        return hr;
    });
}

HRESULT D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE9 device, LPCVOID srcData, UINT srcDataSize,
                                          LPDIRECT3DTEXTURE9* texture) {
    return D3DXCreateTextureFromFileInMemoryEx(device, srcData, srcDataSize, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT,
                                               0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                               nullptr, nullptr, texture);
}
