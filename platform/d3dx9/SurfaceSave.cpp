// Saving surfaces and textures as image files, in memory or on the host.
#include <cstdio>
#include <cstring>
#include <string>

#include "../../include/lumiva/basrel/DataRoot.h"
#include "AllocationGuard.h"
#include "Codecs.h"
#include "SurfaceAccess.h"
#include "d3dx9tex.h"

namespace d3dx {
namespace {

constexpr int kJpegQuality = 90;

// Non-DDS files from A8R8G8B8 pixels; alpha kept where the source had it.
HRESULT EncodeImage(D3DXIMAGE_FILEFORMAT fileFormat, const ArgbImage& image, bool alpha, std::vector<uint8_t>* out) {
    switch (fileFormat) {
        case D3DXIFF_BMP:
        case D3DXIFF_DIB:
            return EncodeBmp(image, alpha, out);
        case D3DXIFF_PNG:
            return EncodePng(image, alpha, out);
        case D3DXIFF_JPG:
            return EncodeJpeg(image, kJpegQuality, out);
        case D3DXIFF_TGA:
            return EncodeTga(image, alpha, false, out);
        default:
            return E_NOTIMPL;
    }
}

HRESULT EncodeSurface(D3DXIMAGE_FILEFORMAT fileFormat, IDirect3DSurface9* surface, const RECT* rect,
                      std::vector<uint8_t>* out) {
    SurfaceLock lock;
    HRESULT hr = lock.OpenForRead(surface);
    if (FAILED(hr)) return hr;
    const SurfaceView& view = lock.View();
    RECT area;
    if (!ResolveRect(rect, view.width, view.height, &area)) return D3DERR_INVALIDCALL;
    bool whole = area.left == 0 && area.top == 0 && UINT(area.right) == view.width && UINT(area.bottom) == view.height;
    if (fileFormat == D3DXIFF_DDS && whole)
        return EncodeDds(view.format, {StoredLevel{view.width, view.height, view.bits, view.pitch}}, out);
    ArgbImage image = ReadRect(view, area);
    if (fileFormat == D3DXIFF_DDS) {
        // Part of a surface: stored again in the surface's format.
        std::vector<uint8_t> bits(SurfaceBytes(view.format, image.width, image.height));
        uint64_t pitch = RowBytes(view.format, image.width);
        SurfaceView part{view.format, bits.data(), pitch, image.width, image.height};
        WriteRect(part, RECT{0, 0, LONG(image.width), LONG(image.height)}, image);
        return EncodeDds(view.format, {StoredLevel{image.width, image.height, bits.data(), pitch}}, out);
    }
    return EncodeImage(fileFormat, image, FormatHasAlpha(view.format), out);
}

HRESULT EncodeTexture(D3DXIMAGE_FILEFORMAT fileFormat, IDirect3DBaseTexture9* base, std::vector<uint8_t>* out) {
    if (!base || base->GetType() != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
    auto* texture = static_cast<IDirect3DTexture9*>(base);
    DWORD levels = fileFormat == D3DXIFF_DDS ? texture->GetLevelCount() : 1;
    std::vector<IDirect3DSurface9*> surfaces;
    std::vector<SurfaceLock> locks(levels);
    std::vector<StoredLevel> stored;
    HRESULT hr = S_OK;
    for (DWORD level = 0; level < levels && SUCCEEDED(hr); ++level) {
        IDirect3DSurface9* surface = nullptr;
        hr = texture->GetSurfaceLevel(level, &surface);
        if (FAILED(hr)) break;
        surfaces.push_back(surface);
        hr = locks[level].OpenForRead(surface);
        if (SUCCEEDED(hr)) {
            const SurfaceView& v = locks[level].View();
            stored.push_back(StoredLevel{v.width, v.height, v.bits, v.pitch});
        }
    }
    if (SUCCEEDED(hr)) {
        if (fileFormat == D3DXIFF_DDS) {
            hr = EncodeDds(locks[0].View().format, stored, out);
        } else {
            const SurfaceView& v = locks[0].View();
            hr = EncodeImage(fileFormat, ReadRect(v, RECT{0, 0, LONG(v.width), LONG(v.height)}),
                             FormatHasAlpha(v.format), out);
        }
    }
    locks.clear();
    for (IDirect3DSurface9* s : surfaces) s->Release();
    return hr;
}

HRESULT WrapInBuffer(const std::vector<uint8_t>& bytes, LPD3DXBUFFER* buffer) {
    HRESULT hr = D3DXCreateBuffer(DWORD(bytes.size()), buffer);
    if (SUCCEEDED(hr) && !bytes.empty()) std::memcpy((*buffer)->GetBufferPointer(), bytes.data(), bytes.size());
    return hr;
}

// Screenshots and other files the module writes land under the data root.
HRESULT WriteUnderDataRoot(LPCSTR path, const std::vector<uint8_t>& bytes) {
    std::string hostPath;
    if (!path || !*path || !basrel::ResolveForWriting(path, hostPath)) return D3DERR_INVALIDCALL;
    std::FILE* file = std::fopen(hostPath.c_str(), "wb");
    if (!file) return D3DERR_INVALIDCALL;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    return written ? S_OK : E_FAIL;
}

}  // namespace
}  // namespace d3dx

HRESULT D3DXSaveSurfaceToFileInMemory(LPD3DXBUFFER* destBuffer, D3DXIMAGE_FILEFORMAT format,
                                      LPDIRECT3DSURFACE9 srcSurface, const PALETTEENTRY*, const RECT* srcRect) {
    if (!destBuffer || !srcSurface) return D3DERR_INVALIDCALL;
    std::vector<uint8_t> bytes;
    HRESULT hr = d3dx::GuardAllocation([&] { return d3dx::EncodeSurface(format, srcSurface, srcRect, &bytes); });
    return FAILED(hr) ? hr : d3dx::WrapInBuffer(bytes, destBuffer);
}

HRESULT D3DXSaveSurfaceToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT format, LPDIRECT3DSURFACE9 srcSurface,
                               const PALETTEENTRY*, const RECT* srcRect) {
    if (!destFile || !srcSurface) return D3DERR_INVALIDCALL;
    std::vector<uint8_t> bytes;
    HRESULT hr = d3dx::GuardAllocation([&] { return d3dx::EncodeSurface(format, srcSurface, srcRect, &bytes); });
    return FAILED(hr) ? hr : d3dx::WriteUnderDataRoot(destFile, bytes);
}

HRESULT D3DXSaveTextureToFileInMemory(LPD3DXBUFFER* destBuffer, D3DXIMAGE_FILEFORMAT format,
                                      LPDIRECT3DBASETEXTURE9 srcTexture, const PALETTEENTRY*) {
    if (!destBuffer || !srcTexture) return D3DERR_INVALIDCALL;
    std::vector<uint8_t> bytes;
    HRESULT hr = d3dx::GuardAllocation([&] { return d3dx::EncodeTexture(format, srcTexture, &bytes); });
    return FAILED(hr) ? hr : d3dx::WrapInBuffer(bytes, destBuffer);
}

HRESULT D3DXSaveTextureToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT format, LPDIRECT3DBASETEXTURE9 srcTexture,
                               const PALETTEENTRY*) {
    if (!destFile || !srcTexture) return D3DERR_INVALIDCALL;
    std::vector<uint8_t> bytes;
    HRESULT hr = d3dx::GuardAllocation([&] { return d3dx::EncodeTexture(format, srcTexture, &bytes); });
    return FAILED(hr) ? hr : d3dx::WriteUnderDataRoot(destFile, bytes);
}
